#pragma once
// How the program's windows take the keyboard, as classic dialogs do: a key that was already down
// when a window came forward, or that repeats, answers nothing there; a dialog's buttons answer
// their access letters without Alt; Ctrl+C in a message box copies it as text.
#include <string>
#include <vector>

namespace wincompat {

// Puts those rules in force for every window of the process; a GUI program calls it once at start.
void answerFreshKeysOnly();

// What Ctrl+C puts on the clipboard from a message box: its caption, its text and its buttons'
// captions (access marks taken out), each part between lines of 27 hyphens.
std::string messageBoxText(const std::string& caption, const std::string& text,
                           const std::vector<std::string>& buttonCaptions);

} // namespace wincompat
