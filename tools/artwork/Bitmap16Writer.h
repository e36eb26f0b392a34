#pragma once
// Writer for 16-colour Windows bitmaps (4 bits per pixel, uncompressed, bottom-up), the format of
// the glyph strips. Kept apart from the drawing so that the tests can round-trip it through the
// program's reader.
#include <QByteArray>
#include <QImage>
#include <QList>

namespace Bitmap16Writer {

// The 16 colours of the standard Windows/VGA palette, in the order 16-colour bitmaps store them.
const QList<QRgb>& vgaPalette();

// Index in vgaPalette() of the colour the glyph strips use as transparent (dark yellow, 0x808000).
constexpr int kTransparentIndex = 3;

// Encodes an Indexed8 image whose every index is below 16; the palette written is the image's
// colour table padded to 16 entries. Returns an empty array for any other image.
QByteArray encode(const QImage& indexed);

} // namespace Bitmap16Writer
