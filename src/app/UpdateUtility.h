#pragma once
// The program entry: the application object, the main window, the message loop.
int RunUpdateUtility(int argc, char** argv);
