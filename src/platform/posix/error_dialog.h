#pragma once
// Asks what to do about one failure of a file operation: skip it, skip every further one, or cancel.
#include "platform/posix/copy_engine.h"

#include <QDialog>

namespace wincompat::detail {

class ErrorDialog : public QDialog {
public:
    ErrorDialog(QWidget* parent, const JobFailure& failure);

    // Runs the dialog modally; closing it counts as Cancel.
    static ErrorDecision ask(QWidget* parent, const JobFailure& failure);

    // What the dialog says: the failed action and path, the reason, and the system's text for the code.
    static QString message(const JobFailure& failure);

    static constexpr const char* kObjectName = "fileOperationError";

private:
    ErrorDecision decision_ = ErrorDecision::Cancel;
};

} // namespace wincompat::detail
