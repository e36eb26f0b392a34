#pragma once
// Labels that are links to the web or to a mail address: the hand cursor over them, purple once
// pressed, and a click opens the target with the desktop's default action. A target that cannot
// be opened switches the link off and disables the label, silently.
#include "about/AboutLabel.h"

#include <string>

// The label's own Jump when not blank, else its caption; an address with "@" and no scheme of
// its own becomes a "mailto:" address.
std::string LinkTarget(const std::string& jump, const std::string& caption);

// Opens target as the shell's default action, owned by the application's main window.
bool OpenLink(const std::string& target);

void MakeLink(AboutLabel* label);
