#include "platform/gui/copy/progress_dialog.h"

#include "platform/desktop.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace wincompat::gui {

ProgressDialog::ProgressDialog(QWidget* owner, const QString& title, bool simple, std::atomic<bool>& cancel)
    : QDialog(owner), cancel_(cancel), simple_(simple)
{
    setObjectName(kObjectName);
    setWindowTitle(title);
    // Modal for the window that asked, as the shell's progress window is; without one, for the application.
    setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    setMinimumWidth(std::max(420, captionWidth(title)));

    auto* layout = new QVBoxLayout(this);
    file_ = new QLabel(this);
    file_->setObjectName("currentFile");
    file_->setTextFormat(Qt::PlainText);
    file_->setVisible(!simple);
    layout->addWidget(file_);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 1000);
    bar_->setValue(0);
    layout->addWidget(bar_);
    amount_ = new QLabel(this);
    amount_->setObjectName("amount");
    layout->addWidget(amount_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    cancelButton_ = new QPushButton(tr("Cancel"), this);
    cancelButton_->setObjectName("cancelButton");
    connect(cancelButton_, &QPushButton::clicked, this, [this] { requestCancel(); });
    buttons->addWidget(cancelButton_);
    layout->addLayout(buttons);
}

void ProgressDialog::showProgress(const CopyProgress& p, const QString& currentPath)
{
    // Each entry weighs a little on its own, so that a tree of tiny files still moves the bar.
    constexpr double perEntry = 512;
    double total = static_cast<double>(p.bytesTotal) + perEntry * static_cast<double>(p.filesTotal);
    double done = static_cast<double>(p.bytesDone) + perEntry * static_cast<double>(p.filesDone);
    bar_->setValue(total > 0 ? static_cast<int>(std::min(1.0, done / total) * 1000) : 0);
    QLocale locale;
    amount_->setText(tr("%1 of %2").arg(locale.formattedDataSize(static_cast<qint64>(p.bytesDone)),
                                         locale.formattedDataSize(static_cast<qint64>(p.bytesTotal))));
    if (!simple_)
        file_->setText(currentPath);
}

void ProgressDialog::showFinishing()
{
    bar_->setValue(bar_->maximum());
    cancelButton_->setEnabled(false);
    amount_->setText(tr("Putting the new files in place..."));
}

void ProgressDialog::requestCancel()
{
    if (!cancelButton_->isEnabled())
        return;
    cancel_ = true;
    cancelButton_->setEnabled(false);
    amount_->setText(tr("Cancelling..."));
}

void ProgressDialog::reject() { requestCancel(); }

void ProgressDialog::closeEvent(QCloseEvent* event)
{
    // The window goes away when the job has ended, not before.
    requestCancel();
    event->ignore();
}

} // namespace wincompat::gui
