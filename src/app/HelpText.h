#pragma once
// The Help message: four lines joined by CR LF, Support, Sales, Email and Website.
#include <string>

std::string HelpText();
