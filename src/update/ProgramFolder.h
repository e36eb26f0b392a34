#pragma once
// Where the utility is installed: the folder of its own executable.
#include <string>

// The folder of the utility's own executable, ending with the path delimiter.
std::string ProgramFolder();
