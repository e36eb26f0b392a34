#include "controls/labels/TLMDBaseLabel.h"
#include "framework/SystemColors.h"

#include "controls/labels/EffectText.h"

#include <QEvent>
#include <QPainter>
#include <QShortcut>

namespace {
constexpr UINT alignmentFlags[] = {
    0,
    DT_CENTER,
    DT_RIGHT,
    DT_VCENTER,
    DT_VCENTER | DT_CENTER,
    DT_VCENTER | DT_RIGHT,
    DT_BOTTOM,
    DT_BOTTOM | DT_CENTER,
    DT_BOTTOM | DT_RIGHT,
};
constexpr UINT optionFlags[] = {DT_PATH_ELLIPSIS, DT_END_ELLIPSIS, DT_EDITCONTROL};

// Clears a flag however the scope ends.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};
} // namespace

TLMDBaseLabel::TLMDBaseLabel(TComponent* owner, QWidget* parent) : QWidget(parent), TControl(owner, this)
{
    resize(30, 30);
}

void TLMDBaseLabel::SetCaption(const QString& caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    updateAccelerator();
    AdjustLabelSize();
    Repaint();
}

void TLMDBaseLabel::SetAlignment(TLMDAlignment v)
{
    if (v == alignment_)
        return;
    alignment_ = v;
    UpdateLabel();
}

void TLMDBaseLabel::SetAutoSize(bool v)
{
    if (v == autoSize_)
        return;
    autoSize_ = v;
    AdjustLabelSize();
}

void TLMDBaseLabel::SetMultiLine(bool v)
{
    if (v == multiLine_)
        return;
    multiLine_ = v;
    UpdateLabel();
}

void TLMDBaseLabel::SetOptions(TLMDLabelOptions v)
{
    if (v == options_)
        return;
    options_ = v;
    UpdateLabel();
}

void TLMDBaseLabel::SetShowAccelChar(bool v)
{
    if (v == showAccelChar_)
        return;
    showAccelChar_ = v;
    updateAccelerator();
    Repaint();
}

void TLMDBaseLabel::SetTransparent(bool v)
{
    if (v == transparent_)
        return;
    transparent_ = v;
    // An opaque label covers all of itself, so the parent need not paint beneath it.
    setAttribute(Qt::WA_OpaquePaintEvent, !transparent_);
    Repaint();
}

TColor TLMDBaseLabel::Color() const
{
    if (parentColor_ && parentWidget() != nullptr)
        return FromQColor(parentWidget()->palette().color(QPalette::Window));
    return color_;
}

void TLMDBaseLabel::SetParentColor(bool v)
{
    if (v == parentColor_)
        return;
    parentColor_ = v;
    Repaint();
}

void TLMDBaseLabel::SetColor(TColor color)
{
    parentColor_ = false;
    if (color == color_)
        return;
    color_ = color;
    Repaint();
}

void TLMDBaseLabel::SetFontColor(TColor color)
{
    TControl::SetFontColor(color);
    if (color == fontColor_)
        return;
    fontColor_ = color;
    Repaint();
}

void TLMDBaseLabel::SetFocusControl(QWidget* control)
{
    focusControl_ = control;
    updateAccelerator();
}

QWidget* TLMDBaseLabel::siblingWidget(const std::string& name) const
{
    auto* control = Owner() != nullptr ? dynamic_cast<TControl*>(Owner()->FindComponent(name)) : nullptr;
    return control != nullptr ? control->Widget() : nullptr;
}

void TLMDBaseLabel::updateAccelerator()
{
    delete accelerator_;
    accelerator_ = nullptr;
    if (focusControl_ == nullptr || !showAccelChar_)
        return;
    const QKeySequence key = QKeySequence::mnemonic(caption_);
    if (key.isEmpty())
        return;
    accelerator_ = new QShortcut(key, this);
    connect(accelerator_, &QShortcut::activated, this, [this] {
        if (isEnabled() && showAccelChar_ && focusControl_ != nullptr && focusControl_->isEnabled() &&
            focusControl_->focusPolicy() != Qt::NoFocus)
            focusControl_->setFocus(Qt::ShortcutFocusReason);
    });
}

UINT TLMDBaseLabel::OptionFlags() const
{
    UINT flags = 0;
    for (int i = 0; i < 3; ++i)
        if (options_ & (1u << i))
            flags |= optionFlags[i];
    return flags;
}

UINT TLMDBaseLabel::ReadingFlags() const
{
    return layoutDirection() == Qt::RightToLeft ? DT_RTLREADING : 0;
}

void TLMDBaseLabel::Repaint()
{
    if (Loading())
        return;
    // A transparent label waits for its parent to paint the background beneath it first.
    if (transparent_)
        update();
    else
        repaint();
}

void TLMDBaseLabel::UpdateLabel()
{
    AdjustLabelSize();
    Repaint();
}

bool TLMDBaseLabel::NothingToPaint() const
{
    return transparent_ && GetShownText().isEmpty() && BevelWidth() == 0;
}

void TLMDBaseLabel::FontFXChanged(TLMDObject*)
{
    if (Loading())
        return;
    UpdateLabel();
}

void TLMDBaseLabel::AdjustLabelSize()
{
    if (!autoSize_ || Loading() || adjusting_)
        return;
    FlagScope adjusting(adjusting_);
    QRect r(0, 0, width(), height());
    MeasureEffectText(caption_, Effect(), OptionFlags() | ReadingFlags(), BevelWidth(), showAccelChar_, multiLine_,
                      font(), r);
    resize(r.x() + r.width(), r.y() + r.height());
}

void TLMDBaseLabel::Loaded()
{
    TControl::Loaded();
    AdjustLabelSize();
}

void TLMDBaseLabel::PlaceMeasured(QRect& r, UINT flags) const
{
    QRect m(r.left(), r.top(), r.width() - 1, r.height());
    MeasureEffectText(GetShownText(), Effect(), flags | OptionFlags(), 0, showAccelChar_, multiLine_, font(), m);
    const int column = alignment_ % 3, row = alignment_ / 3;
    const int dx = (r.width() - m.width()) * column / 2, dy = (r.height() - m.height()) * row / 2;
    r = QRect(r.left() + dx, r.top() + dy, m.width(), m.height());
}

bool TLMDBaseLabel::ReadControlProperty(const std::string& name, const std::string& value)
{
    if (name == "Alignment")
        SetAlignment(static_cast<TLMDAlignment>(StoredEnum(name, value, TLMDAlignmentNames)));
    else if (name == "AutoSize")
        SetAutoSize(StoredBool(name, value));
    else if (name == "MultiLine")
        SetMultiLine(StoredBool(name, value));
    else if (name == "Options")
        SetOptions(StoredSet(name, value, TLMDLabelOptionNames));
    else if (name == "ShowAccelChar")
        SetShowAccelChar(StoredBool(name, value));
    else if (name == "Transparent")
        SetTransparent(StoredBool(name, value));
    else if (name == "ParentColor")
        SetParentColor(StoredBool(name, value));
    else if (name == "Twinkle")
        twinkle_ = StoredBool(name, value);
    else if (name == "TwinkleVisible")
        twinkleVisible_ = StoredInt(name, value);
    else if (name == "TwinkleInVisible")
        twinkleInVisible_ = StoredInt(name, value);
    else if (name == "TwinkleColor")
        twinkleColor_ = StoredColor(name, value);
    else if (name == "FocusControl")
        SetFocusControl(siblingWidget(value));
    else if (name == "About")
        ; // the maker's note, shown at design time only
    else
        return false;
    return true;
}

void TLMDBaseLabel::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        FontFXChanged(nullptr);
    else if (event->type() == QEvent::EnabledChange)
        Repaint();
    else if (event->type() == QEvent::LayoutDirectionChange)
        UpdateLabel();
}

void TLMDBaseLabel::paintEvent(QPaintEvent*)
{
    if (painting_ || adjusting_ || Loading() || NothingToPaint())
        return;
    const QString text = GetShownText();
    FlagScope painting(painting_);
    QPainter painter(this);
    const TColor colour = Color();
    if (!transparent_)
        painter.fillRect(rect(), ToQColor(colour));

    QRect r = rect();
    WORD state = isEnabled() ? dsfEnabled : dsfDisabled;
    QRect clip;
    if (BevelWidth() != 0) {
        DrawFrame(painter, r);
        clip = r;
        state |= dsfClip;
    }
    UINT flags = ReadingFlags();
    PlaceText(r, flags);
    flags |= OptionFlags() | alignmentFlags[alignment_] | DT_WORDBREAK | DT_EXPANDTABS;
    if (!showAccelChar_)
        flags |= DT_NOPREFIX;
    TCanvas canvas{&painter, font(), fontColor_, colour};
    DrawEffectText(canvas, text, Effect(), r, flags, state, (state & dsfClip) ? &clip : nullptr);
}
