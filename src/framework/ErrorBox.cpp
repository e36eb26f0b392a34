#include "framework/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

std::string ErrorBoxText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

void ShowErrorBox(const std::string& text, const std::string& caption)
{
    QPointer<QWidget> active = QApplication::activeWindow();
    QPointer<QWidget> focused = QApplication::focusWidget();

    {
        // Owned by no window of ours and modal for the whole application: the other windows take no
        // input meanwhile but keep their look, as they do behind the platform's own box.
        QMessageBox box(QMessageBox::Critical, QString::fromStdString(caption), QString::fromStdString(text),
                        QMessageBox::Ok);
        box.setObjectName(QStringLiteral("ErrorBox"));
        box.setTextFormat(Qt::PlainText);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
    }

    if (active != nullptr && active->isVisible()) {
        active->activateWindow();
        if (focused != nullptr && focused->window() == active)
            focused->setFocus(Qt::ActiveWindowFocusReason);
    }
}
