#include "platform/version/elf_image.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace wincompat::version {
namespace {
constexpr std::uint32_t SHT_NOBITS_TYPE = 8;
constexpr std::uint16_t SHN_XINDEX_VALUE = 0xFFFF;
constexpr std::size_t maxNameTable = 64 * 1024;

struct SectionHeader {
    std::uint32_t name;
    std::uint32_t type;
    std::uint64_t offset;
    std::uint64_t size;
    std::uint32_t link;
};

SectionHeader decode(const std::uint8_t* p, bool is64)
{
    if (is64)
        return {load32(p), load32(p + 4), load64(p + 24), load64(p + 32), load32(p + 40)};
    return {load32(p), load32(p + 4), load32(p + 16), load32(p + 20), load32(p + 24)};
}
} // namespace

bool looksLikeElf(ByteSource& source)
{
    std::uint8_t magic[4];
    return source.size() >= 4 && source.read(0, magic, 4) == ERROR_SUCCESS &&
           std::memcmp(magic,
                       "\x7f"
                       "ELF",
                       4) == 0;
}

DWORD findElfVersionSection(ByteSource& source, ResourceSpan& span)
{
    std::array<std::uint8_t, 64> eh{};
    if (source.size() < 52)
        return ERROR_BAD_FORMAT;
    const std::size_t headerRead = static_cast<std::size_t>(std::min<std::uint64_t>(eh.size(), source.size()));
    if (DWORD e = source.read(0, eh.data(), headerRead))
        return e;
    if (std::memcmp(eh.data(),
                    "\x7f"
                    "ELF",
                    4) != 0 ||
        eh[5] != 1 /* little-endian */)
        return ERROR_BAD_FORMAT;
    const bool is64 = eh[4] == 2;
    if (!is64 && eh[4] != 1)
        return ERROR_BAD_FORMAT;
    if (is64 && headerRead < 64)
        return ERROR_BAD_FORMAT;
    const std::uint64_t shoff = is64 ? load64(&eh[0x28]) : load32(&eh[0x20]);
    const std::uint16_t entsize = load16(&eh[is64 ? 0x3A : 0x2E]);
    std::uint64_t count = load16(&eh[is64 ? 0x3C : 0x30]);
    std::uint32_t strndx = load16(&eh[is64 ? 0x3E : 0x32]);
    const std::size_t minEntry = is64 ? 64 : 40;
    if (shoff == 0)
        return ERROR_RESOURCE_TYPE_NOT_FOUND;
    if (entsize < minEntry || shoff > source.size())
        return ERROR_BAD_FORMAT;

    std::vector<std::uint8_t> buf(entsize);
    auto header = [&](std::uint64_t index, SectionHeader& out) -> DWORD {
        if (index >= (source.size() - shoff) / entsize)
            return ERROR_BAD_FORMAT;
        if (DWORD e = source.read(shoff + index * entsize, buf.data(), entsize))
            return e;
        out = decode(buf.data(), is64);
        return ERROR_SUCCESS;
    };
    // Many sections, or a far string table index, spill into the first section header.
    if (count == 0 || strndx == SHN_XINDEX_VALUE) {
        SectionHeader first{};
        if (DWORD e = header(0, first))
            return e;
        if (count == 0)
            count = first.size;
        if (strndx == SHN_XINDEX_VALUE)
            strndx = first.link;
    }
    if (count > (source.size() - shoff) / entsize)
        return ERROR_BAD_FORMAT;

    SectionHeader names{};
    if (strndx >= count)
        return ERROR_BAD_FORMAT;
    if (DWORD e = header(strndx, names))
        return e;
    if (names.type == SHT_NOBITS_TYPE || names.offset > source.size() || names.size > source.size() - names.offset)
        return ERROR_BAD_FORMAT;
    std::vector<char> nameTable(static_cast<std::size_t>(std::min<std::uint64_t>(names.size, maxNameTable)));
    if (DWORD e = source.read(names.offset, nameTable.data(), nameTable.size()))
        return e;

    constexpr std::size_t wantedLength = sizeof elfVersionSection; // with its NUL
    constexpr std::uint64_t chunkEntries = 64;
    std::vector<std::uint8_t> chunk;
    for (std::uint64_t first = 0; first < count; first += chunkEntries) {
        const std::uint64_t n = std::min(chunkEntries, count - first);
        chunk.resize(static_cast<std::size_t>(n * entsize));
        if (DWORD e = source.read(shoff + first * entsize, chunk.data(), chunk.size()))
            return e;
        for (std::uint64_t i = 0; i < n; ++i) {
            SectionHeader s = decode(&chunk[static_cast<std::size_t>(i * entsize)], is64);
            if (s.name > nameTable.size() || nameTable.size() - s.name < wantedLength ||
                std::memcmp(&nameTable[s.name], elfVersionSection, wantedLength) != 0)
                continue;
            if (s.type == SHT_NOBITS_TYPE || s.size == 0)
                return ERROR_RESOURCE_DATA_NOT_FOUND;
            if (s.offset > source.size() || s.size > source.size() - s.offset || s.size > 0xFFFFFFFFu)
                return ERROR_BAD_FORMAT;
            span = {s.offset, static_cast<std::uint32_t>(s.size)};
            return ERROR_SUCCESS;
        }
    }
    return ERROR_RESOURCE_TYPE_NOT_FOUND;
}

} // namespace wincompat::version
