// The platform's version calls on files made by the writer: the block lookups, the PE walk with
// its failures, the ELF section and the search for bare names.
#include "VersionFixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace fixtures;
namespace fs = std::filesystem;

namespace {
VersionInfo sample()
{
    return simpleVersionInfo(
        {1, 2, 3, 4}, {{"CompanyName", "Harrowmere Software"}, {"FileVersion", "9.9"}, {"ProductName", "Tallyrune"}});
}

DWORD sizeError(const std::string& file)
{
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetFileVersionInfoSizeA(file.c_str(), nullptr), 0u) << file;
    return GetLastError();
}

// Reads whatever the file gives and checks that every value handed out lies inside the block.
void readEverything(const std::string& file)
{
    std::vector<std::uint8_t> block = readBlock(file);
    if (block.empty())
        return;
    for (const char* path : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904E4\\ProductName",
                             "\\StringFileInfo\\040904E4\\CompanyName", "\\StringFileInfo", "\\VarFileInfo"}) {
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueA(block.data(), path, &value, &length))
            continue;
        const auto* p = static_cast<const std::uint8_t*>(value);
        ASSERT_GE(p, block.data()) << path;
        ASSERT_LE(p + length, block.data() + block.size()) << path;
    }
}

void writeTruncated(const std::string& from, const std::string& to, std::uintmax_t size)
{
    if (from != to)
        fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    fs::resize_file(to, size);
}
} // namespace

TEST(VersionBlockLookup, FixedPartTranslationAndStrings)
{
    TempDir dir;
    auto block = readBlock(writePe(dir / "a.exe", sample()));
    ASSERT_FALSE(block.empty());

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, value, sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0x00030004u);

    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    DWORD translation;
    std::memcpy(&translation, value, 4);
    EXPECT_EQ(translation, 0x04E40409u);

    EXPECT_EQ(queryText(block, "\\StringFileInfo\\040904E4\\ProductName"), "Tallyrune");
    EXPECT_EQ(queryText(block, "\\StringFileInfo\\040904E4\\FileVersion"), "9.9");
    EXPECT_EQ(queryText(block, "\\StringFileInfo\\040904E4\\Comments"), std::nullopt);
    EXPECT_EQ(queryText(block, "\\StringFileInfo\\040704E4\\ProductName"), std::nullopt);
}

TEST(VersionBlockLookup, KeysMatchInAnyLetterCaseButOnlyWholly)
{
    TempDir dir;
    auto block = readBlock(writePe(dir / "a.exe", sample()));
    EXPECT_EQ(queryText(block, "\\stringfileinfo\\040904e4\\PRODUCTNAME"), "Tallyrune");
    EXPECT_EQ(queryText(block, "\\STRINGFILEINFO\\040904E4\\productname"), "Tallyrune");
    EXPECT_EQ(queryText(block, "\\StringFileInfo\\040904E4\\ProductNam"), std::nullopt);
    EXPECT_EQ(queryText(block, "\\StringFileInfo\\040904E4\\ProductNameX"), std::nullopt);
    EXPECT_EQ(queryText(block, "\\StringFileInf\\040904E4\\ProductName"), std::nullopt);
    void* value = nullptr;
    UINT length = 0;
    EXPECT_TRUE(VerQueryValueA(block.data(), "\\varfileinfo\\TRANSLATION", &value, &length));
    EXPECT_FALSE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translations", &value, &length));
}

TEST(VersionBlockLookup, TextConvertsToUtf8WithoutLoss)
{
    TempDir dir;
    VersionInfo info = simpleVersionInfo({1, 0, 0, 0}, {});
    auto& strings = info.tables[0].strings;
    strings.push_back({u"Umlauts", utf16("Grüße aus Köln")});
    strings.push_back({u"Cjk", utf16("日本語のテキスト")});
    strings.push_back({u"Astral", utf16("𝄞 and 😀")});
    strings.push_back({u"Lone", std::u16string{u'a', 0xD800, u'b', 0xDC00, u'c', 0xD83D}});
    strings.push_back({u"Swapped", std::u16string{0xDE00, 0xD83D}});
    strings.push_back({u"Embedded", std::u16string{u'a', u'b', 0, u'c'}});
    strings.push_back({u"Empty", u""});
    auto block = readBlock(writePe(dir / "a.exe", info));
    const std::string table = "\\StringFileInfo\\040904E4\\";
    EXPECT_EQ(queryText(block, table + "Umlauts"), "Grüße aus Köln");
    EXPECT_EQ(queryText(block, table + "Cjk"), "日本語のテキスト");
    EXPECT_EQ(queryText(block, table + "Astral"), "𝄞 and 😀");
    EXPECT_EQ(queryText(block, table + "Lone"), "a\uFFFDb\uFFFDc\uFFFD");
    EXPECT_EQ(queryText(block, table + "Swapped"), "\uFFFD\uFFFD");
    EXPECT_EQ(queryText(block, table + "Embedded"), "ab");
    EXPECT_EQ(queryText(block, table + "Empty"), "");
}

TEST(VersionBlockLookup, LargestTextOfThreeByteCharactersFitsInsideTheBlock)
{
    // Near the 64 KiB limit, every value made of characters that take three bytes in UTF-8:
    // the copies must all fit in the block and not overwrite one another.
    TempDir dir;
    VersionInfo info = simpleVersionInfo({1, 0, 0, 0}, {});
    std::vector<std::u16string> expected;
    for (int i = 0; i < 60; ++i) {
        std::u16string value(500, static_cast<char16_t>(0x20AC + i));
        info.tables[0].strings.push_back({utf16("K" + std::to_string(i)), value});
        expected.push_back(value);
    }
    const Bytes raw = buildVersionBlock(info);
    ASSERT_GT(raw.size(), 60000u);
    auto block = readBlock(writePe(dir / "a.exe", info));
    ASSERT_FALSE(block.empty());
    for (int i = 0; i < 60; ++i) {
        std::string utf8;
        for (int k = 0; k < 500; ++k) {
            const char16_t c = static_cast<char16_t>(0x20AC + i);
            utf8 += static_cast<char>(0xE0 | (c >> 12));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
        EXPECT_EQ(queryText(block, "\\StringFileInfo\\040904E4\\K" + std::to_string(i)), utf8) << i;
    }
    // The resource itself is untouched by the copies.
    EXPECT_EQ(0, std::memcmp(block.data(), raw.data(), raw.size()));
}

TEST(VersionBlockLookup, MalformedTreesEndTheWalkInsteadOfReadingOn)
{
    TempDir dir;
    VersionInfo info = sample();
    Bytes good = buildVersionBlock(info);

    // A child of length 0 ends the walk: what follows it is not found, and nothing hangs.
    VersionNode root = toNode(info);
    VersionNode empty{u"X", 1, {}, std::nullopt, {}};
    root.children.insert(root.children.begin(), empty);
    Bytes withEmpty = encode(root);
    const std::size_t emptyAt = 0x5C; // after the root header, key and fixed part
    ASSERT_EQ(withEmpty[emptyAt + 6], 'X');
    withEmpty[emptyAt] = withEmpty[emptyAt + 1] = 0;
    auto block = readBlock(writeRaw(dir / "empty.exe", buildPe(withEmpty).flatten()));
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(queryText(block, "\\StringFileInfo\\040904E4\\ProductName"), std::nullopt);

    // A root that claims more than the resource holds is cut to what is there.
    Bytes longRoot = good;
    longRoot[0] = longRoot[1] = 0xFF;
    block = readBlock(writeRaw(dir / "long.exe", buildPe(longRoot).flatten()));
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(queryText(block, "\\StringFileInfo\\040904E4\\ProductName"), "Tallyrune");

    // A string whose length runs past its table, and a key without its terminating NUL.
    for (std::size_t at = 0; at + 1 < good.size(); at += 2) {
        Bytes bad = good;
        bad[at] = 0xFF;
        bad[at + 1] = 0x7F;
        readEverything(writeRaw(dir / "bad.exe", buildPe(bad).flatten()));
    }
    // A resource too short for a header gives no data.
    EXPECT_EQ(sizeError(writeRaw(dir / "tiny.exe", buildPe(Bytes{4, 0, 0, 0}).flatten())), DWORD(ERROR_INVALID_DATA));
}

TEST(PeVersionResource, Pe32AndPe32PlusGiveTheSameBlock)
{
    TempDir dir;
    PeOptions plus;
    plus.pe32plus = true;
    auto a = readBlock(writePe(dir / "a.exe", sample()));
    auto b = readBlock(writePe(dir / "b.exe", sample(), plus));
    ASSERT_FALSE(a.empty());
    EXPECT_EQ(a, b);
}

TEST(PeVersionResource, FailuresReportTheirCause)
{
    TempDir dir;
    EXPECT_EQ(sizeError((dir / "missing.exe").string()), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(sizeError(""), DWORD(ERROR_FILE_NOT_FOUND));
    writeFile(dir / "text.exe", "This is not a program.\n");
    EXPECT_EQ(sizeError((dir / "text.exe").string()), DWORD(ERROR_BAD_FORMAT));
    writeFile(dir / "empty.exe", "");
    EXPECT_EQ(sizeError((dir / "empty.exe").string()), DWORD(ERROR_BAD_FORMAT));

    PeOptions icon;
    icon.resourceType = 14;
    EXPECT_EQ(sizeError(writePe(dir / "icon.exe", sample(), icon)), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));

    fs::create_directories(dir / "folder.exe");
    EXPECT_EQ(sizeError((dir / "folder.exe").string()), DWORD(ERROR_ACCESS_DENIED));

    // A FIFO under the name must not block the reader waiting for a writer.
    ASSERT_EQ(mkfifo((dir / "pipe.exe").c_str(), 0600), 0);
    EXPECT_EQ(sizeError((dir / "pipe.exe").string()), DWORD(ERROR_BAD_FORMAT));

    // No resource directory at all.
    Bytes pe = buildPe(buildVersionBlock(sample())).flatten();
    const std::size_t resourceDirectory = 0x40 + 24 + 96 + 16;
    std::memset(&pe[resourceDirectory], 0, 8);
    EXPECT_EQ(sizeError(writeRaw(dir / "nores.exe", pe)), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
}

TEST(PeVersionResource, AnotherNameIsTakenWhenThereIsNoNameOne)
{
    TempDir dir;
    PeOptions byId;
    byId.resourceId = 2;
    PeOptions byName;
    byName.resourceName = u"VERSION";
    byName.language = 0x0407;
    for (const PeOptions& o : {byId, byName}) {
        auto block = readBlock(writePe(dir / "a.exe", sample(), o));
        EXPECT_EQ(queryText(block, "\\StringFileInfo\\040904E4\\ProductName"), "Tallyrune");
    }
}

TEST(PeVersionResource, BrokenDirectoriesAreRefused)
{
    TempDir dir;
    const Bytes good = buildPe(buildVersionBlock(sample())).flatten();
    const std::size_t section = 0x200;
    // The type directory's entry points back at the root: a loop.
    Bytes loop = good;
    const std::uint32_t toRoot = 0x80000000u;
    std::memcpy(&loop[section + 24 + 20], &toRoot, 4);
    EXPECT_EQ(sizeError(writeRaw(dir / "loop.exe", loop)), DWORD(ERROR_BAD_FORMAT));
    // The language level names a directory instead of data.
    Bytes deeper = good;
    const std::uint32_t toType = 0x80000000u | 24;
    std::memcpy(&deeper[section + 48 + 20], &toType, 4);
    EXPECT_EQ(sizeError(writeRaw(dir / "deeper.exe", deeper)), DWORD(ERROR_BAD_FORMAT));
    // An entry count that runs far past the section.
    Bytes many = good;
    many[section + 14] = many[section + 15] = 0xFF;
    EXPECT_EQ(sizeError(writeRaw(dir / "many.exe", many)), DWORD(ERROR_BAD_FORMAT));
    // Data that lies outside every section.
    Bytes far = good;
    const std::uint32_t farRva = 0x7FFF0000;
    std::memcpy(&far[section + 72], &farRva, 4);
    EXPECT_EQ(sizeError(writeRaw(dir / "far.exe", far)), DWORD(ERROR_BAD_FORMAT));
    // A section table that claims more sections than the file holds.
    Bytes sections = good;
    sections[0x40 + 6] = sections[0x40 + 7] = 0xFF;
    EXPECT_EQ(sizeError(writeRaw(dir / "sections.exe", sections)), DWORD(ERROR_BAD_FORMAT));
}

TEST(PeVersionResource, TruncatedAndCorruptFilesNeverCrash)
{
    TempDir dir;
    const std::string good = writePe(dir / "good.exe", sample());
    const std::uintmax_t size = fs::file_size(good);
    for (std::uintmax_t n = 0; n < size; ++n) {
        writeTruncated(good, (dir / "cut.exe").string(), n);
        SCOPED_TRACE(n);
        readEverything((dir / "cut.exe").string());
    }
    // Random bytes over the headers, the directories and the resource.
    PeOptions plus;
    plus.pe32plus = true;
    const Bytes original = buildPe(buildVersionBlock(sample()), plus).flatten();
    std::mt19937 random(20260101);
    for (int round = 0; round < 3000; ++round) {
        Bytes bad = original;
        const int flips = 1 + static_cast<int>(random() % 8);
        for (int f = 0; f < flips; ++f)
            bad[random() % bad.size()] = static_cast<std::uint8_t>(random());
        SCOPED_TRACE(round);
        readEverything(writeRaw(dir / "bad.exe", bad));
    }
}

TEST(PeVersionResource, ReadFailsWhenTheFileChangedAfterTheSizeQuery)
{
    TempDir dir;
    const std::string file = writePe(dir / "a.exe", sample());
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<std::uint8_t> block(size);

    // Replaced by a file with a longer version resource: the old size no longer holds it.
    VersionInfo bigger = sample();
    bigger.tables[0].strings.push_back({u"Comments", std::u16string(400, u'x')});
    writePe(dir / "a.exe", bigger);
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(GetFileVersionInfoA(file.c_str(), 0, size, block.data()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));

    // Replaced by a cut copy.
    writeTruncated(file, file, 300);
    EXPECT_FALSE(GetFileVersionInfoA(file.c_str(), 0, size, block.data()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_BAD_FORMAT));

    EXPECT_FALSE(GetFileVersionInfoA(file.c_str(), 0, size, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST(PeVersionResource, BareNamesAreLookedForInTheCurrentThenSystemThenWindowsFolder)
{
    // The executable's own folder comes first; the companion's test covers that one.
    ScopedCompatRoot root;
    TempDir cwd;
    const fs::path saved = fs::current_path();
    fs::current_path(cwd.path());
    const std::string name = "VersionSearchProbe.exe";
    auto version = [&] {
        auto block = readBlock(name);
        return block.empty() ? std::string("none") : *queryText(block, "\\StringFileInfo\\040904E4\\FileVersion");
    };
    writePe(root.path() / "windows" / name, simpleVersionInfo({3, 0, 0, 0}, {{"FileVersion", "windows"}}));
    writePe(root.path() / "windows" / "system32" / name, simpleVersionInfo({2, 0, 0, 0}, {{"FileVersion", "system"}}));
    writePe(cwd / name, simpleVersionInfo({1, 0, 0, 0}, {{"FileVersion", "current"}}));
    EXPECT_EQ(version(), "current");
    fs::remove(cwd / name);
    EXPECT_EQ(version(), "system");
    fs::remove(root.path() / "windows" / "system32" / name);
    EXPECT_EQ(version(), "windows");
    fs::remove(root.path() / "windows" / name);
    EXPECT_EQ(version(), "none");
    EXPECT_EQ(sizeError(name), DWORD(ERROR_FILE_NOT_FOUND));
    fs::current_path(saved);
}

TEST(ElfVersionSection, TheCompanionCarriesTheUtilityBlock)
{
    const std::string self = (binDir() / "tallyrune-updatectl").string();
    ASSERT_TRUE(fs::exists(self)) << self;
    auto block = readBlock(self);
    ASSERT_FALSE(block.empty());
    const std::string table = "\\StringFileInfo\\040904E4\\";
    EXPECT_EQ(queryText(block, table + "FileVersion"), "1.0.8.130");
    EXPECT_EQ(queryText(block, table + "ProductVersion"), "1.0.0.0");
    EXPECT_EQ(queryText(block, table + "ProductName"), "Update Utility");
    EXPECT_EQ(queryText(block, table + "OriginalFilename"), "Tallyrune Update Utility");
}

TEST(ElfVersionSection, FilesWithoutTheSectionOrWithBrokenHeadersGiveNoData)
{
    TempDir dir;
    // The test program has no version block of its own.
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    EXPECT_EQ(sizeError(std::string(self, static_cast<std::size_t>(n))), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));

    const std::string companion = (binDir() / "tallyrune-updatectl").string();
    const std::uintmax_t size = fs::file_size(companion);
    const std::string cut = (dir / "cut").string();
    for (std::uintmax_t at : {std::uintmax_t{0}, std::uintmax_t{40}, std::uintmax_t{64}, size / 2, size - 2000,
                              size - 700, size - 64, size - 1}) {
        writeTruncated(companion, cut, at);
        SCOPED_TRACE(at);
        readEverything(cut);
        EXPECT_EQ(GetFileVersionInfoSizeA(cut.c_str(), nullptr), 0u);
    }
    // A string table index beyond the section count.
    std::string bytes = readFile(companion);
    bytes[0x3E] = static_cast<char>(0xF0);
    bytes[0x3F] = 0x7F;
    writeFile(dir / "badindex", bytes);
    EXPECT_EQ(sizeError((dir / "badindex").string()), DWORD(ERROR_BAD_FORMAT));
    // Big-endian is not read.
    bytes = readFile(companion);
    bytes[5] = 2;
    writeFile(dir / "bigendian", bytes);
    EXPECT_EQ(sizeError((dir / "bigendian").string()), DWORD(ERROR_BAD_FORMAT));
}
