#include "ArtworkTestSupport.h"

#include <QDir>
#include <QFile>
#include <QSet>

QString resourcePath(const QString& name)
{
    // From the build, not from __FILE__: a compiler cache may hand out relative source paths.
    return QDir(QStringLiteral(TALLYRUNE_SOURCE_DIR "/resources")).filePath(name);
}

QByteArray resourceBytes(const QString& name)
{
    QFile file(resourcePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QList<QRgb> coloursIn(const QImage& image)
{
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            seen.insert(image.pixel(x, y) | 0xFF000000u);
    return QList<QRgb>(seen.begin(), seen.end());
}
