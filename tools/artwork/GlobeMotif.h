#pragma once
// The program's emblem: a networked globe circled by two update arrows. The same drawing, at
// different levels of detail, makes the window's logo and the application icon.
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

namespace GlobeMotif {

enum class Detail {
    Full, // the 125-pixel logo: fine grid, several network nodes
    Icon, // 32 to 48 pixels: fewer, heavier lines
    Tiny, // 16 pixels: globe and arrows only
};

// Paints the motif into box, a square; the design leaves a small margin inside it.
void paint(QPainter& painter, const QRectF& box, Detail detail);

// The 125 x 125 logo on white. The main window shows only rows 21 to 55 of it, so the globe sits
// high enough that this band holds its upper half, the arc of one arrow and that arrow's head.
QImage logo();

// A square icon image with a transparent background.
QImage icon(int size);

// One update arrow: a thick arc around c running clockwise from `from` to `to` (degrees,
// counter-clockwise from three o'clock, y pointing up), ending in a head that reaches `flare`
// beyond the shaft on each side and whose tip lies `head` degrees further on.
QPainterPath arrowPath(QPointF c, double radius, double width, double from, double to, double head, double flare);

} // namespace GlobeMotif
