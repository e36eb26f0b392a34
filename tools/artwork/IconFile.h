#pragma once
// Windows icon files: one 32-bit image per size with its AND mask, readable by every Windows
// version and by Qt's ico plugin.
#include <QByteArray>
#include <QImage>
#include <QList>

namespace IconFile {

QByteArray encode(const QList<QImage>& images);

} // namespace IconFile
