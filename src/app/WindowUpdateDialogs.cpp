#include "app/WindowUpdateDialogs.h"

#include "framework/widgets/MessageDialog.h"

int WindowUpdateDialogs::Confirm(const std::string& question)
{
    return MessageDialog(question, mtConfirmation, mbYesNoSet, 0);
}

void WindowUpdateDialogs::Inform(const std::string& notice)
{
    MessageDialog(notice, mtInformation, mbOKSet, 0);
}

void WindowUpdateDialogs::ShowError(const std::string& message)
{
    MessageDialog(message, mtError, mbOKSet, 0);
}
