#include "ArtworkTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

QString resourcePath(const QString& name)
{
    // The build compiles with absolute source paths, so this file knows where the tree is.
    return QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../../resources/") + name);
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
