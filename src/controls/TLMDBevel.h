#pragma once
// The frame of a caption label: outer and inner bevel lines with border rings between them. Its
// width in pixels is kept up to date after every change.
#include "controls/TLMDObject.h"
#include "framework/core/TColor.h"

#include <QRect>
#include <algorithm>
#include <array>
#include <string>

class QPainter;

enum TLMDBevelMode { bmCustom, bmStandard, bmEdge, bmWindows };
inline constexpr std::array<const char*, 4> TLMDBevelModeNames{"bmCustom", "bmStandard", "bmEdge", "bmWindows"};

// Scoped: the plain panel's bevel cuts use some of the same names.
enum class TLMDBevelStyle { bvNone, bvLowered, bvRaised, bvFrameLowered, bvFrameRaised, bvNormal, bvShadow };
inline constexpr std::array<const char*, 7> TLMDBevelStyleNames{
    "bvNone", "bvLowered", "bvRaised", "bvFrameLowered", "bvFrameRaised", "bvNormal", "bvShadow"};

enum TLMDEdgeStyle { etRaisedInner, etRaisedOuter, etSunkenInner, etSunkenOuter, etBump, etEtched, etRaised, etSunken };
inline constexpr std::array<const char*, 8> TLMDEdgeStyleNames{
    "etRaisedInner", "etRaisedOuter", "etSunkenInner", "etSunkenOuter", "etBump", "etEtched", "etRaised", "etSunken"};

enum TLMDBorderStyle {
    lsNone,
    lsSingle,
    lsLowered,
    lsRaised,
    lsRaisedspb,
    lsLoweredspb,
    lsRaisedExt,
    lsLoweredExt,
    lsFrameInset,
    lsFrameOffset,
    lsWindowBorder,
    lsSingleRaised,
    lsSingleLowered,
    lsDoubleRaised,
    lsDoubleLowered
};
inline constexpr std::array<const char*, 15> TLMDBorderStyleNames{
    "lsNone",         "lsSingle",       "lsLowered",       "lsRaised",       "lsRaisedspb",
    "lsLoweredspb",   "lsRaisedExt",    "lsLoweredExt",    "lsFrameInset",   "lsFrameOffset",
    "lsWindowBorder", "lsSingleRaised", "lsSingleLowered", "lsDoubleRaised", "lsDoubleLowered"};

enum TLMDFrameSide { fsBottom, fsLeft, fsRight, fsTop };
using TLMDFrameSides = unsigned; // bit n for ordinal n
inline constexpr std::array<const char*, 4> TLMDFrameSideNames{"fsBottom", "fsLeft", "fsRight", "fsTop"};

class TLMDBevel : public TLMDObject {
public:
    TLMDBevel() = default;
    TLMDBevel(const TLMDBevel&) = default;
    TLMDBevel& operator=(const TLMDBevel& other);

    TLMDBevelStyle StyleInner() const { return styleInner_; }
    void SetStyleInner(TLMDBevelStyle v) { change(styleInner_, v); }
    TLMDBevelStyle StyleOuter() const { return styleOuter_; }
    void SetStyleOuter(TLMDBevelStyle v) { change(styleOuter_, v); }
    int WidthInner() const { return widthInner_; }
    void SetWidthInner(int v) { change(widthInner_, std::clamp(v, 0, 50)); }
    int WidthOuter() const { return widthOuter_; }
    void SetWidthOuter(int v) { change(widthOuter_, std::clamp(v, 0, 50)); }
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor v) { change(borderColor_, v); }
    TLMDFrameSides BorderSides() const { return borderSides_; }
    void SetBorderSides(TLMDFrameSides v) { change(borderSides_, v & 0xFu); }
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int v) { change(borderWidth_, std::clamp(v, 0, 255)); }
    int BorderInnerWidth() const { return borderInnerWidth_; }
    void SetBorderInnerWidth(int v) { change(borderInnerWidth_, std::clamp(v, 0, 255)); }
    TLMDEdgeStyle EdgeStyle() const { return edgeStyle_; }
    void SetEdgeStyle(TLMDEdgeStyle v) { change(edgeStyle_, v); }
    TColor LightColor() const { return lightColor_; }
    void SetLightColor(TColor v) { change(lightColor_, v); }
    TLMDBevelMode Mode() const { return mode_; }
    void SetMode(TLMDBevelMode v) { change(mode_, v); }
    TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(TColor v) { change(shadowColor_, v); }
    TLMDBorderStyle StandardStyle() const { return standardStyle_; }
    void SetStandardStyle(TLMDBorderStyle v) { change(standardStyle_, v); }

    // Pixels the frame takes on each side.
    int Width() const { return width_; }

    // Draws the frame inside r and shrinks r to the room left inside it. The border rings are
    // only skipped over when they would not show: in the control's own colour or over a
    // transparent control.
    void Draw(QPainter& painter, QRect& r, bool ringsShow) const;

    bool ReadProperty(const std::string& name, const std::string& value);

private:
    template <class T> void change(T& field, T value)
    {
        if (field == value)
            return;
        field = value;
        width_ = computeWidth();
        Changed();
    }
    int computeWidth() const;

    TLMDBevelStyle styleInner_ = TLMDBevelStyle::bvNone;
    TLMDBevelStyle styleOuter_ = TLMDBevelStyle::bvNone;
    int widthInner_ = 1;
    int widthOuter_ = 1;
    TColor borderColor_ = clBtnFace;
    TLMDFrameSides borderSides_ = 0xF;
    int borderWidth_ = 0;
    int borderInnerWidth_ = 0;
    TLMDEdgeStyle edgeStyle_ = etEtched;
    TColor lightColor_ = clBtnHighlight;
    TLMDBevelMode mode_ = bmCustom;
    TColor shadowColor_ = clBtnShadow;
    TLMDBorderStyle standardStyle_ = lsSingleLowered;
    int width_ = 0;
};
