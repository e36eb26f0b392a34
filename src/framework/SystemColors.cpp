#include "framework/SystemColors.h"

QColor ToQColor(TColor color)
{
    const auto value = static_cast<std::uint32_t>(color);
    if ((value & 0xFF000000u) == 0xFF000000u) {
        // The classic scheme: what the program was drawn for.
        switch (value & 0xFF) {
        case 5: return QColor(255, 255, 255);  // window
        case 6: return QColor(0, 0, 0);        // window frame
        case 8: return QColor(0, 0, 0);        // window text
        case 15: return QColor(212, 208, 200); // button face
        case 16: return QColor(128, 128, 128); // button shadow
        case 17: return QColor(128, 128, 128); // grey text
        case 18: return QColor(0, 0, 0);       // button text
        case 20: return QColor(255, 255, 255); // button highlight
        case 21: return QColor(64, 64, 64);    // 3D dark shadow
        case 22: return QColor(212, 208, 200); // 3D light
        case 23: return QColor(0, 0, 0);       // info text
        case 24: return QColor(255, 255, 225); // info background
        default: return QColor(0, 0, 0);
        }
    }
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

TColor FromQColor(const QColor& color)
{
    return static_cast<TColor>(color.red() | (color.green() << 8) | (color.blue() << 16));
}
