#include "platform/posix/confirm_dialog.h"

#include <QMessageBox>

namespace wincompat::detail {

Answer ConfirmDialog::ask(QWidget* parent, const QString& title, const Question& question)
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
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::YesToAll: return Answer::YesToAll;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

} // namespace wincompat::detail
