#include "about/parts/DialogPlacement.h"

QPoint DialogPlacement(TLMDDlgPosition position, const TRect& r, int width, int height, int desktopWidth,
                       int desktopHeight)
{
    // Integer halves truncate toward zero, also when the window is larger than the rectangle.
    const int centreX = r.Left + (r.Right - r.Left - width) / 2;
    const int middleY = r.Top + (r.Bottom - r.Top - height) / 2;
    int x = r.Left, y = r.Top;
    switch (position) {
    case bpCustom:
    case bpTopLeft: break;
    case bpTopCenter: x = centreX; break;
    case bpTopRight: x = r.Right - width; break;
    case bpCenterLeft: y = middleY; break;
    case bpCenter:
        x = centreX;
        y = middleY;
        break;
    case bpCenterRight:
        x = r.Right - width;
        y = middleY;
        break;
    case bpBottomLeft: y = r.Bottom - height; break;
    case bpBottomCenter:
        x = centreX;
        y = r.Bottom - height;
        break;
    case bpBottomRight:
        x = r.Right - width;
        y = r.Bottom - height;
        break;
    }
    if (y + height > desktopHeight)
        y = desktopHeight - height;
    if (x + width > desktopWidth)
        x = desktopWidth - width;
    if (x < 0)
        x = 0;
    if (y < 0)
        y = 0;
    return {x, y};
}
