#include "controls/buttons/TLMDGlyphList.h"

int TLMDGlyphList::Add(const QImage& image, QRgb transparent)
{
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (transparent & 0xFFFFFF))
                line[x] = 0;
    }
    images_[next_] = QPixmap::fromImage(masked);
    return next_++;
}

QPixmap TLMDGlyphList::Image(int index) const
{
    auto it = images_.find(index);
    return it == images_.end() ? QPixmap() : it->second;
}
