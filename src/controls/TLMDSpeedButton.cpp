#include "controls/TLMDSpeedButton.h"

#include "controls/ButtonFace.h"

#include <QPainter>

TLMDSpeedButton::TLMDSpeedButton(TComponent* owner, QWidget* parent)
    : QAbstractButton(parent), TControl(owner, this), look_([this] { update(); })
{
    resize(23, 22);
    SetTakesFocus(false);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (OnClick)
            OnClick(this);
    });
}

void TLMDSpeedButton::SetCaption(const QString& caption)
{
    if (caption != text())
        setText(caption);
}

void TLMDSpeedButton::SetColor(TColor color) { look_.SetColor(color); }

void TLMDSpeedButton::SetFontColor(TColor color)
{
    TControl::SetFontColor(color);
    look_.SetFontColor(color);
}

TLMDButtonState TLMDSpeedButton::DrawnState() const
{
    if (!isEnabled())
        return bstDisabled;
    if (isDown())
        return bstDown;
    return mouseOver_ ? bstHot : bstUp;
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

void TLMDSpeedButton::enterEvent(QEnterEvent* event)
{
    QAbstractButton::enterEvent(event);
    mouseOver_ = true;
    update();
}

void TLMDSpeedButton::leaveEvent(QEvent* event)
{
    QAbstractButton::leaveEvent(event);
    mouseOver_ = false;
    update();
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
        return look_.ReadProperty(name, value);
    return true;
}
