#pragma once
// JPEG decoding through libjpeg. libjpeg's own error handling ends the process; here a damaged or
// truncated picture yields a null image instead, so a bad logo costs the window its picture only.
#include <QByteArrayView>
#include <QImage>
#include <QString>

class JpegImage {
public:
    // An RGB32 image, or a null image when the bytes are not a complete, well-formed JPEG.
    static QImage decode(QByteArrayView bytes);
    // Reads a file or a compiled-in resource (":/name").
    static QImage load(const QString& path);
};
