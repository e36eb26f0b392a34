#pragma once
// The program entry: the application object, the main window, the message loop.
int RunUpdateUtility(int argc, char** argv);

// Gives every window of the program its icon.
void SetApplicationIcon();
