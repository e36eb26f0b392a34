// The application's message loop around its main form: the one part of the application object that
// needs the form itself, kept apart so that the form can depend on the application and not the
// reverse.
#include "framework/TApplication.h"

#include "framework/TForm.h"
#include "platform/user.h"
#include "platform/window.h"

#include <QCoreApplication>

int TApplication::Run()
{
    if (mainForm_ != nullptr && showMainForm_ && !terminated_) {
        mainForm_->show();
        handle_ = wincompat::handleOf(mainForm_);
        wincompat::SetApplicationWindow(handle_, title_.c_str());
    }
    if (!terminated_)
        QCoreApplication::exec();
    handle_ = nullptr;
    delete mainForm_; // the window and all its components
    mainForm_ = nullptr;
    return 0;
}
