#include "cli/reg/RegValueText.h"

#include "cli/reg/RegConsole.h"
#include "framework/core/HexText.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace reg {

namespace {

struct TypeName {
    DWORD type;
    const char* name;
};

const TypeName typeNames[] = {
    {REG_NONE, "REG_NONE"},
    {REG_SZ, "REG_SZ"},
    {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
    {REG_BINARY, "REG_BINARY"},
    {REG_DWORD, "REG_DWORD"},
    {REG_DWORD_BIG_ENDIAN, "REG_DWORD_BIG_ENDIAN"},
    {REG_LINK, "REG_LINK"},
    {REG_MULTI_SZ, "REG_MULTI_SZ"},
    {8, "REG_RESOURCE_LIST"},
    {9, "REG_FULL_RESOURCE_DESCRIPTOR"},
    {10, "REG_RESOURCE_REQUIREMENTS_LIST"},
    {REG_QWORD, "REG_QWORD"},
};

const char* const badNumber = "ERROR: Invalid syntax. Specify valid numeric value.";

std::string formatDword(DWORD type, const std::string& bytes)
{
    unsigned char b[4] = {};
    std::memcpy(b, bytes.data(), std::min<std::size_t>(bytes.size(), 4));
    const std::uint32_t v = type == REG_DWORD ? (b[0] | b[1] << 8 | b[2] << 16 | std::uint32_t(b[3]) << 24)
                                              : (b[3] | b[2] << 8 | b[1] << 16 | std::uint32_t(b[0]) << 24);
    char text[16];
    std::snprintf(text, sizeof text, "0x%" PRIx32, v);
    return text;
}

std::string formatQword(const std::string& bytes)
{
    std::uint64_t v = 0;
    for (std::size_t i = std::min<std::size_t>(bytes.size(), 8); i > 0; --i)
        v = v << 8 | static_cast<unsigned char>(bytes[i - 1]);
    char text[24];
    std::snprintf(text, sizeof text, "0x%" PRIx64, v);
    return text;
}

// The strings separated by "\0", without the terminating empty one.
std::string formatMultiString(const std::string& bytes)
{
    std::string data = bytes;
    while (!data.empty() && data.back() == '\0')
        data.pop_back();
    std::string text;
    for (char c : data)
        text += c == '\0' ? std::string("\\0") : std::string(1, c);
    return text;
}

bool parseNumber(const std::string& text, std::uint64_t limit, std::uint64_t& value)
{
    if (text.empty() || text[0] == '-' || text[0] == '+' || std::isspace(static_cast<unsigned char>(text[0])))
        return false;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    // strtoull would take blanks and a sign after the prefix, and wrap "0x-1" to the largest value.
    if (hex && !std::isxdigit(static_cast<unsigned char>(text[2])))
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
    if (errno != 0 || end == nullptr || *end != '\0' || v > limit)
        return false;
    value = v;
    return true;
}

std::optional<std::string> encodeDword(DWORD type, const std::string& data, std::string& error)
{
    std::uint64_t v = 0;
    if (!parseNumber(data, 0xFFFFFFFFull, v)) {
        error = badNumber;
        return std::nullopt;
    }
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[type == REG_DWORD ? i : 3 - i] = static_cast<char>(v >> (8 * i) & 0xff);
    return bytes;
}

std::optional<std::string> encodeQword(const std::string& data, std::string& error)
{
    std::uint64_t v = 0;
    if (!parseNumber(data, ~0ull, v)) {
        error = badNumber;
        return std::nullopt;
    }
    std::string bytes(8, '\0');
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<char>(v >> (8 * i) & 0xff);
    return bytes;
}

std::optional<std::string> encodeBinary(const std::string& data, std::string& error)
{
    // An odd number of digits has its leading zero left out.
    std::string bytes;
    if (!fromHex(data.size() % 2 ? "0" + data : data, bytes)) {
        error = "ERROR: Invalid syntax. Specify valid hexadecimal value.";
        return std::nullopt;
    }
    return bytes;
}

// The items of /d for REG_MULTI_SZ: split at the /s character, else at "\0" written out.
std::vector<std::string> multiStringItems(const std::string& data, char separator, bool separatorGiven)
{
    std::vector<std::string> items;
    std::string current;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const bool split =
            separatorGiven ? data[i] == separator : (data[i] == '\\' && i + 1 < data.size() && data[i + 1] == '0');
        if (!split) {
            current += data[i];
            continue;
        }
        if (!separatorGiven)
            ++i;
        items.push_back(current);
        current.clear();
    }
    if (!data.empty())
        items.push_back(current);
    return items;
}

std::optional<std::string> encodeMultiString(const std::string& data, char separator, bool separatorGiven,
                                             std::string& error)
{
    const std::vector<std::string> items = multiStringItems(data, separator, separatorGiven);
    std::string bytes;
    for (std::size_t i = 0; i < items.size(); ++i) {
        // An empty string inside the list would end it early for every reader.
        if (items[i].empty() && i + 1 < items.size()) {
            error = "ERROR: Invalid syntax. Specify valid string.";
            return std::nullopt;
        }
        if (!items[i].empty())
            bytes += items[i] + std::string(1, '\0');
    }
    bytes += '\0';
    return bytes;
}

} // namespace

std::string typeName(DWORD type)
{
    for (const TypeName& t : typeNames)
        if (t.type == type)
            return t.name;
    char text[32];
    std::snprintf(text, sizeof text, "0x%" PRIx32, static_cast<std::uint32_t>(type));
    return text;
}

std::optional<DWORD> typeFromName(const std::string& name)
{
    for (const TypeName& t : typeNames)
        if (isKeyword(name, t.name) && t.type != REG_LINK && (t.type < 8 || t.type > 10))
            return t.type;
    return std::nullopt;
}

std::string formatData(DWORD type, const std::string& bytes)
{
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: return std::string(bytes.c_str(), strnlen(bytes.c_str(), bytes.size()));
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: return formatDword(type, bytes);
    case REG_QWORD: return formatQword(bytes);
    case REG_MULTI_SZ: return formatMultiString(bytes);
    default: return toHex(bytes);
    }
}

std::optional<std::string> encodeData(DWORD type, const std::string& data, char separator, bool separatorGiven,
                                      std::string& error)
{
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_NONE: return data + std::string(1, '\0');
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: return encodeDword(type, data, error);
    case REG_QWORD: return encodeQword(data, error);
    case REG_BINARY: return encodeBinary(data, error);
    case REG_MULTI_SZ: return encodeMultiString(data, separator, separatorGiven, error);
    default: error = "ERROR: Invalid syntax."; return std::nullopt;
    }
}

} // namespace reg
