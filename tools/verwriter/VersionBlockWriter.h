#pragma once
// Writes VS_VERSIONINFO blocks in the published 32-bit layout: each node is
// wLength, wValueLength, wType, a NUL-terminated UTF-16 key, padding to 4, the value, padding to 4,
// then the children. Used at build time for the utility's own block and by the tests for fixtures.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace verwriter {

using Bytes = std::vector<std::uint8_t>;

// One node of the tree, spelled out so that tests can build shapes a resource compiler never would.
struct VersionNode {
    std::u16string key;
    std::uint16_t type = 1; // 1 text, 0 binary
    Bytes value;
    // wValueLength as written; when absent it is derived from value (words for text, bytes for binary).
    std::optional<std::uint16_t> valueLength;
    std::vector<VersionNode> children;
};

struct FixedInfo {
    std::array<std::uint16_t, 4> fileVersion{0, 0, 0, 0};
    std::array<std::uint16_t, 4> productVersion{0, 0, 0, 0};
    std::uint32_t fileDateMS = 0;
    std::uint32_t fileDateLS = 0;
    std::uint32_t fileFlagsMask = 0x3F;
    std::uint32_t fileFlags = 0;
    std::uint32_t fileOS = 0x00040004; // VOS_NT_WINDOWS32
    std::uint32_t fileType = 1;        // VFT_APP
    std::uint32_t fileSubtype = 0;
};

struct StringEntry {
    std::u16string key;
    std::u16string value;
};

struct StringTable {
    std::u16string name; // eight hex digits: language then code page, e.g. u"040904E4"
    std::vector<StringEntry> strings;
};

struct Translation {
    std::uint16_t language;
    std::uint16_t codePage;
};

struct VersionInfo {
    std::optional<FixedInfo> fixed = FixedInfo{};
    std::vector<StringTable> tables;
    // Absent: no VarFileInfo block at all. Present but empty: a Translation value of length 0.
    std::optional<std::vector<Translation>> translations;
};

// Lossless UTF-8 to UTF-16 (invalid sequences become U+FFFD).
std::u16string utf16(std::string_view utf8);
// Eight upper-case hex digits naming a string table.
std::u16string tableName(Translation t);

VersionNode toNode(const VersionInfo& info);
Bytes encode(const VersionNode& node);
inline Bytes buildVersionBlock(const VersionInfo& info)
{
    return encode(toNode(info));
}

// The common shape: one translation, its table holding the given strings (UTF-8 key/value pairs).
VersionInfo simpleVersionInfo(std::array<std::uint16_t, 4> fileVersion,
                              const std::vector<std::pair<std::string, std::string>>& strings,
                              Translation translation = {0x0409, 0x04E4});

} // namespace verwriter
