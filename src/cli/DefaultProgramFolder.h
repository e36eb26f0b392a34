#pragma once
#include <string>

// The program folder the companion works on when none is given: the folder of the
// tallyrune-update that stands next to it, else the current folder.
std::string DefaultProgramFolder();
