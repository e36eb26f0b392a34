#pragma once
// The questions a file operation asks when its flags let it: replace a file, create a folder, delete.
#include "platform/fileop/job_callbacks.h"

#include <QString>

class QWidget;

namespace wincompat::gui {

class ConfirmDialog {
public:
    // A modal box with Yes (Yes to All), No and Cancel; closing it counts as Cancel.
    static fileop::Answer ask(QWidget* parent, const QString& title, const fileop::Question& question);

    static constexpr const char* kObjectName = "fileOperationConfirm";
};

} // namespace wincompat::gui
