#pragma once
// What the caption labels share: a windowless control that draws its caption with a text effect
// and by default sizes itself to it.
#include "controls/LMDTypes.h"
#include "controls/labels/TLMD3DCaption.h"
#include "framework/TControl.h"
#include "platform/drawtext.h"

#include <QWidget>

class QShortcut;
class TLMDObject;

class TLMDBaseLabel : public QWidget, public TControl {
    Q_OBJECT
public:
    TLMDBaseLabel(TComponent* owner, QWidget* parent);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption) override;
    TLMDAlignment Alignment() const { return alignment_; }
    void SetAlignment(TLMDAlignment v);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool v);
    TLMDLabelOptions Options() const { return options_; }
    void SetOptions(TLMDLabelOptions v);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    // The label's own colour; with ParentColor its parent's, as drawn at the time.
    TColor Color() const;
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);
    TColor FontColor() const { return fontColor_; }
    QWidget* FocusControl() const { return focusControl_; }
    void SetFocusControl(QWidget* control);

    // Blinking is kept as stored; this program never switches it on, so it is not drawn.
    bool Twinkle() const { return twinkle_; }
    int TwinkleVisible() const { return twinkleVisible_; }
    int TwinkleInVisible() const { return twinkleInVisible_; }
    TColor TwinkleColor() const { return twinkleColor_; }

    // The effect that draws the caption; the width of the frame around it.
    virtual TLMD3DCaption* Effect() const = 0;
    virtual int BevelWidth() const { return 0; }

    void Loaded() override;

    // Overridable steps, in this order.
    virtual void UpdateLabel();
    virtual bool NothingToPaint() const;
    virtual QString GetShownText() const { return caption_; }
    // A change of the font (changed == nullptr) or of the effect.
    virtual void FontFXChanged(TLMDObject* changed);
    virtual void AdjustLabelSize();

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override;
    void SetColor(TColor color) override;
    void SetFontColor(TColor color) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

    // Step 7 of painting: how the text is placed when the label does not fit itself to it.
    virtual void PlaceText(QRect& r, UINT& flags) = 0;
    virtual void DrawFrame(QPainter&, QRect&) {}
    // The measured text block placed in r by the alignment, for text that does not fill r.
    void PlaceMeasured(QRect& r, UINT flags) const;
    bool LowerRowAlignment() const { return alignment_ >= agCenterLeft; }
    UINT OptionFlags() const;
    UINT ReadingFlags() const;
    void Repaint();

private:
    void updateAccelerator();
    // A control of the same window, by its stored name.
    QWidget* siblingWidget(const std::string& name) const;

    QString caption_;
    TLMDAlignment alignment_ = agTopLeft;
    bool autoSize_ = true;
    bool multiLine_ = false;
    TLMDLabelOptions options_ = 0;
    bool showAccelChar_ = true;
    bool transparent_ = true;
    TColor color_ = clBtnFace;
    bool parentColor_ = true;
    TColor fontColor_ = clWindowText;
    bool twinkle_ = false;
    int twinkleVisible_ = 700;
    int twinkleInVisible_ = 700;
    TColor twinkleColor_ = clNone;
    QWidget* focusControl_ = nullptr;
    QShortcut* accelerator_ = nullptr;
    bool painting_ = false;
    bool adjusting_ = false;
};
