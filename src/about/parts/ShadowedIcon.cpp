#include "about/parts/ShadowedIcon.h"

#include "framework/SystemColors.h"

#include <QPainter>

QImage ShadowedIcon(const QImage& icon)
{
    const int width = 2 * icon.width() + 8, height = 2 * icon.height() + 8;
    QImage bitmap(width, height, QImage::Format_RGB32);
    const QColor face = ToQColor(clBtnFace);
    bitmap.fill(face);
    QPainter p(&bitmap);
    const QColor grey(0x80, 0x80, 0x80);
    // Rectangles as (left, top)-(right, bottom) with the right and bottom edges outside.
    p.fillRect(QRect(QPoint(6, height - 6), QPoint(width - 1, height - 1)), grey);
    p.fillRect(QRect(QPoint(width - 6, 6), QPoint(width - 1, height - 1)), grey);
    const QRect inside(QPoint(1, 1), QPoint(width - 7, height - 7));
    p.fillRect(inside, face);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(inside, icon);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    // A one-pixel outline covers its rectangle's size plus one: columns 0 to width - 6.
    p.drawRect(0, 0, width - 6, height - 6);
    return bitmap;
}
