// The PE walk at the edges of what the headers allow: every bound is tried where it is still
// inside and one step beyond.
#include "PlatformTestSupport.h"

#include "platform/version/pe_image.h"

#include <gtest/gtest.h>

using namespace platform_test;
using namespace wincompat::version;

namespace {
// The writer's layout: PE header at 0x40, optional header after the 24 bytes of signature and
// file header, one resource section at file offset 0x200, RVA 0x1000.
constexpr std::size_t pe = 0x40, opt = pe + 24, section = 0x200;
constexpr std::size_t dataEntry = section + 72; // type, name and language directories come first
constexpr std::size_t dataAt = section + 88;

const Bytes& versionData()
{
    return sampleVersionData();
}

Bytes image(bool plus = false)
{
    verwriter::PeOptions o;
    o.pe32plus = plus;
    return verwriter::buildPe(versionData(), o).flatten();
}

std::size_t sectionTable(bool plus)
{
    return opt + (plus ? 240 : 224);
}

DWORD walk(const Bytes& file, ResourceSpan* where = nullptr)
{
    return walkWith(findPeVersionResource, file, where);
}
} // namespace

TEST(PeWalk, DataMayEndExactlyWhereItsSectionOrTheFileEnds)
{
    const std::uint32_t size = static_cast<std::uint32_t>(versionData().size());
    Bytes file = image();
    ASSERT_EQ(get32(file, dataEntry + 4), size);

    // The section's raw bytes end right after the data.
    Bytes tight = file;
    put32(tight, sectionTable(false) + 16, static_cast<std::uint32_t>(dataAt - section + size));
    ResourceSpan span;
    ASSERT_EQ(walk(tight, &span), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(span.offset, dataAt);
    EXPECT_EQ(span.size, size);
    // One byte more than the section holds, though the file goes on.
    ASSERT_GT(tight.size(), dataAt + size + 1);
    put32(tight, dataEntry + 4, size + 1);
    EXPECT_EQ(walk(tight), DWORD(ERROR_BAD_FORMAT));

    // The file ends right after the data, while the section claims more.
    Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(dataAt + size));
    EXPECT_EQ(walk(cut), DWORD(ERROR_SUCCESS));
    put32(cut, dataEntry + 4, size + 1);
    EXPECT_EQ(walk(cut), DWORD(ERROR_BAD_FORMAT));

    // Nothing to read is no version resource.
    Bytes empty = file;
    put32(empty, dataEntry + 4, 0);
    EXPECT_EQ(walk(empty), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
}

TEST(PeWalk, AResourceRvaRightAfterTheRawBytesOfOneSectionBelongsToTheNext)
{
    // A data section whose raw bytes end exactly where the resource section's RVA begins.
    verwriter::PeOptions o;
    o.sectionOffset = 0x1200;
    const Bytes file = verwriter::buildPe(versionData(), o).flatten();
    ResourceSpan span;
    ASSERT_EQ(walk(file, &span), DWORD(ERROR_SUCCESS));
    ASSERT_EQ(span.size, versionData().size());
    EXPECT_TRUE(std::equal(versionData().begin(), versionData().end(), file.begin() + static_cast<std::ptrdiff_t>(span.offset)));
}

TEST(PeWalk, TheResourceDirectoryEntryMustBeThere)
{
    for (bool plus : {false, true}) {
        SCOPED_TRACE(plus ? "PE32+" : "PE32");
        const std::size_t countAt = opt + (plus ? 108 : 92), dirs = opt + (plus ? 112 : 96);
        Bytes file = image(plus);

        // Three data directories reach the resource entry; two do not.
        put32(file, countAt, 3);
        EXPECT_EQ(walk(file), DWORD(ERROR_SUCCESS));
        put32(file, countAt, 2);
        EXPECT_EQ(walk(file), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
        put32(file, countAt, 3);

        // The smallest optional header that holds the entry, with the section table right after it.
        const std::size_t smallest = dirs - opt + 3 * 8;
        Bytes small = file;
        put16(small, pe + 4 + 16, static_cast<std::uint16_t>(smallest));
        std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(sectionTable(plus)), 40,
                    small.begin() + static_cast<std::ptrdiff_t>(opt + smallest));
        EXPECT_EQ(walk(small), DWORD(ERROR_SUCCESS));
        // The file ends with that entry: the section table is missing.
        EXPECT_EQ(walk(Bytes(small.begin(), small.begin() + static_cast<std::ptrdiff_t>(opt + smallest))),
                  DWORD(ERROR_BAD_FORMAT));
        // One byte shorter and the entry is cut.
        put16(small, pe + 4 + 16, static_cast<std::uint16_t>(smallest - 1));
        EXPECT_EQ(walk(small), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));

        // An entry of size zero names no resources.
        Bytes none = file;
        put32(none, dirs + 2 * 8 + 4, 0);
        EXPECT_EQ(walk(none), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
    }
}

TEST(PeWalk, ADirectoryMayFillItsSectionButNotRunPastIt)
{
    // A 4 KiB section whose language directory (at offset 48) holds more entries than one read
    // takes: the entry wanted is the first, only the count runs past the end.
    constexpr std::size_t languageDir = section + 48, rawSize = 0x1000;
    constexpr std::uint16_t fits = (rawSize - 48 - 16) / 8;
    Bytes file = image();
    file.resize(section + rawSize, 0);
    put32(file, sectionTable(false) + 16, rawSize);
    put16(file, languageDir + 14, fits);
    EXPECT_EQ(walk(file), DWORD(ERROR_SUCCESS));
    put16(file, languageDir + 14, fits + 1);
    EXPECT_EQ(walk(file), DWORD(ERROR_BAD_FORMAT));

    // The same past the end of the file, when the section claims more bytes than the file holds.
    put32(file, sectionTable(false) + 16, 0x10000);
    EXPECT_EQ(walk(file), DWORD(ERROR_BAD_FORMAT));
}

TEST(PeWalk, OnlyMzFilesAreTakenForPe)
{
    Bytes file = image();
    MemorySource good(file.data(), file.size());
    EXPECT_TRUE(looksLikePe(good));
    file[1] = 'X';
    MemorySource bad(file.data(), file.size());
    EXPECT_FALSE(looksLikePe(bad));
    EXPECT_EQ(walk(file), DWORD(ERROR_BAD_FORMAT));
}

TEST(PeWalk, ATypeThatLeadsBackToTheRootIsALoopEvenWhenTheRootCouldPassForItsNames)
{
    // The root holds two types: 1, whose directory is the language directory, and 16, which
    // points back at the root. Taken as the version type's names, the root would offer name 1.
    constexpr std::size_t languageDir = 48;
    Bytes file = image();
    put16(file, section + 12, 0);
    put16(file, section + 14, 2);
    put32(file, section + 16, 1);
    put32(file, section + 20, 0x80000000u | languageDir);
    put32(file, section + 24, 16);
    put32(file, section + 28, 0x80000000u);
    EXPECT_EQ(walk(file), DWORD(ERROR_BAD_FORMAT));
}
