#pragma once
// The extended About icon: the icon framed in black on the button face, with a grey drop shadow,
// on a bitmap twice the icon's size and 8 pixels more each way.
#include <QImage>

QImage ShadowedIcon(const QImage& icon);
