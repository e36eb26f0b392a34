#pragma once
// The message loop's box for an error that a handler did not catch.
#include <string>

// Shows the text with a stop icon and one OK button. Every other window of the program takes no input
// while it is open, drawn as before; afterwards the window that was active gets its activation and
// its focused control back.
void ShowErrorBox(const std::string& text, const std::string& caption);

// The error's text as the box shows it: a full stop is added when the last character sorts after ".".
std::string ErrorBoxText(const std::string& message);
