#pragma once
// The glyph push button: takes the focus, may be its window's default or cancel button, and draws
// its own classic face with glyph and caption. Clicked by the mouse, by Space while focused and by
// Enter while focused or as the default button.
#include "controls/buttons/TLMDGlyphButton.h"

#include <QPushButton>

class QShortcut;

class TLMDButton : public TLMDGlyphButton<QPushButton> {
    Q_OBJECT
public:
    TLMDButton(TComponent* owner, QWidget* parent);
    ~TLMDButton() override;

    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v);
    // Closes a dialog with this result when clicked; 0 leaves the dialog open.
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int v) { modalResult_ = v; }

    // The focused button, or the default button while the focus is on a control that is not a
    // button: the one Enter clicks, drawn with the frame and the focus rectangle.
    bool Active() const;

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void focusMoved();

    bool default_ = false;
    bool cancel_ = false;
    int modalResult_ = 0;
    bool wasActive_ = false;
    QShortcut* escape_ = nullptr;
    QMetaObject::Connection focusWatch_;
};
