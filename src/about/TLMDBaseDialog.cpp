#include "about/TLMDBaseDialog.h"

#include "controls/LMDTypes.h"
#include "controls/buttons/TLMDButton.h"
#include "framework/TApplication.h"
#include "framework/TForm.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

namespace {
constexpr std::array<const char*, 3> effectNames{"deNone", "deExplode", "deExplodeExt"};
constexpr std::array<const char*, 10> positionNames{"bpCustom",       "bpTopLeft",    "bpTopCenter",   "bpTopRight",
                                                    "bpCenterLeft",   "bpCenter",     "bpCenterRight", "bpBottomLeft",
                                                    "bpBottomCenter", "bpBottomRight"};
constexpr std::array<const char*, 4> relationNames{"brScreen", "brScreenWorkArea", "brMainForm", "brActiveWindow"};

TRect toRect(const QRect& r)
{
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// Restores the showing window's reference however the modal loop ends.
class ShowingGuard {
public:
    ShowingGuard(TForm*& slot, TForm* window) : slot_(slot) { slot_ = window; }
    ~ShowingGuard() { slot_ = nullptr; }
    ShowingGuard(const ShowingGuard&) = delete;
    ShowingGuard& operator=(const ShowingGuard&) = delete;

private:
    TForm*& slot_;
};
} // namespace

TLMDBaseDialog::TLMDBaseDialog(TComponent* owner) : TLMDContainerComponent(owner) {}

void TLMDBaseDialog::SetCaptionTitle(const std::string& title)
{
    if (title == captionTitle_)
        return;
    captionTitle_ = title;
    if (showing_ != nullptr && !title.empty())
        showing_->setWindowTitle(QString::fromStdString(title));
}

void TLMDBaseDialog::ReadProperty(const std::string& name, const std::string& value)
{
    if (name == "CaptionTitle")
        SetCaptionTitle(value);
    else if (name == "CaptionFill")
        SetCaptionFill(StoredBool(name, value));
    else if (name == "Colors")
        SetColors(StoredInt(name, value));
    else if (name == "CtlXP")
        SetCtlXP(StoredBool(name, value));
    else if (name == "CustomButton")
        SetCustomButton(value);
    else if (name == "Effect")
        SetEffect(static_cast<TLMDDlgEffect>(StoredEnum(name, value, effectNames)));
    else if (name == "Position")
        SetPosition(static_cast<TLMDDlgPosition>(StoredEnum(name, value, positionNames)));
    else if (name == "RelatePos")
        SetRelatePos(static_cast<TLMDDlgPosRel>(StoredEnum(name, value, relationNames)));
    else if (name == "Hints.Strings")
        hints_.SetText(value);
    else if (name == "ShowHints")
        SetShowHints(StoredBool(name, value));
    else
        TLMDContainerComponent::ReadProperty(name, value);
}

void TLMDBaseDialog::DoCustomize(TForm* window)
{
    if (OnCustomize)
        OnCustomize(window);
}

TRect TLMDBaseDialog::referenceRect(QWidget* control) const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect whole = screen != nullptr ? QRect(QPoint(0, 0), screen->size()) : QRect(0, 0, 640, 480);
    if (control != nullptr)
        return toRect(control->isWindow() ? control->frameGeometry()
                                          : QRect(control->mapToGlobal(QPoint(0, 0)), control->size()));
    switch (relatePos_) {
    case brScreen: break;
    case brScreenWorkArea:
        if (screen != nullptr)
            return toRect(screen->availableGeometry());
        break;
    case brMainForm:
        if (TForm* main = TApplication::Instance().MainForm(); main != nullptr)
            return toRect(main->frameGeometry());
        break;
    case brActiveWindow:
        if (QWidget* active = QApplication::activeWindow(); active != nullptr)
            return toRect(active->frameGeometry());
        break;
    }
    return toRect(whole);
}

int TLMDBaseDialog::ShowDialog(TForm* window, QWidget* control, const std::string& defaultCaption,
                               TLMDButton* customButton)
{
    ShowingGuard guard(showing_, window);
    window->setWindowTitle(QString::fromStdString(captionTitle_.empty() ? defaultCaption : captionTitle_));
    if (customButton != nullptr && !customButton_.empty()) {
        customButton->SetCaptionText(customButton_);
        customButton->setVisible(true);
        if (OnCustomClick)
            customButton->OnClick = OnCustomClick;
    }

    const TRect r = referenceRect(control);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize desktop = screen != nullptr ? screen->virtualSize() : QSize(r.Right, r.Bottom);
    window->winId(); // the platform window, and with it the frame, exists from here on
    const QSize outer = window->frameGeometry().size();
    window->move(DialogPlacement(position_, r, outer.width(), outer.height(), desktop.width(), desktop.height()));

    // The opening animations, the caption gradient and the background picture are not drawn
    // here: the title bar belongs to the window manager.
    DoCustomize(window);
    return window->ShowModal();
}
