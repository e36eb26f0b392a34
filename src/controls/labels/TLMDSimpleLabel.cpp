#include "controls/labels/TLMDSimpleLabel.h"

#include <QMouseEvent>

TLMDSimpleLabel::TLMDSimpleLabel(TComponent* owner, QWidget* parent) : TLMDBaseLabel(owner, parent)
{
    font3D_.OnChange = [this](TLMDObject* changed) { FontFXChanged(changed); };
}

TLMDSimpleLabel::~TLMDSimpleLabel()
{
    font3D_.OnChange = nullptr;
}

bool TLMDSimpleLabel::NothingToPaint() const
{
    return Transparent() && GetShownText().isEmpty();
}

void TLMDSimpleLabel::FontFXChanged(TLMDObject* changed)
{
    if (Loading())
        return;
    if (changed == nullptr)
        applySmoothing();
    UpdateLabel();
}

void TLMDSimpleLabel::SetFontSmoothing(bool v)
{
    if (v == fontSmoothing_)
        return;
    fontSmoothing_ = v;
    applySmoothing();
}

void TLMDSimpleLabel::applySmoothing()
{
    const QFont::StyleStrategy wanted = fontSmoothing_ ? QFont::PreferAntialias : QFont::PreferDefault;
    if (font().styleStrategy() == wanted)
        return;
    QFont f = font();
    f.setStyleStrategy(wanted);
    setFont(f);
}

void TLMDSimpleLabel::SetJumpMode(TLMDJumpMode v)
{
    if (v == jumpMode_)
        return;
    jumpMode_ = v;
    if (isLink())
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    applyLinkFont();
}

void TLMDSimpleLabel::SetActiveColor(TColor v)
{
    activeColor_ = v;
    if (visited_)
        SetFontColor(v);
}

void TLMDSimpleLabel::SetJumpUnderline(bool v)
{
    if (v == jumpUnderline_)
        return;
    jumpUnderline_ = v;
    applyLinkFont();
}

void TLMDSimpleLabel::applyLinkFont()
{
    if (!isLink() || !jumpUnderline_ || font().underline())
        return;
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
}

std::string TLMDSimpleLabel::JumpTarget() const
{
    if (jump_.find_first_not_of(' ') != std::string::npos)
        return jump_;
    const std::string caption = Caption().toStdString();
    if (jumpMode_ == jmInternet && caption.find('@') != std::string::npos)
        return "mailto:" + caption;
    return caption;
}

void TLMDSimpleLabel::mousePressEvent(QMouseEvent* event)
{
    TLMDBaseLabel::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !isLink())
        return;
    pressed_ = true;
    visited_ = true;
    SetFontColor(activeColor_);
}

void TLMDSimpleLabel::mouseReleaseEvent(QMouseEvent* event)
{
    TLMDBaseLabel::mouseReleaseEvent(event);
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (!click || !isLink() || !OpenTarget)
        return;
    if (!OpenTarget(JumpTarget())) {
        // A link that cannot be opened stays inert; no message.
        SetJumpMode(jmNone);
        setEnabled(false);
    }
}

void TLMDSimpleLabel::PlaceText(QRect& r, UINT& flags)
{
    if (!MultiLine())
        flags |= DT_SINGLELINE;
    else if (LowerRowAlignment())
        PlaceMeasured(r, flags);
}

bool TLMDSimpleLabel::ReadControlProperty(const std::string& name, const std::string& value)
{
    if (name.rfind("Font3D.", 0) == 0)
        return font3D_.ReadProperty(name.substr(7), value);
    if (name == "FontSmoothing")
        SetFontSmoothing(StoredBool(name, value));
    else if (name == "Jump")
        SetJump(value);
    else if (name == "JumpMode")
        SetJumpMode(static_cast<TLMDJumpMode>(StoredEnum(name, value, TLMDJumpModeNames)));
    else if (name == "ActiveColor")
        SetActiveColor(StoredColor(name, value));
    else if (name == "InActiveColor")
        SetInActiveColor(StoredColor(name, value));
    else if (name == "JumpUnderline")
        SetJumpUnderline(StoredBool(name, value));
    else
        return TLMDBaseLabel::ReadControlProperty(name, value);
    return true;
}
