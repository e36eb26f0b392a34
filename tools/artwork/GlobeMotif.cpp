#include "GlobeMotif.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QVector3D>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace GlobeMotif {

namespace {

// Design units: the logo's own pixels.
constexpr double kDesign = 125.0;
constexpr double kCentreX = 62.5;
constexpr double kCentreY = 60.0;

double rad(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

// A point of the unit sphere, turned so that the viewer looks down on it a little and sees the
// north pole inside the disc. z > 0 faces the viewer.
QVector3D onSphere(double latitude, double longitude)
{
    constexpr double tilt = 22.0;
    const double la = rad(latitude), lo = rad(longitude), t = rad(tilt);
    const double x = std::cos(la) * std::sin(lo);
    const double y = std::sin(la);
    const double z = std::cos(la) * std::cos(lo);
    return {float(x), float(y * std::cos(t) - z * std::sin(t)), float(y * std::sin(t) + z * std::cos(t))};
}

struct Globe {
    QPointF centre;
    double radius;
    QPointF project(const QVector3D& v) const { return {centre.x() + radius * v.x(), centre.y() - radius * v.y()}; }
};

// Strokes the part of a curve on the sphere that faces the viewer.
void strokeVisible(QPainter& p, const Globe& g, const std::vector<QVector3D>& curve)
{
    QPainterPath path;
    bool drawing = false;
    for (const QVector3D& v : curve) {
        if (v.z() < 0.02f) {
            drawing = false;
            continue;
        }
        const QPointF at = g.project(v);
        if (drawing)
            path.lineTo(at);
        else
            path.moveTo(at);
        drawing = true;
    }
    p.drawPath(path);
}

std::vector<QVector3D> parallel(double latitude)
{
    std::vector<QVector3D> curve;
    for (int lo = -180; lo <= 180; lo += 4)
        curve.push_back(onSphere(latitude, lo));
    return curve;
}

std::vector<QVector3D> meridian(double longitude)
{
    std::vector<QVector3D> curve;
    for (int la = -90; la <= 90; la += 3)
        curve.push_back(onSphere(la, longitude));
    return curve;
}

// The shorter great-circle arc between two points, so that network links hug the surface.
std::vector<QVector3D> link(const QVector3D& a, const QVector3D& b)
{
    const double angle = std::acos(std::clamp(double(QVector3D::dotProduct(a, b)), -1.0, 1.0));
    std::vector<QVector3D> curve;
    const int steps = 24;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        const double wa = std::sin((1 - t) * angle) / std::sin(angle);
        const double wb = std::sin(t * angle) / std::sin(angle);
        curve.push_back(a * float(wa) + b * float(wb));
    }
    return curve;
}

// px is the size of one device pixel in design units: below the logo's size, lines are set in
// device pixels so that they stay visible instead of shrinking with the picture.
void paintGlobe(QPainter& p, const Globe& g, Detail detail, double px)
{
    const double r = g.radius;
    QRadialGradient sea(g.centre + QPointF(-0.35 * r, -0.4 * r), 1.45 * r);
    sea.setColorAt(0.0, QColor(0x9c, 0xd2, 0xff));
    sea.setColorAt(0.35, QColor(0x3d, 0x91, 0xe8));
    sea.setColorAt(0.8, QColor(0x15, 0x58, 0xc0));
    sea.setColorAt(1.0, QColor(0x0b, 0x3a, 0x8e));
    p.setPen(Qt::NoPen);
    p.setBrush(sea);
    p.drawEllipse(g.centre, r, r);

    p.save();
    QPainterPath disc;
    disc.addEllipse(g.centre, r, r);
    p.setClipPath(disc);
    p.setBrush(Qt::NoBrush);

    const bool full = detail == Detail::Full;
    if (detail != Detail::Tiny) {
        QPen grid(QColor(255, 255, 255, full ? 120 : 110), (full ? 1.0 : 0.8) * px);
        p.setPen(grid);
        const std::vector<double> latitudes = full ? std::vector<double>{-50, -25, 0, 25, 50, 72}
                                                   : std::vector<double>{-35, 0, 35};
        for (double la : latitudes)
            strokeVisible(p, g, parallel(la));
        const int step = full ? 30 : 45;
        for (int lo = 0; lo < 180; lo += step)
            strokeVisible(p, g, meridian(lo + 10));
    }

    if (detail != Detail::Tiny) {
        // Network: a handful of sites joined by links, most of them in the upper half.
        struct Site {
            double latitude, longitude;
        };
        const std::vector<Site> sites = full ? std::vector<Site>{{58, -40}, {44, 28}, {22, -62}, {12, 4},
                                                                 {30, 62}, {-20, -30}, {-28, 40}}
                                             : std::vector<Site>{{44, -35}, {30, 40}, {-18, -15}};
        const std::vector<std::pair<int, int>> links =
            full ? std::vector<std::pair<int, int>>{{0, 1}, {0, 2}, {0, 3}, {1, 3}, {1, 4}, {2, 3},
                                                   {3, 5}, {3, 6}, {4, 6}, {2, 5}}
                 : std::vector<std::pair<int, int>>{{0, 1}, {0, 2}, {1, 2}};
        QPen wire(QColor(0xf4, 0xfb, 0xff), (full ? 1.4 : 1.1) * px);
        wire.setCapStyle(Qt::RoundCap);
        p.setPen(wire);
        for (auto [a, b] : links)
            strokeVisible(p, g, link(onSphere(sites[a].latitude, sites[a].longitude),
                                     onSphere(sites[b].latitude, sites[b].longitude)));
        const double dot = (full ? 2.6 : 1.4) * px;
        p.setPen(QPen(QColor(0x0b, 0x3a, 0x8e), (full ? 1.1 : 0.7) * px));
        p.setBrush(QColor(0xff, 0xff, 0xff));
        for (const Site& s : sites) {
            const QVector3D v = onSphere(s.latitude, s.longitude);
            if (v.z() > 0.15f)
                p.drawEllipse(g.project(v), dot, dot);
        }
    }
    p.restore();

    // A crisp rim keeps the globe round against white at small sizes.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x0a, 0x33, 0x80), (full ? 1.2 : 1.0) * px));
    p.drawEllipse(g.centre, r, r);
}

void paintArrows(QPainter& p, QPointF c, double radius, double width, Detail detail, double px)
{
    const double head = detail == Detail::Full ? 24 : 30;
    // Half a turn apart. The first head ends at about two o'clock so that, on the logo, it lies
    // wholly inside the band the window shows.
    const std::pair<double, double> spans[] = {{176, 34}, {-4, -146}};
    for (auto [from, to] : spans) {
        const QPainterPath path = arrowPath(c, radius, width, from, to, head, width * 1.25);
        QLinearGradient shade(c + QPointF(-radius, -radius), c + QPointF(radius, radius));
        shade.setColorAt(0.0, QColor(0x3f, 0x8c, 0xf0));
        shade.setColorAt(1.0, QColor(0x10, 0x3f, 0xa8));
        p.setBrush(shade);
        p.setPen(QPen(QColor(0x0a, 0x2c, 0x78), (detail == Detail::Full ? 1.0 : 0.8) * px,
                      Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(path);
    }
}

} // namespace

QPainterPath arrowPath(QPointF c, double radius, double width, double from, double to, double head, double flare)
{
    const double inner = radius - width / 2, outer = radius + width / 2;
    auto at = [&](double r, double degrees) {
        return QPointF(c.x() + r * std::cos(rad(degrees)), c.y() - r * std::sin(rad(degrees)));
    };
    QPainterPath path;
    path.moveTo(at(outer, from));
    // Qt's arcTo counts angles counter-clockwise; a negative sweep runs clockwise.
    path.arcTo(QRectF(c.x() - outer, c.y() - outer, 2 * outer, 2 * outer), from, to - from);
    path.lineTo(at(outer + flare, to));
    path.lineTo(at(radius, to - head));
    path.lineTo(at(inner - flare, to));
    path.lineTo(at(inner, to));
    path.arcTo(QRectF(c.x() - inner, c.y() - inner, 2 * inner, 2 * inner), to, from - to);
    path.closeSubpath();
    return path;
}

void paint(QPainter& painter, const QRectF& box, Detail detail)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.topLeft());
    painter.scale(box.width() / kDesign, box.height() / kDesign);

    // Small renderings keep the whole motif centred; the logo lifts it for the window's band.
    const QPointF centre = detail == Detail::Full ? QPointF(kCentreX, kCentreY) : QPointF(62.5, 62.5);
    const double globe = detail == Detail::Full ? 35 : detail == Detail::Icon ? 36 : 26;
    const double ring = 50;
    const double width = detail == Detail::Full ? 9 : detail == Detail::Icon ? 12 : 14;
    const double px = kDesign / box.width();
    paintGlobe(painter, Globe{centre, globe}, detail, px);
    paintArrows(painter, centre, ring, width, detail, px);
    painter.restore();
}

QImage logo()
{
    QImage image(125, 125, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    paint(p, QRectF(0, 0, 125, 125), Detail::Full);
    return image;
}

QImage icon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    paint(p, QRectF(0, 0, size, size), size >= 32 ? Detail::Icon : Detail::Tiny);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace GlobeMotif
