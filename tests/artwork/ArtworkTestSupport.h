#pragma once
// Shared by the artwork tests: the committed pictures, read from the source tree.
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

// Path of a file in the resources folder.
QString resourcePath(const QString& name);

QByteArray resourceBytes(const QString& name);

// Every colour an image uses, once each.
QList<QRgb> coloursIn(const QImage& image);
