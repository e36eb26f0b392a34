#include "controls/labels/TLMDFxCaption.h"

#include "framework/core/TComponent.h"

TLMDFxCaption& TLMDFxCaption::operator=(const TLMDFxCaption& other)
{
    if (this == &other)
        return *this;
    SuspendNotification();
    TLMD3DCaption::operator=(other);
    SetAngle(other.angle_);
    SetPosX(other.posX_);
    SetPosY(other.posY_);
    ResumeNotification(true);
    return *this;
}

void TLMDFxCaption::SetAngle(int degrees)
{
    if (degrees < 0 || degrees > 360)
        return;
    Set(angle_, degrees == 360 ? 0 : degrees);
}

bool TLMDFxCaption::ReadProperty(const std::string& name, const std::string& value)
{
    if (name == "Angle")
        SetAngle(StoredInt(name, value));
    else if (name == "PosX")
        SetPosX(static_cast<std::uint16_t>(StoredInt(name, value)));
    else if (name == "PosY")
        SetPosY(static_cast<std::uint16_t>(StoredInt(name, value)));
    else
        return TLMD3DCaption::ReadProperty(name, value);
    return true;
}
