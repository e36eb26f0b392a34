#pragma once
// The classic button faces, drawn line by line in the system colours: the raised two-pixel bevel
// of a push button, the sunken edge of a held speed button, the pressed push button's frame and
// the dotted focus rectangle.
#include <QColor>
#include <QRect>

class QPainter;

// Soft raised outer edge on all four sides, then the raised inner edge on the right and bottom;
// r shrinks by what was drawn.
void DrawRaisedButtonEdge(QPainter& painter, QRect& r);
// Soft sunken outer and inner edges on all four sides; r shrinks by both.
void DrawSunkenButtonEdge(QPainter& painter, QRect& r);
// A 1-pixel rectangle along r's edge; r shrinks by 1 on every side.
void FrameButtonRect(QPainter& painter, QRect& r, const QColor& colour);
// The dotted focus rectangle along r's edge: every other pixel in black.
void DrawFocusDots(QPainter& painter, const QRect& r);
