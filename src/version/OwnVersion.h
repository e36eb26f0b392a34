#pragma once
// What "--version" prints: the program's name and the "FileVersion" of its own version resource,
// so that the text always matches what the version panels and the About box read from the file.
#include <string>

std::string OwnVersionLine(const std::string& programName);
