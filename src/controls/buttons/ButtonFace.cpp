#include "controls/buttons/ButtonFace.h"

#include "framework/SystemColors.h"

#include <QPainter>

namespace {
// The top and left lines stop short of the far corners, which belong to the bottom and right.
void edge(QPainter& p, QRect& r, const QColor& topLeft, const QColor& bottomRight, bool allSides)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    if (allSides) {
        p.fillRect(r.left(), r.top(), r.width() - 1, 1, topLeft);
        p.fillRect(r.left(), r.top(), 1, r.height() - 1, topLeft);
    }
    p.fillRect(r.left(), r.bottom(), r.width(), 1, bottomRight);
    p.fillRect(r.right(), r.top(), 1, r.height(), bottomRight);
    r.adjust(allSides ? 1 : 0, allSides ? 1 : 0, -1, -1);
}
} // namespace

void DrawRaisedButtonEdge(QPainter& painter, QRect& r)
{
    edge(painter, r, ToQColor(clBtnHighlight), ToQColor(cl3DDkShadow), true);
    edge(painter, r, ToQColor(cl3DLight), ToQColor(clBtnShadow), false);
}

void DrawSunkenButtonEdge(QPainter& painter, QRect& r)
{
    edge(painter, r, ToQColor(cl3DDkShadow), ToQColor(clBtnHighlight), true);
    edge(painter, r, ToQColor(clBtnShadow), ToQColor(cl3DLight), true);
}

void FrameButtonRect(QPainter& painter, QRect& r, const QColor& colour)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    painter.fillRect(r.left(), r.top(), r.width(), 1, colour);
    painter.fillRect(r.left(), r.bottom(), r.width(), 1, colour);
    painter.fillRect(r.left(), r.top(), 1, r.height(), colour);
    painter.fillRect(r.right(), r.top(), 1, r.height(), colour);
    r.adjust(1, 1, -1, -1);
}

void DrawFocusDots(QPainter& painter, const QRect& r)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const QColor black(0, 0, 0);
    // The dots keep one phase along the whole outline, so the corners meet cleanly.
    auto dot = [&](int x, int y) {
        if (((x - r.left()) + (y - r.top())) % 2 == 0)
            painter.fillRect(x, y, 1, 1, black);
    };
    for (int x = r.left(); x <= r.right(); ++x) {
        dot(x, r.top());
        dot(x, r.bottom());
    }
    for (int y = r.top() + 1; y < r.bottom(); ++y) {
        dot(r.left(), y);
        dot(r.right(), y);
    }
}
