#include "controls/labels/TLMD3DCaption.h"

#include "controls/LMDTypes.h"
#include "framework/core/TComponent.h"

TLMD3DCaption& TLMD3DCaption::operator=(const TLMD3DCaption& other)
{
    if (this == &other)
        return *this;
    SuspendNotification();
    SetDisabledStyle(other.disabledStyle_);
    SetLightDepth(other.lightDepth_);
    SetShadowDepth(other.shadowDepth_);
    SetLightColor(other.lightColor_);
    SetOrientation(other.orientation_);
    SetShadowColor(other.shadowColor_);
    SetStyle(other.style_);
    SetTracing(other.tracing_);
    ResumeNotification(true);
    return *this;
}

bool TLMD3DCaption::ReadProperty(const std::string& name, const std::string& value)
{
    if (name == "DisabledStyle")
        SetDisabledStyle(static_cast<TLMDDisabledStyle>(StoredEnum(name, value, TLMDDisabledStyleNames)));
    else if (name == "LightDepth")
        SetLightDepth(static_cast<std::uint8_t>(StoredInt(name, value)));
    else if (name == "ShadowDepth")
        SetShadowDepth(static_cast<std::uint8_t>(StoredInt(name, value)));
    else if (name == "LightColor")
        SetLightColor(StoredColor(name, value));
    else if (name == "Orientation")
        SetOrientation(static_cast<TLMDThreeDOrientation>(StoredEnum(name, value, TLMDThreeDOrientationNames)));
    else if (name == "ShadowColor")
        SetShadowColor(StoredColor(name, value));
    else if (name == "Style")
        SetStyle(static_cast<TLMDThreeDStyle>(StoredEnum(name, value, TLMDThreeDStyleNames)));
    else if (name == "Tracing")
        SetTracing(StoredInt(name, value));
    else
        return false;
    return true;
}
