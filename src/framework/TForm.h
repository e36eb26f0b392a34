#pragma once
// A top-level window built from a stored description: its controls and non-visual
// components are created, receive their stored properties, then all are told they are loaded.
#include "framework/core/FormDescription.h"
#include "framework/TControl.h"

#include <QWidget>
#include <functional>
#include <vector>

class QAbstractButton;
class QEventLoop;

class TForm : public QWidget, public TControl {
    Q_OBJECT
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    HWND WindowHandle() override;

    // Creates the controls and components of the description, then runs Loaded on each and
    // finally OnCreate. Raised errors leave the form half built, as the loader found it.
    void LoadFrom(const FormDescription& description);

    // Assigned by the owning window class (FormCreate, FormShow).
    std::function<void()> OnCreate;
    std::function<void()> OnShow;

    // The default button answers Enter while no other button holds the focus.
    void SetDefaultButton(QAbstractButton* button) { defaultButton_ = button; }
    QAbstractButton* DefaultButton() const { return defaultButton_; }

    // Shows the window modal to the whole application and returns once a modal result is set or
    // the window is closed (closing it from its title bar gives 2, cancel).
    int ShowModal();
    int ModalResult() const { return modalResult_; }
    // Non-zero ends a modal showing with that result.
    void SetModalResult(int result);

    // The controls that take the focus with Tab, in tab order.
    std::vector<QWidget*> TabChain() const;
    // Gives the focus to the first tab stop after (forward) or before the control in tab order,
    // as Tab and Shift+Tab do from a control that is not itself a stop. False when no enabled,
    // visible stop is there to take it.
    bool SelectNext(const TControl* from, bool forward);

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override;
    void SetCaption(const QString& caption) override { setWindowTitle(caption); }
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void applyBorderStyle();
    void orderTabs();

    QAbstractButton* defaultButton_ = nullptr;
    QEventLoop* modalLoop_ = nullptr;
    int modalResult_ = 0;
    std::vector<TControl*> controls_;
    bool centred_ = false;
    bool shownOnce_ = false;
};
