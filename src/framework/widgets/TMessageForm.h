#pragma once
// The window of a message box: icon, wrapped text and a centred row of buttons, all measured from the
// average character size of the message font.
#include "framework/core/MsgDlgTypes.h"

#include <QDialog>
#include <string>

class QPushButton;

class TMessageForm : public QDialog {
    Q_OBJECT
public:
    TMessageForm(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons);

    // What Ctrl+C puts on the clipboard: caption, text and button captions between dividers.
    std::string ContentText() const;

    // Average character width and height of the font the box was laid out with.
    int AverageCharWidth() const { return charWidth_; }
    int AverageCharHeight() const { return charHeight_; }

    void reject() override; // the title-bar close and Alt+F4 give mrCancel

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void layOut(TMsgDlgType type, TMsgDlgButtons buttons);
    void copyToClipboard();

    std::string message_;
    QPushButton* defaultButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    int charWidth_ = 0;
    int charHeight_ = 0;
};
