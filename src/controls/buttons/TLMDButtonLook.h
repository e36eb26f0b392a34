#pragma once
// What both glyph buttons share: the face style and colour, the glyph, the placement of glyph and
// caption, the caption's font colour and effect, and the drawing of glyph and caption.
#include "controls/buttons/TLMDButtonLayout.h"
#include "controls/labels/TLMDFxCaption.h"
#include "controls/buttons/TLMDGlyph.h"

#include <QFont>
#include <functional>

class QPainter;
class QWidget;

enum TLMDUserButtonStyle {
    ubsWin31,
    ubsWin40,
    ubsFramed,
    ubsAutoFlat,
    ubsFlat,
    ubsFlatUnColored,
    ubsNavigator,
    ubsExplorer,
    ubsExplorerColored,
    ubsIntegrated,
    ubsCombo,
    ubsOffice,
    ubsOfficeTransp,
    ubsWin40Ext
};
inline constexpr std::array<const char*, 14> TLMDUserButtonStyleNames{
    "ubsWin31",         "ubsWin40",     "ubsFramed",       "ubsAutoFlat",        "ubsFlat",
    "ubsFlatUnColored", "ubsNavigator", "ubsExplorer",     "ubsExplorerColored", "ubsIntegrated",
    "ubsCombo",         "ubsOffice",    "ubsOfficeTransp", "ubsWin40Ext"};

class TLMDButtonLook {
public:
    // The owning button is told of every change that alters its look.
    explicit TLMDButtonLook(std::function<void()> changed);
    TLMDButtonLook(const TLMDButtonLook&) = delete;
    TLMDButtonLook& operator=(const TLMDButtonLook&) = delete;

    TLMDUserButtonStyle ButtonStyle() const { return style_; }
    void SetButtonStyle(TLMDUserButtonStyle v);
    // Pixels a speed button of this style insets its content by.
    int BorderWidth() const;
    TLMDButtonLayout& ButtonLayout() { return layout_; }
    TLMDGlyph& Glyph() { return glyph_; }
    const TLMDGlyph& Glyph() const { return glyph_; }
    TLMDFxCaption& FontFX() { return fontFX_; }
    bool CtlXP() const { return ctlXP_; }
    bool UseCaption() const { return useCaption_; }
    void SetUseCaption(bool v);
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool v);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor v);
    // The face colour as drawn: the parent's while ParentColor stands.
    QColor FaceColor(const QWidget& button) const;

    // Draws glyph and caption in the content rectangle for the state.
    void DrawContent(QPainter& painter, const QRect& content, TLMDButtonState state, const QString& caption,
                     const QFont& font, const QColor& face);
    // Where glyph and caption go in the content rectangle.
    void Place(const QRect& content, const QString& caption, const QFont& font, QRect& glyphAt, QRect& captionAt) const;

    // The font the caption is drawn in: the button's own, its letters drawn closer together when a
    // single-line caption would otherwise come nearer to the content's sides than a clear margin.
    QFont CaptionFont(const QRect& content, const QString& caption, const QFont& font) const;

    // Stored properties both buttons have; false for others.
    bool ReadProperty(const std::string& name, const std::string& value);

private:
    std::function<void()> changed_;
    TLMDUserButtonStyle style_ = ubsWin40;
    TLMDButtonLayout layout_;
    TLMDGlyph glyph_;
    TLMDFxCaption fontFX_;
    bool ctlXP_ = true;
    bool useCaption_ = true;
    bool multiLine_ = false;
    bool parentColor_ = true;
    TColor color_ = clBtnFace;
    TColor fontColor_ = clWindowText;
    // Kept as stored: this program's buttons neither repeat their clicks nor open a menu.
    bool repeatedClick_ = false;
    int repeatingDelay_ = 500;
    int repeatingInterval_ = 100;
    bool hideHint_ = true;
};
