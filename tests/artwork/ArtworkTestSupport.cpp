#include "ArtworkTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

QString resourcePath(const QString& name)
{
    // Not this file's own path: a build may compile it by a path relative to the build folder.
    return QDir(QStringLiteral(TALLYRUNE_SOURCE_DIR)).filePath(QStringLiteral("resources/") + name);
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
