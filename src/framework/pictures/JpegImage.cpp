#include "JpegImage.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

#include <jpeglib.h>

namespace {

// Decoded pictures larger than this are refused before anything is allocated for them: a forged
// header can claim 65535 x 65535 pixels in a few hundred bytes.
constexpr long long kMaxPixels = 64LL * 1024 * 1024;

struct Decoder {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    std::jmp_buf failed{};
    // Held here rather than on the stack: a longjmp out of libjpeg skips destructors.
    std::vector<JSAMPLE> row;
};

[[noreturn]] void failDecode(j_common_ptr cinfo)
{
    std::longjmp(static_cast<Decoder*>(cinfo->client_data)->failed, 1);
}

void onMessage(j_common_ptr cinfo, int level)
{
    // Level -1 is a warning about damaged data (libjpeg pads a truncated scan with grey and goes
    // on); a half-grey logo is worse than none, so it counts as failure. Trace levels are ignored.
    if (level < 0)
        failDecode(cinfo);
}

void silence(j_common_ptr) {}

QRgb fromCmyk(const JSAMPLE* p, bool inverted)
{
    // Adobe writes CMYK inverted (255 = no ink), which is what nearly every such file carries.
    int c = p[0], m = p[1], y = p[2], k = p[3];
    if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
    }
    return qRgb(c * k / 255, m * k / 255, y * k / 255);
}

} // namespace

QImage JpegImage::decode(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return {};

    // Everything that must survive the longjmp lives behind this pointer, which itself is not
    // changed after setjmp.
    const auto d = std::make_unique<Decoder>();
    QImage image;
    QImage* const result = &image;
    d->cinfo.client_data = d.get();
    d->cinfo.err = jpeg_std_error(&d->errors);
    d->errors.error_exit = failDecode;
    d->errors.emit_message = onMessage;
    d->errors.output_message = silence;

    if (setjmp(d->failed)) {
        jpeg_destroy_decompress(&d->cinfo);
        *result = QImage();
        return image;
    }

    jpeg_create_decompress(&d->cinfo);
    jpeg_mem_src(&d->cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&d->cinfo, TRUE);

    const bool cmyk = d->cinfo.jpeg_color_space == JCS_CMYK || d->cinfo.jpeg_color_space == JCS_YCCK;
    d->cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&d->cinfo);

    const long long width = d->cinfo.output_width;
    const long long height = d->cinfo.output_height;
    const int components = d->cinfo.output_components;
    if (width <= 0 || height <= 0 || width * height > kMaxPixels || components != (cmyk ? 4 : 3))
        failDecode(reinterpret_cast<j_common_ptr>(&d->cinfo));

    *result = QImage(int(width), int(height), QImage::Format_RGB32);
    if (result->isNull())
        failDecode(reinterpret_cast<j_common_ptr>(&d->cinfo));

    const bool inverted = d->cinfo.saw_Adobe_marker;
    d->row.resize(std::size_t(width) * std::size_t(components));
    JSAMPROW rows[1] = {d->row.data()};
    while (d->cinfo.output_scanline < d->cinfo.output_height) {
        const int y = int(d->cinfo.output_scanline);
        if (jpeg_read_scanlines(&d->cinfo, rows, 1) != 1)
            failDecode(reinterpret_cast<j_common_ptr>(&d->cinfo));
        auto* out = reinterpret_cast<QRgb*>(result->scanLine(y));
        const JSAMPLE* p = d->row.data();
        for (long long x = 0; x < width; ++x, p += components)
            out[x] = cmyk ? fromCmyk(p, inverted) : qRgb(p[0], p[1], p[2]);
    }

    jpeg_finish_decompress(&d->cinfo);
    jpeg_destroy_decompress(&d->cinfo);
    return image;
}

QImage JpegImage::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return decode(file.readAll());
}
