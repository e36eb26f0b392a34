#include "framework/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <vector>

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

    std::vector<QPointer<QWidget>> disabled;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->isEnabled()) {
            window->setEnabled(false);
            disabled.emplace_back(window);
        }
    }

    {
        // Owned by no window of ours, so that disabling them leaves the box alone.
        QMessageBox box(QMessageBox::Critical, QString::fromStdString(caption), QString::fromStdString(text),
                        QMessageBox::Ok);
        box.setObjectName(QStringLiteral("ErrorBox"));
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }

    for (const auto& window : disabled)
        if (window != nullptr)
            window->setEnabled(true);
    if (active != nullptr && active->isVisible()) {
        active->activateWindow();
        if (focused != nullptr && focused->window() == active)
            focused->setFocus(Qt::ActiveWindowFocusReason);
    }
}
