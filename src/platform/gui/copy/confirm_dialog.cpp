#include "platform/gui/copy/confirm_dialog.h"

#include <QMessageBox>

namespace wincompat::gui {

fileop::Answer ConfirmDialog::ask(QWidget* parent, const QString& title, const fileop::Question& question)
{
    QMessageBox box(QMessageBox::Question, title.isEmpty() ? QStringLiteral("Confirm") : title,
                    QString::fromStdString(question.text), QMessageBox::NoButton, parent);
    box.setObjectName(kObjectName);
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    if (question.offerAll)
        buttons |= QMessageBox::YesToAll;
    box.setStandardButtons(buttons);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes: return fileop::Answer::Yes;
    case QMessageBox::YesToAll: return fileop::Answer::YesToAll;
    case QMessageBox::No: return fileop::Answer::No;
    default: return fileop::Answer::Cancel;
    }
}

} // namespace wincompat::gui
