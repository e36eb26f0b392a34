#include "platform/version/elf_image.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace wincompat::version {
namespace {
// The identification bytes that open every ELF file.
constexpr char kElfMagic[] = "\x7f"
                             "ELF";
constexpr std::size_t kElfMagicSize = 4;
constexpr std::size_t kEiClass = 4;
constexpr std::size_t kEiData = 5;
constexpr std::uint8_t kElfClass32 = 1;
constexpr std::uint8_t kElfClass64 = 2;
constexpr std::uint8_t kElfData2Lsb = 1; // little-endian

// Where the ELF header and a section header keep the fields read here; ELF64 widens addresses
// and offsets, which moves everything after them.
struct ElfLayout {
    std::size_t headerSize;
    std::size_t addressSize;
    std::size_t shoff;     // e_shoff: file offset of the section headers
    std::size_t shentsize; // e_shentsize
    std::size_t shnum;     // e_shnum
    std::size_t shstrndx;  // e_shstrndx: the section holding the section names
    std::size_t sectionHeaderSize;
    std::size_t shOffset; // sh_offset
    std::size_t shSize;   // sh_size
    std::size_t shLink;   // sh_link
};
constexpr ElfLayout kElf32{.headerSize = 52,
                           .addressSize = 4,
                           .shoff = 0x20,
                           .shentsize = 0x2E,
                           .shnum = 0x30,
                           .shstrndx = 0x32,
                           .sectionHeaderSize = 40,
                           .shOffset = 16,
                           .shSize = 20,
                           .shLink = 24};
constexpr ElfLayout kElf64{.headerSize = 64,
                           .addressSize = 8,
                           .shoff = 0x28,
                           .shentsize = 0x3A,
                           .shnum = 0x3C,
                           .shstrndx = 0x3E,
                           .sectionHeaderSize = 64,
                           .shOffset = 24,
                           .shSize = 32,
                           .shLink = 40};
// sh_name and sh_type open a section header in both classes.
constexpr std::size_t kShName = 0;
constexpr std::size_t kShType = 4;

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

std::uint64_t loadAddress(const std::uint8_t* p, const ElfLayout& l)
{
    return l.addressSize == 8 ? load64(p) : load32(p);
}

SectionHeader decode(const std::uint8_t* p, const ElfLayout& l)
{
    return {load32(p + kShName), load32(p + kShType), loadAddress(p + l.shOffset, l), loadAddress(p + l.shSize, l),
            load32(p + l.shLink)};
}

// The section headers as the ELF header describes them.
struct SectionTable {
    const ElfLayout* layout = nullptr;
    std::uint64_t offset = 0;
    std::uint16_t entrySize = 0;
    std::uint64_t count = 0;
    std::uint32_t nameIndex = 0;
};

DWORD readElfHeader(ByteSource& source, SectionTable& table)
{
    std::array<std::uint8_t, kElf64.headerSize> eh{};
    if (source.size() < kElf32.headerSize)
        return ERROR_BAD_FORMAT;
    const std::size_t headerRead = static_cast<std::size_t>(std::min<std::uint64_t>(eh.size(), source.size()));
    if (DWORD e = source.read(0, eh.data(), headerRead))
        return e;
    if (std::memcmp(eh.data(), kElfMagic, kElfMagicSize) != 0 || eh[kEiData] != kElfData2Lsb)
        return ERROR_BAD_FORMAT;
    const bool is64 = eh[kEiClass] == kElfClass64;
    if (!is64 && eh[kEiClass] != kElfClass32)
        return ERROR_BAD_FORMAT;
    const ElfLayout& l = is64 ? kElf64 : kElf32;
    if (headerRead < l.headerSize)
        return ERROR_BAD_FORMAT;
    table = {&l, loadAddress(&eh[l.shoff], l), load16(&eh[l.shentsize]), load16(&eh[l.shnum]), load16(&eh[l.shstrndx])};
    if (table.offset == 0)
        return ERROR_RESOURCE_TYPE_NOT_FOUND;
    if (table.entrySize < l.sectionHeaderSize || table.offset > source.size())
        return ERROR_BAD_FORMAT;
    return ERROR_SUCCESS;
}

DWORD readSectionHeader(ByteSource& source, const SectionTable& table, std::uint64_t index, SectionHeader& out)
{
    if (index >= (source.size() - table.offset) / table.entrySize)
        return ERROR_BAD_FORMAT;
    std::vector<std::uint8_t> buf(table.entrySize);
    if (DWORD e = source.read(table.offset + index * table.entrySize, buf.data(), buf.size()))
        return e;
    out = decode(buf.data(), *table.layout);
    return ERROR_SUCCESS;
}

// Many sections, or a far string table index, spill into the first section header.
DWORD applyExtendedNumbering(ByteSource& source, SectionTable& table)
{
    if (table.count == 0 || table.nameIndex == SHN_XINDEX_VALUE) {
        SectionHeader first{};
        if (DWORD e = readSectionHeader(source, table, 0, first))
            return e;
        if (table.count == 0)
            table.count = first.size;
        if (table.nameIndex == SHN_XINDEX_VALUE)
            table.nameIndex = first.link;
    }
    if (table.count > (source.size() - table.offset) / table.entrySize)
        return ERROR_BAD_FORMAT;
    return ERROR_SUCCESS;
}

// The section-name string table, as much of it as a name worth comparing can lie in.
DWORD readNameTable(ByteSource& source, const SectionTable& table, std::vector<char>& nameTable)
{
    SectionHeader names{};
    if (table.nameIndex >= table.count)
        return ERROR_BAD_FORMAT;
    if (DWORD e = readSectionHeader(source, table, table.nameIndex, names))
        return e;
    if (names.type == SHT_NOBITS_TYPE || names.offset > source.size() || names.size > source.size() - names.offset)
        return ERROR_BAD_FORMAT;
    nameTable.resize(static_cast<std::size_t>(std::min<std::uint64_t>(names.size, maxNameTable)));
    return source.read(names.offset, nameTable.data(), nameTable.size());
}

DWORD findVersionSection(ByteSource& source, const SectionTable& table, const std::vector<char>& nameTable,
                         ResourceSpan& span)
{
    constexpr std::size_t wantedLength = sizeof elfVersionSection; // with its NUL
    constexpr std::uint64_t chunkEntries = 64;
    std::vector<std::uint8_t> chunk;
    for (std::uint64_t first = 0; first < table.count; first += chunkEntries) {
        const std::uint64_t n = std::min(chunkEntries, table.count - first);
        chunk.resize(static_cast<std::size_t>(n * table.entrySize));
        if (DWORD e = source.read(table.offset + first * table.entrySize, chunk.data(), chunk.size()))
            return e;
        for (std::uint64_t i = 0; i < n; ++i) {
            SectionHeader s = decode(&chunk[static_cast<std::size_t>(i * table.entrySize)], *table.layout);
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
} // namespace

bool looksLikeElf(ByteSource& source)
{
    std::uint8_t magic[kElfMagicSize];
    return source.size() >= kElfMagicSize && source.read(0, magic, kElfMagicSize) == ERROR_SUCCESS &&
           std::memcmp(magic, kElfMagic, kElfMagicSize) == 0;
}

DWORD findElfVersionSection(ByteSource& source, ResourceSpan& span)
{
    SectionTable table;
    if (DWORD e = readElfHeader(source, table))
        return e;
    if (DWORD e = applyExtendedNumbering(source, table))
        return e;
    std::vector<char> nameTable;
    if (DWORD e = readNameTable(source, table, nameTable))
        return e;
    return findVersionSection(source, table, nameTable, span);
}

} // namespace wincompat::version
