#pragma once
// Questions, notices and plain messages in a modal box laid out from its text, kind and buttons.
#include "framework/core/MsgDlgTypes.h"

#include <string>

// Shows the box modally, centred on the screen, and returns the result of the button that closed it,
// or mrCancel when it was closed from its title bar.
int MessageDialog(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx);
// The text alone, captioned with the application title, with an OK button.
void ShowPlainMessage(const std::string& msg);
