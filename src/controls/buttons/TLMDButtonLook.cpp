#include "controls/buttons/TLMDButtonLook.h"
#include "framework/SystemColors.h"

#include "controls/labels/EffectText.h"
#include "framework/widgets/StdControls.h"
#include "framework/core/TComponent.h"
#include "framework/TextLayout.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>

TLMDButtonLook::TLMDButtonLook(std::function<void()> changed) : changed_(std::move(changed))
{
    auto report = [this](TLMDObject*) {
        if (changed_)
            changed_();
    };
    layout_.OnChange = report;
    glyph_.OnChange = report;
    fontFX_.OnChange = report;
}

void TLMDButtonLook::SetButtonStyle(TLMDUserButtonStyle v)
{
    if (v == style_)
        return;
    style_ = v;
    changed_();
}

int TLMDButtonLook::BorderWidth() const
{
    switch (style_) {
    case ubsWin31: return 3;
    case ubsFlat:
    case ubsFlatUnColored:
    case ubsExplorer:
    case ubsExplorerColored:
    case ubsCombo:
    case ubsOffice:
    case ubsOfficeTransp: return 1;
    default: return 2;
    }
}

void TLMDButtonLook::SetUseCaption(bool v)
{
    if (v == useCaption_)
        return;
    useCaption_ = v;
    changed_();
}

void TLMDButtonLook::SetMultiLine(bool v)
{
    if (v == multiLine_)
        return;
    multiLine_ = v;
    changed_();
}

void TLMDButtonLook::SetParentColor(bool v)
{
    if (v == parentColor_)
        return;
    parentColor_ = v;
    changed_();
}

void TLMDButtonLook::SetColor(TColor v)
{
    parentColor_ = false;
    if (v == color_)
        return;
    color_ = v;
    changed_();
}

void TLMDButtonLook::SetFontColor(TColor v)
{
    if (v == fontColor_)
        return;
    fontColor_ = v;
    changed_();
}

QColor TLMDButtonLook::FaceColor(const QWidget& button) const
{
    if (parentColor_ && button.parentWidget() != nullptr)
        return button.parentWidget()->palette().color(QPalette::Window);
    return ToQColor(color_);
}

void TLMDButtonLook::Place(const QRect& content, const QString& caption, const QFont& font, QRect& glyphAt,
                           QRect& captionAt) const
{
    QSize text;
    if (useCaption_ && !caption.isEmpty()) {
        QRect m(0, 0, content.width(), 0);
        MeasureTextLayout(font, caption, m, multiLine_ ? DT_WORDBREAK | DT_CENTER : DT_SINGLELINE);
        text = m.size() + QSize(EffectRoom(fontFX_), EffectRoom(fontFX_));
    }
    layout_.Place(content, glyph_.CellSize(), text, glyphAt, captionAt);
}

QFont TLMDButtonLook::CaptionFont(const QRect& content, const QString& caption, const QFont& font) const
{
    // The window's bitmap face is drawn in a wider substitute, which would bring a long caption up to
    // a focused button's dotted rectangle on the content's sides: such a caption keeps this margin,
    // its letters closed up by at most a pixel each.
    constexpr int margin = 4;
    constexpr qreal tightest = -1.0;
    if (!useCaption_ || multiLine_ || caption.size() < 2)
        return font;
    QRect m(0, 0, content.width(), 0);
    MeasureTextLayout(font, caption, m, DT_SINGLELINE);
    int room = content.width() - 2 * margin - EffectRoom(fontFX_);
    const QSize glyph = glyph_.CellSize();
    if (!glyph.isEmpty() && layout_.AlignText2Glyph() <= taRightTop) // glyph beside the caption
        room -= glyph.width() + layout_.Spacing();
    if (m.width() <= room)
        return font;
    QFont closer = font;
    const qreal spacing = -static_cast<qreal>(m.width() - room) / static_cast<qreal>(caption.size() - 1);
    closer.setLetterSpacing(QFont::AbsoluteSpacing, std::max(spacing, tightest));
    return closer;
}

void TLMDButtonLook::DrawContent(QPainter& painter, const QRect& content, TLMDButtonState state, const QString& caption,
                                 const QFont& buttonFont, const QColor& face)
{
    const QFont font = CaptionFont(content, caption, buttonFont);
    QRect glyphAt, captionAt;
    Place(content, caption, font, glyphAt, captionAt);
    if (!glyph_.Empty())
        painter.drawPixmap(glyphAt.topLeft(), glyph_.Image(state));
    if (captionAt.isEmpty())
        return;
    TCanvas canvas{&painter, font, fontColor_, FromQColor(face)};
    const WORD flags = state == bstDisabled ? dsfDisabled | dsfDisabledSunken : dsfEnabled;
    DrawEffectText(canvas, caption, &fontFX_, captionAt,
                   DT_NOCLIP | (multiLine_ ? DT_WORDBREAK | DT_CENTER : DT_SINGLELINE), flags);
}

bool TLMDButtonLook::ReadProperty(const std::string& name, const std::string& value)
{
    if (name.rfind("ButtonLayout.", 0) == 0)
        return layout_.ReadProperty(name.substr(13), value);
    if (name.rfind("FontFX.", 0) == 0)
        return fontFX_.ReadProperty(name.substr(7), value);
    if (name == "ButtonStyle")
        SetButtonStyle(static_cast<TLMDUserButtonStyle>(StoredEnum(name, value, TLMDUserButtonStyleNames)));
    else if (name == "Glyph")
        glyph_.SetBitmap(LoadPicture(QString::fromStdString(value)));
    else if (name == "NumGlyphs")
        glyph_.SetNumGlyphs(StoredInt(name, value));
    else if (name == "CtlXP")
        ctlXP_ = StoredBool(name, value);
    else if (name == "UseCaption")
        SetUseCaption(StoredBool(name, value));
    else if (name == "MultiLine")
        SetMultiLine(StoredBool(name, value));
    else if (name == "ParentColor")
        SetParentColor(StoredBool(name, value));
    else if (name == "RepeatedClick")
        repeatedClick_ = StoredBool(name, value);
    else if (name == "RepeatingDelay")
        repeatingDelay_ = StoredInt(name, value);
    else if (name == "RepeatingInterval")
        repeatingInterval_ = StoredInt(name, value);
    else if (name == "HideHint")
        hideHint_ = StoredBool(name, value);
    else
        return false;
    return true;
}
