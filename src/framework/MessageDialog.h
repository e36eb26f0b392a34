#pragma once
// Questions, notices and plain messages in a modal box laid out from its text, kind and buttons.
#include <string>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = unsigned;           // bit n for ordinal n
constexpr TMsgDlgButtons mbYesNoSet = 0x3; // Yes and No
constexpr TMsgDlgButtons mbOKSet = 0x4;    // OK alone
enum : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10
};

// Shows the box modally, centred on the screen, and returns the result of the button that closed it,
// or mrCancel when it was closed from its title bar.
int MessageDialog(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx);
// The text alone, captioned with the application title, with an OK button.
void ShowPlainMessage(const std::string& msg);
