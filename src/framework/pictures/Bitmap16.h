#pragma once
// Reader for the glyph strips: Windows bitmaps with a colour table (1, 4 or 8 bits per pixel,
// uncompressed). The glyph buttons take their transparent colour from the bottom-left pixel, so the
// colour table is kept as it is in the file rather than folded into a true-colour image.
#include <QByteArrayView>
#include <QImage>
#include <QString>

class Bitmap16 {
public:
    // An Indexed8 image with the file's colour table, or a null image when the bytes are not a
    // complete bitmap of a supported kind.
    static QImage decode(QByteArrayView bytes);
    // Reads a file or a compiled-in resource (":/name").
    static QImage load(const QString& path);
};
