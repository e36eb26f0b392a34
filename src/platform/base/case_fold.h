#pragma once
// Private to the posix platform: the one place that says how names Windows compares without regard
// to case are folded. Registry keys and values, INI sections and keys compare by the Unicode upper
// case of the whole UTF-8 name; version keys compare UTF-16 units of the Latin-1 range; file-name
// patterns compare ASCII letters only.
#include <algorithm>
#include <string>
#include <string_view>

namespace wincompat {
// Each code point in upper case (the simple one-to-one mapping, as Windows compares) when name
// is UTF-8, the ANSI code page here; ASCII letters only when it is not.
std::string upperCaseName(const std::string& name);

// One UTF-16 unit in upper case: ASCII and the Latin-1 letters that have a one-unit upper case
// (not the division sign, nor y with diaeresis, whose upper case lies outside Latin-1).
constexpr char16_t upperCaseUnit(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ? static_cast<char16_t>(c - 0x20) : c;
}

// One byte in upper case when it is an ASCII letter; every other byte stays as it is.
constexpr char upperCaseAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The same text but for the case of ASCII letters (keywords: switches, verbs, root and type names).
inline bool sameAsciiName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return upperCaseAscii(x) == upperCaseAscii(y); });
}
} // namespace wincompat
