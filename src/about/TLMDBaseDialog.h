#pragma once
// What the library's dialogs share: the caption, placement, an optional custom button, hints,
// the caption gradient and the opening effect, and showing a built window modally.
#include "about/parts/DialogPlacement.h"
#include "about/TLMDContainerComponent.h"
#include "framework/core/TStrings.h"

#include <functional>
#include <string>

class QWidget;
class TForm;
class TLMDButton;

enum TLMDDlgEffect { deNone, deExplode, deExplodeExt };

class TLMDBaseDialog : public TLMDContainerComponent {
public:
    explicit TLMDBaseDialog(TComponent* owner);

    const std::string& CaptionTitle() const { return captionTitle_; }
    // While the window shows, its caption changes at once.
    void SetCaptionTitle(const std::string& title);
    bool CaptionFill() const { return captionFill_; }
    void SetCaptionFill(bool fill) { captionFill_ = fill; }
    int Colors() const { return colors_; }
    void SetColors(int colors) { colors_ = static_cast<unsigned char>(colors); }
    bool CtlXP() const { return ctlXP_; }
    void SetCtlXP(bool xp) { ctlXP_ = xp; }
    const std::string& CustomButton() const { return customButton_; }
    void SetCustomButton(const std::string& caption) { customButton_ = caption; }
    TLMDDlgEffect Effect() const { return effect_; }
    void SetEffect(TLMDDlgEffect effect) { effect_ = effect; }
    TLMDDlgPosition Position() const { return position_; }
    void SetPosition(TLMDDlgPosition position) { position_ = position; }
    TLMDDlgPosRel RelatePos() const { return relatePos_; }
    void SetRelatePos(TLMDDlgPosRel relation) { relatePos_ = relation; }
    TStrings& Hints() { return hints_; }
    const TStrings& Hints() const { return hints_; }
    bool ShowHints() const { return showHints_; }
    void SetShowHints(bool show) { showHints_ = show; }

    // Called with the built window as sender, right before it is shown.
    std::function<void(TComponent* sender)> OnCustomize;
    // The custom button's click handler.
    std::function<void(TComponent* sender)> OnCustomClick;

    // The window while it shows, none otherwise.
    TForm* ShowingWindow() const { return showing_; }

    virtual bool Execute() { return false; }

    void ReadProperty(const std::string& name, const std::string& value) override;

protected:
    virtual void DoCustomize(TForm* window);
    // Gives the window its caption, custom button and place, then shows it modally; returns the
    // modal result. control, when given, is the rectangle the window is placed in.
    int ShowDialog(TForm* window, QWidget* control, const std::string& defaultCaption, TLMDButton* customButton);

private:
    TRect referenceRect(QWidget* control) const;

    std::string captionTitle_;
    bool captionFill_ = false;
    unsigned char colors_ = 32;
    bool ctlXP_ = true;
    std::string customButton_;
    TLMDDlgEffect effect_ = deNone;
    TLMDDlgPosition position_ = bpCenter;
    TLMDDlgPosRel relatePos_ = brScreen;
    TStringList hints_;
    bool showHints_ = true;
    TForm* showing_ = nullptr;
};
