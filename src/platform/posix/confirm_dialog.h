#pragma once
// The questions a file operation asks when its flags let it: replace a file, create a folder, delete.
#include "platform/posix/copy_engine.h"

#include <QString>

class QWidget;

namespace wincompat::detail {

class ConfirmDialog {
public:
    // A modal box with Yes (Yes to All), No and Cancel; closing it counts as Cancel.
    static Answer ask(QWidget* parent, const QString& title, const Question& question);

    static constexpr const char* kObjectName = "fileOperationConfirm";
};

} // namespace wincompat::detail
