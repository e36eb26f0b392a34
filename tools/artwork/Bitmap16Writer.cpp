#include "Bitmap16Writer.h"

#include <cstdint>

namespace Bitmap16Writer {

const QList<QRgb>& vgaPalette()
{
    static const QList<QRgb> palette = {
        qRgb(0x00, 0x00, 0x00), qRgb(0x80, 0x00, 0x00), qRgb(0x00, 0x80, 0x00), qRgb(0x80, 0x80, 0x00),
        qRgb(0x00, 0x00, 0x80), qRgb(0x80, 0x00, 0x80), qRgb(0x00, 0x80, 0x80), qRgb(0x80, 0x80, 0x80),
        qRgb(0xC0, 0xC0, 0xC0), qRgb(0xFF, 0x00, 0x00), qRgb(0x00, 0xFF, 0x00), qRgb(0xFF, 0xFF, 0x00),
        qRgb(0x00, 0x00, 0xFF), qRgb(0xFF, 0x00, 0xFF), qRgb(0x00, 0xFF, 0xFF), qRgb(0xFF, 0xFF, 0xFF),
    };
    return palette;
}

namespace {

void put16(QByteArray& out, std::uint32_t v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

void put32(QByteArray& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

} // namespace

QByteArray encode(const QImage& indexed)
{
    if (indexed.format() != QImage::Format_Indexed8 || indexed.isNull() || indexed.colorCount() > 16)
        return {};
    const int width = indexed.width();
    const int height = indexed.height();
    for (int y = 0; y < height; ++y) {
        const uchar* row = indexed.constScanLine(y);
        for (int x = 0; x < width; ++x)
            if (row[x] >= 16)
                return {};
    }

    const std::uint32_t stride = (std::uint32_t(width) * 4 + 31) / 32 * 4;
    const std::uint32_t headers = 14 + 40 + 16 * 4;
    const std::uint32_t imageSize = stride * std::uint32_t(height);

    QByteArray out;
    out.reserve(int(headers + imageSize));
    // BITMAPFILEHEADER
    out.append("BM", 2);
    put32(out, headers + imageSize);
    put32(out, 0);
    put32(out, headers);
    // BITMAPINFOHEADER
    put32(out, 40);
    put32(out, std::uint32_t(width));
    put32(out, std::uint32_t(height)); // positive: rows bottom-up
    put16(out, 1);
    put16(out, 4);
    put32(out, 0); // BI_RGB
    put32(out, imageSize);
    put32(out, 3780); // 96 dpi in pixels per metre
    put32(out, 3780);
    put32(out, 16);
    put32(out, 0);
    // RGBQUAD palette: blue, green, red, reserved
    for (int i = 0; i < 16; ++i) {
        const QRgb c = i < indexed.colorCount() ? indexed.color(i) : qRgb(0, 0, 0);
        out.append(char(qBlue(c)));
        out.append(char(qGreen(c)));
        out.append(char(qRed(c)));
        out.append('\0');
    }
    for (int y = height - 1; y >= 0; --y) {
        const uchar* row = indexed.constScanLine(y);
        QByteArray packed(qsizetype(stride), '\0');
        for (int x = 0; x < width; ++x)
            packed[x / 2] = char(packed[x / 2] | (x % 2 == 0 ? row[x] << 4 : row[x]));
        out.append(packed);
    }
    return out;
}

} // namespace Bitmap16Writer
