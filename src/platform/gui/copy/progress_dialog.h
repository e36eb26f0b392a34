#pragma once
// The one window a file operation shows while it works: a bar by bytes, what is done so far, the
// file in hand (unless the job asks for simple progress) and Cancel.
#include "platform/copyprogress.h"

#include <QDialog>
#include <atomic>

class QLabel;
class QProgressBar;
class QPushButton;

namespace wincompat::gui {

class ProgressDialog : public QDialog {
public:
    // `cancel` is set when the user cancels (button, Escape or the window's close box).
    ProgressDialog(QWidget* owner, const QString& title, bool simple, std::atomic<bool>& cancel);

    void showProgress(const CopyProgress& progress, const QString& currentPath);
    // The job is putting the new files in place; Cancel no longer applies.
    void showFinishing();

    static constexpr const char* kObjectName = "fileOperationProgress";

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void requestCancel();

    std::atomic<bool>& cancel_;
    bool simple_;
    QLabel* file_ = nullptr;
    QLabel* amount_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

} // namespace wincompat::gui
