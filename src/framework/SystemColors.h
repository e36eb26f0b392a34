#pragma once
// The colours a control draws with: system colours from the classic Windows scheme.
#include "framework/core/TColor.h"

#include <QColor>

// Resolves system colours at the time of drawing, from the classic Windows scheme.
QColor ToQColor(TColor color);
// The plain colour value of a drawn colour.
TColor FromQColor(const QColor& color);
