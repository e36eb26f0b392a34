#pragma once
// The About window's links to the web and to a mail address: blue and underlined, opened with
// the desktop's default action when clicked.
#include <string>

class TLMDSimpleLabel;

// Opens target as the shell's default action, owned by the application's main window. False
// when the shell could not open it.
bool OpenLink(const std::string& target);

void MakeLink(TLMDSimpleLabel* label);
