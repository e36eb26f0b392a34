#pragma once
// Helpers for looking at drawn pixels: crisp fonts pinned to the Liberation faces, so that a
// drawing is the same on every machine, and the box of the pixels of one colour.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>

inline QFont PinnedFont(int pixels, bool bold = false)
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setStyleStrategy(QFont::NoAntialias);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

inline QImage Canvas(QSize size, const QColor& fill = Qt::white)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// The smallest rectangle holding every pixel of the colour; empty when there is none.
inline QRect BoxOf(const QImage& image, const QColor& colour)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (QColor(image.pixel(x, y)) == colour)
                box |= QRect(x, y, 1, 1);
    return box;
}

// The box of every pixel that differs from the background.
inline QRect InkBox(const QImage& image, const QColor& background = Qt::white)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (QColor(image.pixel(x, y)) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

inline int CountOf(const QImage& image, const QColor& colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += QColor(image.pixel(x, y)) == colour ? 1 : 0;
    return n;
}
