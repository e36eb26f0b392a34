#pragma once
// Baseline JPEG through libjpeg's compressor, so that the logo is exactly what we ask of libjpeg
// (quality, no chroma subsampling, JFIF at 96 dpi) whatever Qt's image plugins do.
#include <QByteArray>
#include <QImage>

namespace JpegWriter {

// Returns an empty array when libjpeg refuses the image.
QByteArray encode(const QImage& image, int quality);

} // namespace JpegWriter
