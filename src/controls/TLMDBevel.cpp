#include "controls/TLMDBevel.h"
#include "framework/SystemColors.h"

#include "controls/LMDTypes.h"
#include "framework/core/TComponent.h"

#include <QPainter>

namespace {
bool isFrame(TLMDBevelStyle s)
{
    return s == TLMDBevelStyle::bvFrameLowered || s == TLMDBevelStyle::bvFrameRaised;
}

// One ring of lines per pixel of width: top and left in one colour, bottom and right in the other.
void lines(QPainter& p, QRect& r, const QColor& topLeft, const QColor& bottomRight, int width, unsigned sides = 0xF)
{
    for (int i = 0; i < width && r.width() > 0 && r.height() > 0; ++i) {
        if (sides & (1u << fsTop))
            p.fillRect(r.left(), r.top(), r.width(), 1, topLeft);
        if (sides & (1u << fsLeft))
            p.fillRect(r.left(), r.top(), 1, r.height(), topLeft);
        if (sides & (1u << fsBottom))
            p.fillRect(r.left(), r.bottom(), r.width(), 1, bottomRight);
        if (sides & (1u << fsRight))
            p.fillRect(r.right(), r.top(), 1, r.height(), bottomRight);
        r.adjust(1, 1, -1, -1);
    }
}

void bevel(QPainter& p, QRect& r, TLMDBevelStyle style, int width, const QColor& light, const QColor& shadow)
{
    switch (style) {
    case TLMDBevelStyle::bvNone: return;
    case TLMDBevelStyle::bvLowered: lines(p, r, shadow, light, width); return;
    case TLMDBevelStyle::bvRaised: lines(p, r, light, shadow, width); return;
    case TLMDBevelStyle::bvFrameLowered:
        lines(p, r, shadow, light, width);
        lines(p, r, light, shadow, 1);
        return;
    case TLMDBevelStyle::bvFrameRaised:
        lines(p, r, light, shadow, width);
        lines(p, r, shadow, light, 1);
        return;
    case TLMDBevelStyle::bvNormal: lines(p, r, shadow, shadow, width); return;
    case TLMDBevelStyle::bvShadow: {
        // A drop shadow along the right and bottom edges.
        const QRect all = r;
        p.fillRect(all.right() - width + 1, all.top() + width, width, all.height() - width, shadow);
        p.fillRect(all.left() + width, all.bottom() - width + 1, all.width() - width, width, shadow);
        r.adjust(0, 0, -width, -width);
        return;
    }
    }
}

int standardWidth(TLMDBorderStyle s)
{
    switch (s) {
    case lsNone: return 0;
    case lsSingle:
    case lsLowered:
    case lsRaised:
    case lsSingleRaised:
    case lsSingleLowered: return 1;
    default: return 2;
    }
}
} // namespace

TLMDBevel& TLMDBevel::operator=(const TLMDBevel& other)
{
    if (this == &other)
        return *this;
    SuspendNotification();
    SetStyleInner(other.styleInner_);
    SetStyleOuter(other.styleOuter_);
    SetWidthInner(other.widthInner_);
    SetWidthOuter(other.widthOuter_);
    SetBorderColor(other.borderColor_);
    SetBorderSides(other.borderSides_);
    SetBorderWidth(other.borderWidth_);
    SetBorderInnerWidth(other.borderInnerWidth_);
    SetEdgeStyle(other.edgeStyle_);
    SetLightColor(other.lightColor_);
    SetMode(other.mode_);
    SetShadowColor(other.shadowColor_);
    SetStandardStyle(other.standardStyle_);
    ResumeNotification(true);
    return *this;
}

int TLMDBevel::computeWidth() const
{
    switch (mode_) {
    case bmCustom: {
        if (styleInner_ == TLMDBevelStyle::bvShadow)
            return widthInner_ + borderInnerWidth_;
        int w = borderWidth_ + borderInnerWidth_;
        if (styleInner_ != TLMDBevelStyle::bvNone || styleOuter_ != TLMDBevelStyle::bvNone) {
            if (styleOuter_ != TLMDBevelStyle::bvNone)
                w += widthOuter_ + (isFrame(styleOuter_) ? 1 : 0);
            if (styleInner_ != TLMDBevelStyle::bvNone)
                w += widthInner_ + (isFrame(styleInner_) ? 1 : 0);
        }
        return w;
    }
    case bmEdge: return (borderSides_ != 0 ? 2 : 0) + borderInnerWidth_;
    case bmStandard: return standardWidth(standardStyle_) + borderInnerWidth_;
    case bmWindows: return 2 + borderInnerWidth_;
    }
    return 0;
}

void TLMDBevel::Draw(QPainter& p, QRect& r, bool ringsShow) const
{
    if (width_ == 0)
        return;
    const QColor light = ToQColor(lightColor_), shadow = ToQColor(shadowColor_), border = ToQColor(borderColor_);
    auto rings = [&](int count) {
        if (ringsShow)
            lines(p, r, border, border, count);
        else
            r.adjust(count, count, -count, -count);
    };
    switch (mode_) {
    case bmCustom:
        if (styleInner_ == TLMDBevelStyle::bvShadow) {
            bevel(p, r, styleInner_, widthInner_, light, shadow);
            rings(borderInnerWidth_);
            return;
        }
        bevel(p, r, styleOuter_, widthOuter_, light, shadow);
        rings(borderWidth_);
        bevel(p, r, styleInner_, widthInner_, light, shadow);
        rings(borderInnerWidth_);
        return;
    case bmEdge: {
        const bool sunkenOuter = edgeStyle_ == etSunken || edgeStyle_ == etSunkenOuter || edgeStyle_ == etEtched;
        const bool sunkenInner = edgeStyle_ == etSunken || edgeStyle_ == etSunkenInner || edgeStyle_ == etBump;
        const QRect before = r;
        lines(p, r, sunkenOuter ? shadow : light, sunkenOuter ? light : shadow, 1, borderSides_);
        lines(p, r, sunkenInner ? shadow : light, sunkenInner ? light : shadow, 1, borderSides_);
        if (borderSides_ == 0)
            r = before;
        rings(borderInnerWidth_);
        return;
    }
    case bmStandard:
    case bmWindows: {
        const int w = width_ - borderInnerWidth_;
        const bool raised = mode_ == bmStandard && (standardStyle_ == lsRaised || standardStyle_ == lsSingleRaised ||
                                                    standardStyle_ == lsDoubleRaised || standardStyle_ == lsRaisedExt ||
                                                    standardStyle_ == lsRaisedspb);
        lines(p, r, raised ? light : shadow, raised ? shadow : light, w);
        rings(borderInnerWidth_);
        return;
    }
    }
}

bool TLMDBevel::ReadProperty(const std::string& name, const std::string& value)
{
    if (name == "StyleInner")
        SetStyleInner(static_cast<TLMDBevelStyle>(StoredEnum(name, value, TLMDBevelStyleNames)));
    else if (name == "StyleOuter")
        SetStyleOuter(static_cast<TLMDBevelStyle>(StoredEnum(name, value, TLMDBevelStyleNames)));
    else if (name == "WidthInner")
        SetWidthInner(StoredInt(name, value));
    else if (name == "WidthOuter")
        SetWidthOuter(StoredInt(name, value));
    else if (name == "BorderColor")
        SetBorderColor(StoredColor(name, value));
    else if (name == "BorderSides")
        SetBorderSides(StoredSet(name, value, TLMDFrameSideNames));
    else if (name == "BorderWidth")
        SetBorderWidth(StoredInt(name, value));
    else if (name == "BorderInnerWidth")
        SetBorderInnerWidth(StoredInt(name, value));
    else if (name == "EdgeStyle")
        SetEdgeStyle(static_cast<TLMDEdgeStyle>(StoredEnum(name, value, TLMDEdgeStyleNames)));
    else if (name == "LightColor")
        SetLightColor(StoredColor(name, value));
    else if (name == "Mode")
        SetMode(static_cast<TLMDBevelMode>(StoredEnum(name, value, TLMDBevelModeNames)));
    else if (name == "ShadowColor")
        SetShadowColor(StoredColor(name, value));
    else if (name == "StandardStyle")
        SetStandardStyle(static_cast<TLMDBorderStyle>(StoredEnum(name, value, TLMDBorderStyleNames)));
    else
        return false;
    return true;
}
