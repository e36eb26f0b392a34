#include "controls/labels/TLMDLabel.h"

#include <QFontDatabase>
#include <QFontInfo>

TLMDLabel::TLMDLabel(TComponent* owner, QWidget* parent) : TLMDBaseLabel(owner, parent)
{
    bevel_.OnChange = [this](TLMDObject*) { UpdateLabel(); };
    fontFX_.OnChange = [this](TLMDObject* changed) { FontFXChanged(changed); };
}

TLMDLabel::~TLMDLabel()
{
    bevel_.OnChange = nullptr;
    fontFX_.OnChange = nullptr;
}

bool TLMDLabel::NothingToPaint() const
{
    return TLMDBaseLabel::NothingToPaint();
}

void TLMDLabel::FontFXChanged(TLMDObject* changed)
{
    if (Loading())
        return;
    // Only outline fonts turn; a bitmap face gives up the angle, or an angle asks for Arial.
    if (fontFX_.Angle() != 0 && !QFontDatabase::isSmoothlyScalable(QFontInfo(font()).family())) {
        if (changed == nullptr) {
            fontFX_.SuspendNotification();
            fontFX_.SetAngle(0);
            fontFX_.ResumeNotification(false);
        } else {
            QFont f = font();
            f.setFamily(QStringLiteral("Arial"));
            setFont(f);
            return;
        }
    }
    UpdateLabel();
}

void TLMDLabel::PlaceText(QRect& r, UINT& flags)
{
    if (AutoSize())
        return;
    if (fontFX_.Angle() != 0) {
        flags |= DT_SINGLELINE;
        if (Alignment() != agTopLeft)
            PlaceMeasured(r, flags);
    } else if (!MultiLine()) {
        flags |= DT_SINGLELINE;
    } else if (LowerRowAlignment()) {
        PlaceMeasured(r, flags);
    }
}

void TLMDLabel::DrawFrame(QPainter& painter, QRect& r)
{
    bevel_.Draw(painter, r, !Transparent() && bevel_.BorderColor() != Color());
}

bool TLMDLabel::ReadControlProperty(const std::string& name, const std::string& value)
{
    if (name.rfind("FontFX.", 0) == 0)
        return fontFX_.ReadProperty(name.substr(7), value);
    if (name.rfind("Bevel.", 0) == 0)
        return bevel_.ReadProperty(name.substr(6), value);
    return TLMDBaseLabel::ReadControlProperty(name, value);
}
