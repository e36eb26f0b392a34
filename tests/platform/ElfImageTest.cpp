// The ELF walk over images laid out by hand, 32 and 64 bits, at the edges of the header fields.
#include "PlatformTestSupport.h"

#include "platform/version/elf_image.h"

#include <gtest/gtest.h>

using namespace platform_test;
using namespace wincompat::version;

namespace {
constexpr std::uint32_t SHT_PROGBITS = 1, SHT_STRTAB = 3, SHT_NOBITS = 8;

struct Section {
    std::string name;
    std::uint32_t type = SHT_PROGBITS;
    Bytes data;
};

struct Layout {
    bool is64 = true;
    bool extendedNumbering = false; // section count and name table index in section 0
    std::size_t trailing = 0;       // bytes after the section headers
};

struct Elf {
    Bytes bytes;
    std::size_t shoff = 0, entsize = 0, count = 0, strndx = 0;
    std::vector<std::size_t> nameAt, dataAt;

    std::size_t header(std::size_t index) const { return shoff + index * entsize; }
};

// Header, section data, the name table (whose last name is the last section's), section headers.
Elf buildElf(const std::vector<Section>& sections, const Layout& l = {})
{
    Elf e;
    e.entsize = l.is64 ? 64 : 40;
    e.count = sections.size() + 2; // the null section first, the name table last
    e.strndx = e.count - 1;
    Bytes& b = e.bytes;
    b.assign(l.is64 ? 64 : 52, 0);
    b[0] = 0x7f, b[1] = 'E', b[2] = 'L', b[3] = 'F', b[4] = l.is64 ? 2 : 1, b[5] = 1, b[6] = 1;

    std::string names(1, '\0');
    const std::size_t tableName = names.size();
    names += ".shstrtab";
    names += '\0';
    for (const Section& s : sections) {
        e.nameAt.push_back(names.size());
        names += s.name;
        names += '\0';
        e.dataAt.push_back(b.size());
        if (s.type != SHT_NOBITS)
            b.insert(b.end(), s.data.begin(), s.data.end());
    }
    const std::size_t namesAt = b.size();
    b.insert(b.end(), names.begin(), names.end());
    while (b.size() % 8)
        b.push_back(0);
    e.shoff = b.size();
    b.resize(b.size() + e.count * e.entsize + l.trailing, 0);

    auto put = [&](std::size_t index, std::uint32_t name, std::uint32_t type, std::uint64_t offset, std::uint64_t size,
                   std::uint32_t link) {
        const std::size_t h = e.header(index);
        put32(b, h, name);
        put32(b, h + 4, type);
        if (l.is64) {
            put64(b, h + 24, offset);
            put64(b, h + 32, size);
            put32(b, h + 40, link);
        } else {
            put32(b, h + 16, static_cast<std::uint32_t>(offset));
            put32(b, h + 20, static_cast<std::uint32_t>(size));
            put32(b, h + 24, link);
        }
    };
    for (std::size_t i = 0; i < sections.size(); ++i)
        put(i + 1, static_cast<std::uint32_t>(e.nameAt[i]), sections[i].type, e.dataAt[i], sections[i].data.size(), 0);
    put(e.strndx, static_cast<std::uint32_t>(tableName), SHT_STRTAB, namesAt, names.size(), 0);

    std::uint16_t count = static_cast<std::uint16_t>(e.count), strndx = static_cast<std::uint16_t>(e.strndx);
    if (l.extendedNumbering) {
        put(0, 0, 0, 0, e.count, static_cast<std::uint32_t>(e.strndx));
        count = 0;
        strndx = 0xFFFF;
    }
    if (l.is64) {
        put64(b, 0x28, e.shoff);
        put16(b, 0x3A, 64);
        put16(b, 0x3C, count);
        put16(b, 0x3E, strndx);
    } else {
        put32(b, 0x20, static_cast<std::uint32_t>(e.shoff));
        put16(b, 0x2E, 40);
        put16(b, 0x30, count);
        put16(b, 0x32, strndx);
    }
    return e;
}

const Bytes& versionData()
{
    return sampleVersionData();
}

std::vector<Section> withVersion(std::string name = elfVersionSection)
{
    return {{".text", SHT_PROGBITS, Bytes(24, 0x90)}, {std::move(name), SHT_PROGBITS, versionData()}};
}

DWORD walk(const Bytes& file, ResourceSpan* where = nullptr)
{
    return walkWith(findElfVersionSection, file, where);
}
} // namespace

TEST(ElfWalk, FindsTheSectionIn32And64BitImagesAndWithExtendedNumbering)
{
    for (bool is64 : {false, true}) {
        for (bool extended : {false, true}) {
            SCOPED_TRACE(std::string(is64 ? "ELF64" : "ELF32") + (extended ? " extended" : ""));
            const Elf e = buildElf(withVersion(), {is64, extended});
            ResourceSpan span;
            ASSERT_EQ(walk(e.bytes, &span), DWORD(ERROR_SUCCESS));
            EXPECT_EQ(span.offset, e.dataAt[1]);
            EXPECT_EQ(span.size, versionData().size());
            EXPECT_EQ(queryText(e.bytes, "\\StringFileInfo\\040904E4\\ProductName"), "Tallyrune");
        }
    }
}

TEST(ElfWalk, TheNameTableIndexAloneMayLiveInSectionZero)
{
    for (bool is64 : {false, true}) {
        SCOPED_TRACE(is64 ? "ELF64" : "ELF32");
        Elf e = buildElf(withVersion(), {is64});
        put16(e.bytes, is64 ? 0x3E : 0x32, 0xFFFF);
        put32(e.bytes, e.header(0) + (is64 ? 40 : 24), static_cast<std::uint32_t>(e.strndx));
        EXPECT_EQ(queryText(e.bytes, "\\StringFileInfo\\040904E4\\ProductName"), "Tallyrune");
    }
}

TEST(ElfWalk, OnlyTheExactNameCounts)
{
    // The name is the last one of the table, so it ends exactly where the table ends.
    EXPECT_EQ(walk(buildElf(withVersion()).bytes), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(walk(buildElf(withVersion(std::string(elfVersionSection) + "x")).bytes),
              DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(walk(buildElf(withVersion(std::string(elfVersionSection).substr(1))).bytes),
              DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
    // A name that starts inside the table but runs past its end.
    Elf e = buildElf(withVersion());
    Bytes& b = e.bytes;
    const std::size_t nameTableSize = e.header(e.strndx) + 32;
    put64(b, nameTableSize, wincompat::version::load64(&b[nameTableSize]) - 1);
    EXPECT_EQ(walk(b), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
}

TEST(ElfWalk, EmptyOrUnloadedSectionsHoldNoData)
{
    std::vector<Section> sections = withVersion();
    sections[1].data.clear();
    EXPECT_EQ(walk(buildElf(sections).bytes), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
    sections = withVersion();
    sections[1].type = SHT_NOBITS;
    EXPECT_EQ(walk(buildElf(sections).bytes), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));

    // A name table that the file does not hold.
    Elf e = buildElf(withVersion());
    put32(e.bytes, e.header(e.strndx) + 4, SHT_NOBITS);
    EXPECT_EQ(walk(e.bytes), DWORD(ERROR_BAD_FORMAT));
}

TEST(ElfWalk, HeaderCountsAndIndexesAreCheckedAgainstTheFile)
{
    for (bool is64 : {false, true}) {
        SCOPED_TRACE(is64 ? "ELF64" : "ELF32");
        const std::size_t shnum = is64 ? 0x3C : 0x30, shstrndx = is64 ? 0x3E : 0x32, shentsize = is64 ? 0x3A : 0x2E;
        // The section headers end exactly at the end of the file.
        const Elf e = buildElf(withVersion(), {is64});
        ASSERT_EQ(e.bytes.size(), e.header(e.count));
        EXPECT_EQ(walk(e.bytes), DWORD(ERROR_SUCCESS));
        // One header more than the file holds.
        Bytes more = e.bytes;
        put16(more, shnum, static_cast<std::uint16_t>(e.count + 1));
        EXPECT_EQ(walk(more), DWORD(ERROR_BAD_FORMAT));
        // Entries smaller than a section header.
        Bytes small = e.bytes;
        put16(small, shentsize, is64 ? 63 : 39);
        EXPECT_EQ(walk(small), DWORD(ERROR_BAD_FORMAT));

        // A name table index equal to the count, with bytes after the headers that could pass for one.
        Elf padded = buildElf(withVersion(), {is64, false, 128});
        EXPECT_EQ(walk(padded.bytes), DWORD(ERROR_SUCCESS));
        put16(padded.bytes, shstrndx, static_cast<std::uint16_t>(padded.count));
        EXPECT_EQ(walk(padded.bytes), DWORD(ERROR_BAD_FORMAT));

        // No section headers at all.
        Bytes none = e.bytes;
        put16(none, shnum, 0);
        if (is64)
            put64(none, 0x28, 0);
        else
            put32(none, 0x20, 0);
        EXPECT_EQ(walk(none), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
    }
    // An unknown class, and big-endian, are not read.
    Bytes odd = buildElf(withVersion()).bytes;
    odd[4] = 3;
    EXPECT_EQ(walk(odd), DWORD(ERROR_BAD_FORMAT));
    odd[4] = 0;
    EXPECT_EQ(walk(odd), DWORD(ERROR_BAD_FORMAT));
    Bytes big = buildElf(withVersion()).bytes;
    big[5] = 2;
    EXPECT_EQ(walk(big), DWORD(ERROR_BAD_FORMAT));
}

TEST(ElfWalk, SectionDataMustLieInsideTheFile)
{
    // The data moved to the very end of the file, after the section headers.
    const std::size_t size = versionData().size();
    Elf e = buildElf(withVersion(), {true, false, size});
    Bytes& b = e.bytes;
    std::copy(versionData().begin(), versionData().end(), b.end() - static_cast<std::ptrdiff_t>(size));
    put64(b, e.header(2) + 24, b.size() - size);
    EXPECT_EQ(queryText(b, "\\StringFileInfo\\040904E4\\ProductName"), "Tallyrune");
    // One byte beyond is not there.
    put64(b, e.header(2) + 32, size + 1);
    EXPECT_EQ(walk(b), DWORD(ERROR_BAD_FORMAT));
}

TEST(ElfWalk, ManySectionsAreReadInChunksWithoutSkippingAny)
{
    // Far more sections than one chunk of headers, the wanted one among the last.
    std::vector<Section> sections;
    for (int i = 0; i < 200; ++i)
        sections.push_back({".s" + std::to_string(i), SHT_PROGBITS, Bytes(1, 0)});
    sections.push_back({elfVersionSection, SHT_PROGBITS, versionData()});
    for (std::size_t count : {63u, 64u, 65u, 127u, 128u, 201u}) {
        std::vector<Section> some(sections.end() - static_cast<std::ptrdiff_t>(count), sections.end());
        SCOPED_TRACE(count);
        EXPECT_EQ(queryText(buildElf(some).bytes, "\\StringFileInfo\\040904E4\\ProductName"), "Tallyrune");
    }
}
