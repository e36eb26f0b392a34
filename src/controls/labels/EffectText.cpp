#include "controls/labels/EffectText.h"
#include "framework/SystemColors.h"

#include "controls/labels/TLMDFxCaption.h"
#include "framework/TextLayout.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {
struct Pass {
    int Dx, Dy;
    TColor Color;
};

// Restores the painter (clip region, font, pen, brush) however the drawing ends.
class PainterState {
public:
    explicit PainterState(QPainter& p) : p_(p) { p_.save(); }
    ~PainterState() { p_.restore(); }
    PainterState(const PainterState&) = delete;
    PainterState& operator=(const PainterState&) = delete;

private:
    QPainter& p_;
};

int depthOf(const TLMD3DCaption& e, TLMDThreeDStyle style)
{
    const int L = e.LightDepth(), S = e.ShadowDepth();
    switch (style) {
    case tdSunken:
    case tdRaised: return L;
    case tdSunkenShadow:
    case tdRaisedShadow:
    case tdPColorSunken:
    case tdPColorRaised: return L + S;
    case tdShadow:
    case tdExtrude:
    case tdExtrudeEnh: return S;
    case tdNone:
    case tdOutline: return 0;
    }
    return 0;
}

// How far the right edge of the drawing rectangle moves left before the passes.
int shrinkOf(const TLMD3DCaption& e, TLMDThreeDStyle style)
{
    return style == tdExtrude || style == tdExtrudeEnh || style == tdOutline ? 0 : depthOf(e, style);
}

// Extrusions: where the copies start and which way they step.
void extrusionOf(TLMDThreeDOrientation o, int S, QPoint& start, QPoint& step)
{
    switch (o) {
    case toBottomLeft: start = {0, S + 1}, step = {1, -1}; return;
    case toBottomRight: start = {S + 1, S + 1}, step = {-1, -1}; return;
    case toTopLeft: start = {0, 0}, step = {1, 1}; return;
    case toTopRight: start = {S + 1, 0}, step = {-1, 1}; return;
    }
    start = {0, 0}, step = {0, 0};
}

// The k-th copy of an enhanced extrusion fades from the shadow colour toward the light colour.
// The two colours are resolved first: a system colour's index is no colour to blend.
TColor blend(TColor shadow, TColor light, int i, int n)
{
    const TColor a = FromQColor(ToQColor(shadow)), b = FromQColor(ToQColor(light));
    TColor out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        out |= (ca + i * (cb - ca) / n) << shift;
    }
    return out;
}

// Halves round up, the same way on both sides of zero, so a turned box keeps its width.
long nearest(double v)
{
    return static_cast<long>(std::floor(v + 0.5 + 1e-9));
}

std::vector<Pass> passesOf(const TLMD3DCaption& e, TLMDThreeDStyle style, TColor T)
{
    const int L = e.LightDepth(), S = e.ShadowDepth();
    const TColor light = e.LightColor(), shadow = e.ShadowColor();
    switch (style) {
    case tdNone: return {{0, 0, T}};
    case tdSunken: return {{L, L, light}, {0, 0, T}};
    case tdRaised: return {{0, 0, light}, {L, L, T}};
    case tdSunkenShadow:
    case tdPColorSunken: return {{0, 0, shadow}, {L + S, L + S, light}, {S, S, T}};
    case tdRaisedShadow:
    case tdPColorRaised: return {{L + S, L + S, shadow}, {0, 0, light}, {L, L, T}};
    case tdShadow: return {{S, S, shadow}, {0, 0, T}};
    case tdOutline: return {{S / 2, S / 2, T}};
    case tdExtrude:
    case tdExtrudeEnh: {
        QPoint start, step;
        extrusionOf(e.Orientation(), S, start, step);
        std::vector<Pass> passes;
        for (int k = 1; k <= S; ++k) {
            const TColor c = style == tdExtrude ? shadow : blend(shadow, light, S - k, S);
            passes.push_back({start.x() + k * step.x(), start.y() + k * step.y(), c});
        }
        passes.push_back({start.x() + S * step.x(), start.y() + S * step.y(), T});
        return passes;
    }
    }
    return {{0, 0, T}};
}
} // namespace

int EffectRoom(const TLMD3DCaption& effect)
{
    const TLMDThreeDStyle style = effect.Style();
    return style == tdOutline ? effect.ShadowDepth() : depthOf(effect, style);
}

void DrawEffectText(TCanvas& canvas, const QString& text, const TLMD3DCaption* effect, const QRect& r, UINT flags,
                    WORD state, const QRect* clip)
{
    if (text.isEmpty() || r.width() <= 0 || r.height() <= 0 || canvas.Painter == nullptr)
        return;
    QPainter& painter = *canvas.Painter;
    PainterState saved(painter);
    if (effect == nullptr) {
        painter.setFont(canvas.Font);
        painter.setPen(ToQColor(canvas.FontColor));
        QRect place = r;
        DrawTextLayout(&painter, text, place, flags);
        return;
    }
    const auto* fx = dynamic_cast<const TLMDFxCaption*>(effect);
    const int angle = fx != nullptr ? fx->Angle() : 0;
    if (state & dsfClip)
        painter.setClipRect(clip != nullptr ? *clip : r);

    TLMDThreeDStyle style = effect->Style();
    TColor T;
    if ((state & dsfEnabled) || effect->DisabledStyle() == dsNone) {
        T = style == tdPColorSunken || style == tdPColorRaised ? canvas.BrushColor : canvas.FontColor;
    } else {
        T = clGrayText;
        if (effect->DisabledStyle() == ds3d || (effect->DisabledStyle() == dsAuto && (state & dsfDisabledSunken)))
            style = tdSunken;
    }

    QFont font = canvas.Font;
    if (effect->Tracing() != 0)
        font.setLetterSpacing(QFont::AbsoluteSpacing, effect->Tracing());
    painter.setFont(font);
    painter.setBrush(Qt::NoBrush);

    QRect p = r;
    if (fx != nullptr)
        p.setTopLeft(p.topLeft() + QPoint(fx->PosX(), fx->PosY()));
    p.setWidth(p.width() - shrinkOf(*effect, style));

    const TextLayout layout(font);
    const QFontMetrics fm(font);
    for (const Pass& pass : passesOf(*effect, style, T)) {
        const QRect at = p.translated(pass.Dx, pass.Dy);
        const QColor colour = ToQColor(pass.Color);
        QPainterPath path;
        if (angle != 0) {
            // Turned text is one run from the start point, as the platform's plain text output draws it.
            QTransform turn;
            turn.translate(at.left(), at.top());
            turn.rotate(-angle);
            QPainterPath run;
            run.addText(QPointF(0, fm.ascent()), font, text);
            path = turn.map(run);
        } else if (style == tdOutline) {
            layout.AddToPath(path, layout.Lay(text, at, flags));
        }
        if (style == tdOutline) {
            painter.strokePath(path, QPen(colour, effect->ShadowDepth(), Qt::SolidLine));
        } else if (angle != 0) {
            painter.fillPath(path, colour);
        } else {
            painter.setPen(colour);
            layout.Draw(painter, layout.Lay(text, at, flags), at, flags);
        }
    }
}

void MeasureEffectText(const QString& text, TLMD3DCaption* effect, UINT flags, int bevelWidth, bool showAccel,
                       bool multiLine, const QFont& font, QRect& r)
{
    auto* fx = dynamic_cast<TLMDFxCaption*>(effect);
    QFont measured = font;
    if (effect != nullptr && effect->Tracing() != 0)
        measured.setLetterSpacing(QFont::AbsoluteSpacing, effect->Tracing());
    const int room = effect != nullptr ? EffectRoom(*effect) : 0;

    if (fx != nullptr && fx->Angle() != 0) {
        const QFontMetrics fm(measured);
        const int w = fm.horizontalAdvance(text), h = fm.height();
        const double W = w + room, H = h + room;
        const double a = fx->Angle() * std::numbers::pi / 180.0, c = std::cos(a), s = std::sin(a);
        long minX = 0, maxX = 0, minY = 0, maxY = 0;
        bool first = true;
        for (const QPointF corner : {QPointF(0, 0), QPointF(W, 0), QPointF(0, H), QPointF(W, H)}) {
            const double dx = corner.x() - W / 2, dy = corner.y() - H / 2;
            const long x = nearest(W / 2 + dx * c + dy * s), y = nearest(H / 2 - dx * s + dy * c);
            minX = first ? x : std::min(minX, x), maxX = first ? x : std::max(maxX, x);
            minY = first ? y : std::min(minY, y), maxY = first ? y : std::max(maxY, y);
            first = false;
        }
        r = QRect(0, 0, static_cast<int>(maxX - minX), static_cast<int>(maxY - minY));
        const int cx = r.width() / 2, cy = r.height() / 2;
        const int k = std::max(0, depthOf(*fx, fx->Style()) / 2 - 1);
        const long posX = nearest(cx - (w / 2) * c - (h / 2) * s) - k;
        const long posY = nearest((w / 2) * s + cy - (h / 2) * c) - k;
        fx->SetPosX(static_cast<std::uint16_t>(std::clamp(posX, 0L, 65535L)));
        fx->SetPosY(static_cast<std::uint16_t>(std::clamp(posY, 0L, 65535L)));
    } else {
        if (fx != nullptr) {
            fx->SuspendNotification();
            fx->SetPosX(0);
            fx->SetPosY(0);
            fx->ResumeNotification(false);
        }
        flags |= DT_CALCRECT | DT_EXPANDTABS;
        if (multiLine)
            flags |= DT_WORDBREAK;
        if (!showAccel)
            flags |= DT_NOPREFIX;
        const QString shown = text.isEmpty() || (showAccel && text == QStringLiteral("&")) ? QStringLiteral(" ") : text;
        MeasureTextLayout(measured, shown, r, flags);
        r.setWidth(r.width() + room);
        r.setHeight(r.height() + room);
    }
    r.setWidth(r.width() + 2 * (bevelWidth + 1));
    r.setHeight(r.height() + 2 * (bevelWidth + 1));
}
