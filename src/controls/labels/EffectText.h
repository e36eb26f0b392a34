#pragma once
// Drawing and measuring a caption with a text effect. The canvas carries what a drawing context
// would: the painter, its font, the font colour and the brush colour.
#include "controls/labels/TLMD3DCaption.h"
#include "framework/core/TColor.h"
#include "platform/drawtext.h"

#include <QFont>
#include <QRect>
#include <QString>

class QPainter;

struct TCanvas {
    QPainter* Painter = nullptr;
    QFont Font;
    TColor FontColor = clWindowText;
    TColor BrushColor = clBtnFace;
};

// State flags of a drawing.
enum : WORD {
    dsfDisabled = 1,
    dsfEnabled = 2,
    dsfDisabledSunken = 4, // a disabled text with dsAuto is drawn sunken
    dsfClip = 8,           // clip the drawing to the clip rectangle
};

// Draws text with the effect (or plainly when there is none) in r with DrawTextExA's format
// flags. The clip rectangle is used with dsfClip; r stands in when none is given.
void DrawEffectText(TCanvas& canvas, const QString& text, const TLMD3DCaption* effect, const QRect& r, UINT flags,
                    WORD state, const QRect* clip = nullptr);

// Turns r into the rectangle the drawn text needs, the effect's room and the margins of a bevel
// of the given width included. Measuring needs no window: the font's metrics are the screen's.
// A rotated effect gets its start point (PosX, PosY) from here.
void MeasureEffectText(const QString& text, TLMD3DCaption* effect, UINT flags, int bevelWidth, bool showAccel,
                       bool multiLine, const QFont& font, QRect& r);

// Pixels that the effect's copies need beyond the text itself, to the right and below.
int EffectRoom(const TLMD3DCaption& effect);
