#include "controls/buttons/TLMDSpeedButton.h"

#include "controls/buttons/ButtonFace.h"

#include <QPainter>

TLMDSpeedButton::TLMDSpeedButton(TComponent* owner, QWidget* parent) : TLMDGlyphButton(owner, parent)
{
    resize(23, 22);
    SetTakesFocus(false);
    setFocusPolicy(Qt::NoFocus);
}

void TLMDSpeedButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const TLMDButtonState state = DrawnState();
    const QColor face = look_.FaceColor(*this);
    painter.fillRect(rect(), face);
    QRect edge = rect();
    if (state == bstDown)
        DrawSunkenButtonEdge(painter, edge);
    else
        DrawRaisedButtonEdge(painter, edge);
    const int border = look_.BorderWidth();
    QRect content = rect().adjusted(border, border, -border, -border);
    if (state == bstDown)
        content.translate(1, 1);
    look_.DrawContent(painter, content, state, text(), font(), face);
}

bool TLMDSpeedButton::ReadControlProperty(const std::string& name, const std::string& value)
{
    if (name == "GroupIndex")
        groupIndex_ = StoredInt(name, value);
    else if (name == "AllowAllUp")
        allowAllUp_ = StoredBool(name, value);
    else if (name == "EnterColor")
        enterColor_ = StoredColor(name, value);
    else if (name == "EnterColorChange")
        enterColorChange_ = StoredBool(name, value);
    else
        return TLMDGlyphButton::ReadControlProperty(name, value);
    return true;
}
