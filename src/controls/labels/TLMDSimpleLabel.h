#pragma once
// The lighter caption label: a plain text effect (Font3D), no frame, and link behaviour: a
// label with a jump mode shows the hand cursor, turns to its active colour when pressed and opens
// its target when clicked.
#include "controls/labels/TLMD3DCaption.h"
#include "controls/labels/TLMDBaseLabel.h"

#include <functional>
#include <string>

class TLMDSimpleLabel : public TLMDBaseLabel {
    Q_OBJECT
public:
    TLMDSimpleLabel(TComponent* owner, QWidget* parent);
    ~TLMDSimpleLabel() override;

    TLMD3DCaption& Font3D() { return font3D_; }
    void SetFont3D(const TLMD3DCaption& effect) { font3D_ = effect; }
    bool FontSmoothing() const { return fontSmoothing_; }
    void SetFontSmoothing(bool v);

    std::string Jump() const { return jump_; }
    void SetJump(const std::string& v) { jump_ = v; }
    TLMDJumpMode JumpMode() const { return jumpMode_; }
    void SetJumpMode(TLMDJumpMode v);
    TColor ActiveColor() const { return activeColor_; }
    void SetActiveColor(TColor v);
    TColor InActiveColor() const { return inActiveColor_; }
    void SetInActiveColor(TColor v) { inActiveColor_ = v; }
    bool JumpUnderline() const { return jumpUnderline_; }
    void SetJumpUnderline(bool v);
    // Whether the label has been pressed and shows its active colour.
    bool Visited() const { return visited_; }

    // What a click on a link opens: Jump when not blank, else the caption, which becomes a mail
    // address ("mailto:") when it holds an "@".
    std::string JumpTarget() const;
    // Opens a link's target; assigned by whoever knows how (the shell). A false result switches
    // the link off and disables the label.
    std::function<bool(const std::string& target)> OpenTarget;

    TLMD3DCaption* Effect() const override { return const_cast<TLMD3DCaption*>(&font3D_); }
    bool NothingToPaint() const override;
    void FontFXChanged(TLMDObject* changed) override;

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override;
    void PlaceText(QRect& r, UINT& flags) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool isLink() const { return jumpMode_ == jmInternet || jumpMode_ == jmApplication; }
    void applySmoothing();
    void applyLinkFont();

    TLMD3DCaption font3D_;
    bool fontSmoothing_ = false;
    std::string jump_;
    TLMDJumpMode jumpMode_ = jmNone;
    TColor activeColor_ = clPurple;
    TColor inActiveColor_ = clBlue;
    bool jumpUnderline_ = true;
    bool visited_ = false;
    bool pressed_ = false;
};
