#pragma once
// The text effect of a caption: how many offset copies in which colours make it look sunken,
// raised, shadowed, outlined or extruded.
#include "controls/TLMDObject.h"
#include "framework/core/TColor.h"

#include <array>
#include <cstdint>
#include <string>

enum TLMDThreeDStyle {
    tdNone,
    tdSunken,
    tdRaised,
    tdSunkenShadow,
    tdRaisedShadow,
    tdPColorSunken,
    tdPColorRaised,
    tdShadow,
    tdOutline,
    tdExtrude,
    tdExtrudeEnh
};
inline constexpr std::array<const char*, 11> TLMDThreeDStyleNames{
    "tdNone",         "tdSunken", "tdRaised",  "tdSunkenShadow", "tdRaisedShadow", "tdPColorSunken",
    "tdPColorRaised", "tdShadow", "tdOutline", "tdExtrude",      "tdExtrudeEnh"};

enum TLMDThreeDOrientation { toBottomLeft, toBottomRight, toTopLeft, toTopRight };
inline constexpr std::array<const char*, 4> TLMDThreeDOrientationNames{"toBottomLeft", "toBottomRight", "toTopLeft",
                                                                       "toTopRight"};

enum TLMDDisabledStyle { dsAuto, dsStandard, ds3d, dsNone };
inline constexpr std::array<const char*, 4> TLMDDisabledStyleNames{"dsAuto", "dsStandard", "ds3d", "dsNone"};

class TLMD3DCaption : public TLMDObject {
public:
    TLMD3DCaption() = default;
    TLMD3DCaption(const TLMD3DCaption&) = default;
    // Takes the other effect's values and reports one change.
    TLMD3DCaption& operator=(const TLMD3DCaption& other);

    TLMDDisabledStyle DisabledStyle() const { return disabledStyle_; }
    void SetDisabledStyle(TLMDDisabledStyle v) { Set(disabledStyle_, v); }
    std::uint8_t LightDepth() const { return lightDepth_; }
    void SetLightDepth(std::uint8_t v) { Set(lightDepth_, v); }
    std::uint8_t ShadowDepth() const { return shadowDepth_; }
    void SetShadowDepth(std::uint8_t v) { Set(shadowDepth_, v); }
    TColor LightColor() const { return lightColor_; }
    void SetLightColor(TColor v) { Set(lightColor_, v); }
    TLMDThreeDOrientation Orientation() const { return orientation_; }
    void SetOrientation(TLMDThreeDOrientation v) { Set(orientation_, v); }
    TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(TColor v) { Set(shadowColor_, v); }
    TLMDThreeDStyle Style() const { return style_; }
    void SetStyle(TLMDThreeDStyle v) { Set(style_, v); }
    int Tracing() const { return tracing_; }
    void SetTracing(int v) { Set(tracing_, v); }

    // One stored property by its name within the effect ("Style", "LightDepth", ...); false
    // for a name the effect does not have.
    virtual bool ReadProperty(const std::string& name, const std::string& value);

private:
    TLMDDisabledStyle disabledStyle_ = dsAuto;
    std::uint8_t lightDepth_ = 1;
    std::uint8_t shadowDepth_ = 1;
    TColor lightColor_ = clBtnHighlight;
    TLMDThreeDOrientation orientation_ = toTopLeft;
    TColor shadowColor_ = clBtnShadow;
    TLMDThreeDStyle style_ = tdNone;
    int tracing_ = 0;
};
