#pragma once
// A text effect that can also turn the caption by an angle and inset its start point.
#include "controls/labels/TLMD3DCaption.h"

#include <cstdint>

class TLMDFxCaption : public TLMD3DCaption {
public:
    TLMDFxCaption() = default;
    TLMDFxCaption(const TLMDFxCaption&) = default;
    TLMDFxCaption& operator=(const TLMDFxCaption& other);

    // Degrees counter-clockwise, 0 to 359; a full turn is stored as 0.
    int Angle() const { return angle_; }
    void SetAngle(int degrees);
    std::uint16_t PosX() const { return posX_; }
    void SetPosX(std::uint16_t v) { Set(posX_, v); }
    std::uint16_t PosY() const { return posY_; }
    void SetPosY(std::uint16_t v) { Set(posY_, v); }

    bool ReadProperty(const std::string& name, const std::string& value) override;

private:
    int angle_ = 0;
    std::uint16_t posX_ = 0;
    std::uint16_t posY_ = 0;
};
