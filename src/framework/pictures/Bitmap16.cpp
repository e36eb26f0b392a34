#include "Bitmap16.h"

#include <QFile>

#include <cstdint>

namespace {

constexpr qsizetype kFileHeaderSize = 14;
constexpr qsizetype kInfoHeaderSize = 40; // BITMAPINFOHEADER; the later V4/V5 headers extend it
constexpr std::uint32_t kBiRgb = 0;
// Far beyond any glyph, and small enough that width * bits and stride * height stay in 64 bits.
constexpr std::int64_t kMaxDimension = 32767;

std::uint32_t u16At(QByteArrayView b, qsizetype at)
{
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8;
}

std::uint32_t u32At(QByteArrayView b, qsizetype at)
{
    return u16At(b, at) | u16At(b, at + 2) << 16;
}

std::int32_t i32At(QByteArrayView b, qsizetype at)
{
    return static_cast<std::int32_t>(u32At(b, at));
}

} // namespace

QImage Bitmap16::decode(QByteArrayView bytes)
{
    const std::int64_t size = bytes.size();
    if (size < kFileHeaderSize + kInfoHeaderSize || bytes[0] != 'B' || bytes[1] != 'M')
        return {};

    const std::int64_t pixelOffset = u32At(bytes, 10);
    const std::int64_t infoSize = u32At(bytes, 14);
    if (infoSize < kInfoHeaderSize || kFileHeaderSize + infoSize > size)
        return {};

    const std::int64_t width = i32At(bytes, 18);
    const std::int64_t signedHeight = i32At(bytes, 22);
    const std::uint32_t planes = u16At(bytes, 26);
    const std::uint32_t bits = u16At(bytes, 28);
    const std::uint32_t compression = u32At(bytes, 30);
    const std::int64_t colorsUsed = u32At(bytes, 46);

    // A negative height marks rows stored top-down.
    const bool bottomUp = signedHeight > 0;
    const std::int64_t height = bottomUp ? signedHeight : -signedHeight;
    if (planes != 1 || compression != kBiRgb || (bits != 1 && bits != 4 && bits != 8))
        return {};
    if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension)
        return {};

    const std::int64_t maxColors = std::int64_t(1) << bits;
    const std::int64_t colorCount = colorsUsed == 0 ? maxColors : colorsUsed;
    if (colorCount > maxColors)
        return {};
    const std::int64_t paletteOffset = kFileHeaderSize + infoSize;
    const std::int64_t paletteEnd = paletteOffset + 4 * colorCount;
    if (paletteEnd > size || pixelOffset < paletteEnd)
        return {};

    const std::int64_t stride = (width * bits + 31) / 32 * 4;
    if (pixelOffset > size || stride * height > size - pixelOffset)
        return {};

    QImage image(int(width), int(height), QImage::Format_Indexed8);
    if (image.isNull())
        return {};
    QList<QRgb> table;
    for (std::int64_t i = 0; i < colorCount; ++i) {
        const qsizetype at = qsizetype(paletteOffset + 4 * i);
        table.append(qRgb(std::uint8_t(bytes[at + 2]), std::uint8_t(bytes[at + 1]), std::uint8_t(bytes[at])));
    }
    image.setColorTable(table);

    const std::uint32_t mask = (1u << bits) - 1;
    const int perByte = 8 / int(bits);
    for (std::int64_t y = 0; y < height; ++y) {
        const std::int64_t fileRow = bottomUp ? height - 1 - y : y;
        const char* row = bytes.data() + pixelOffset + fileRow * stride;
        uchar* out = image.scanLine(int(y));
        for (std::int64_t x = 0; x < width; ++x) {
            const std::uint8_t byte = std::uint8_t(row[x / perByte]);
            // The leftmost pixel sits in the most significant bits.
            const int shift = int(8 - bits * (x % perByte + 1));
            const std::uint32_t index = (byte >> shift) & mask;
            if (index >= std::uint32_t(colorCount))
                return {};
            out[x] = uchar(index);
        }
    }
    return image;
}

QImage Bitmap16::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return decode(file.readAll());
}
