#pragma once
// Private to the posix platform: names that Windows compares without regard to case (registry
// keys and values, INI sections and keys) are compared by this upper-case form.
#include <string>

namespace wincompat {
// Each code point in upper case (the simple one-to-one mapping, as Windows compares) when name
// is UTF-8, the ANSI code page here; ASCII letters only when it is not.
std::string upperCaseName(const std::string& name);
} // namespace wincompat
