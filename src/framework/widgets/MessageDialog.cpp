#include "framework/widgets/MessageDialog.h"

#include "framework/widgets/TMessageForm.h"

int MessageDialog(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int /*helpCtx*/)
{
    TMessageForm form(msg, type, buttons);
    return form.exec();
}

void ShowPlainMessage(const std::string& msg)
{
    MessageDialog(msg, mtCustom, mbOKSet, 0);
}
