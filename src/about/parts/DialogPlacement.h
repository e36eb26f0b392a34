#pragma once
// Where a dialog window goes within a reference rectangle.
#include <QPoint>

enum TLMDDlgPosition {
    bpCustom,
    bpTopLeft,
    bpTopCenter,
    bpTopRight,
    bpCenterLeft,
    bpCenter,
    bpCenterRight,
    bpBottomLeft,
    bpBottomCenter,
    bpBottomRight
};

enum TLMDDlgPosRel { brScreen, brScreenWorkArea, brMainForm, brActiveWindow };

// Edges as the platform gives them: Right and Bottom lie just outside.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

// The top-left corner for a window whose outer rectangle is width x height, kept on a desktop of
// desktopWidth x desktopHeight: never past its right or bottom edge, never at a negative position.
QPoint DialogPlacement(TLMDDlgPosition position, const TRect& r, int width, int height, int desktopWidth,
                       int desktopHeight);
