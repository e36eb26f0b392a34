// Fuzz entry over the picture decoders: the 16-colour bitmap reader and the JPEG decoder. Whatever
// the bytes, each gives a well-formed image or a null one, never a crash or an overrun.
#include "framework/pictures/Bitmap16.h"
#include "framework/pictures/JpegImage.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QImage& image : {Bitmap16::decode(bytes), JpegImage::decode(bytes)}) {
        if (image.isNull())
            continue;
        // Touch every pixel, so a short buffer behind the image shows up under the sanitizers.
        unsigned sum = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                sum += image.pixel(x, y);
        if (image.width() <= 0 || image.height() <= 0)
            std::abort();
        (void)sum;
    }
    return 0;
}
