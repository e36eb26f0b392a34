#pragma once
// The glyph push button: takes the focus, may be its window's default or cancel button, and draws
// its own classic face with glyph and caption. Clicked by the mouse, by Space while focused and by
// Enter while focused or as the default button.
#include "controls/TLMDButtonLook.h"
#include "framework/TControl.h"

#include <QImage>
#include <QPushButton>
#include <functional>

class QShortcut;

class TLMDButton : public QPushButton, public TControl {
    Q_OBJECT
public:
    TLMDButton(TComponent* owner, QWidget* parent);

    std::string Caption() const { return text().toStdString(); }
    void SetCaptionText(const std::string& caption) { SetCaption(QString::fromStdString(caption)); }
    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v);
    // Closes a dialog with this result when clicked; 0 leaves the dialog open.
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int v) { modalResult_ = v; }
    const QImage& Glyph() const { return look_.Glyph().Bitmap(); }
    void SetGlyph(const QImage& strip) { look_.Glyph().SetBitmap(strip); }
    int NumGlyphs() const { return look_.Glyph().NumGlyphs(); }
    void SetNumGlyphs(int count) { look_.Glyph().SetNumGlyphs(count); }
    TLMDButtonLook& Look() { return look_; }

    // The focused button, or the default button while the focus is on a control that is not a
    // button: the one Enter clicks, drawn with the frame and the focus rectangle.
    bool Active() const;
    TLMDButtonState DrawnState() const;

    // Assigned by the owning window: the click handler, with the button as sender.
    std::function<void(TComponent* sender)> OnClick;

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override;
    void SetCaption(const QString& caption) override;
    void SetColor(TColor color) override;
    void SetFontColor(TColor color) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void focusMoved();

    TLMDButtonLook look_;
    bool default_ = false;
    bool cancel_ = false;
    int modalResult_ = 0;
    bool mouseOver_ = false;
    bool wasActive_ = false;
    QShortcut* escape_ = nullptr;
};

// Windows that bind both kinds of glyph button find them, and their registration, through here.
#include "controls/StyledControls.h"
#include "controls/TLMDSpeedButton.h"
