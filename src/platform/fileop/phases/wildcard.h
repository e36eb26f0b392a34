#pragma once
// File-name patterns with Windows' meaning: '*' and '?', "*.*" matching every name (also names
// without a dot), a trailing ".*" matching "no extension" too, letters compared without regard to
// case (ASCII only; other bytes must be equal).
#include <string_view>

namespace wincompat::fileop {

bool hasWildcards(std::string_view name);
bool matchesWildcard(std::string_view pattern, std::string_view name);

} // namespace wincompat::fileop
