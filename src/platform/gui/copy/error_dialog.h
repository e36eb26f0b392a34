#pragma once
// Asks what to do about one failure of a file operation: skip it, skip every further one, or cancel.
#include "platform/fileop/job_callbacks.h"

#include <QDialog>

namespace wincompat::gui {

class ErrorDialog : public QDialog {
public:
    ErrorDialog(QWidget* parent, const fileop::JobFailure& failure);

    // Runs the dialog modally; closing it counts as Cancel.
    static fileop::ErrorDecision ask(QWidget* parent, const fileop::JobFailure& failure);

    // What the dialog says: the failed action and path, the reason, and the system's text for the code.
    static QString message(const fileop::JobFailure& failure);

    static constexpr const char* kObjectName = "fileOperationError";

private:
    fileop::ErrorDecision decision_ = fileop::ErrorDecision::Cancel;
};

} // namespace wincompat::gui
