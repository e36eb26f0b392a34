#pragma once
// The button glyph strips: 16-colour images side by side, the transparent colour in the
// bottom-left pixel, and where a strip has a second image it is the disabled (etched) one.
#include <QImage>

namespace Glyphs {

QImage update(); // 36 x 18: circling arrows, disabled
QImage help();   // 32 x 16: question mark on a disc, disabled
QImage about();  // 18 x 18: circled letter C
QImage exit();   // 36 x 18: open door with an arrow, disabled

} // namespace Glyphs
