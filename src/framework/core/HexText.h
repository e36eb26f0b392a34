#pragma once
// Bytes as text of hexadecimal digits, two per byte: the one codec for stored binary values.
#include <string>
#include <string_view>

// Upper-case digits, high nibble first.
std::string toHex(std::string_view bytes);
// Digits in either case, an even number of them; false (bytes untouched) for anything else.
bool fromHex(std::string_view text, std::string& bytes);
