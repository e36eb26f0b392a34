// The About box's own numbering of version values, on this test program's embedded block (built
// exactly as the utility's) and on PE files made by the project's writer.
#include "about/parts/VersionInfoLookup.h"
#include "about/TLMDAboutDlg.h"
#include "support/VersionReadFault.h"
#include "support/TempDir.h"
#include "verwriter/PeWriter.h"

#include <gtest/gtest.h>

using namespace verwriter;

namespace {
std::string writeExe(const TempDir& dir, const std::string& name, const VersionInfo& info)
{
    const std::string path = (dir / name).string();
    writeBytes(path, buildPe(buildVersionBlock(info)).flatten());
    return path;
}

std::vector<std::string> allValues(const std::string& file)
{
    std::vector<std::string> values;
    for (int i = 0; i <= 9; ++i)
        values.push_back(VersionInfoLookup(file, i));
    return values;
}
} // namespace

TEST(OwnVersionInfo, EveryIndexOfTheRunningProgram)
{
    TLMDAboutDlg dlg(nullptr);
    const char* expected[] = {
        "Harrowmere Software",
        "Update Utility",
        "1.0.0.0",
        "Copyright (C) 2026 Harrowmere Software",
        "Tallyrune is a trademark of Harrowmere Software", // stored as LegalTrademarks
        "Tallyrune Update Utility",
        "Brings Tallyrune up to date from its update folder",
        "1.0",
        "1.0.8.130",
        "1.0 (Build 8.130)",
    };
    for (int i = 0; i <= 9; ++i)
        EXPECT_EQ(dlg.GetOwnVersionInfo(i), expected[i]) << "index " << i;
    EXPECT_EQ(dlg.GetOwnVersionInfo(10), "");
    EXPECT_EQ(dlg.GetOwnVersionInfo(-1), "");
}

TEST(OwnVersionInfo, ReadAfreshOnEveryCall)
{
    // A failing read between two calls shows that nothing is kept from the first.
    TLMDAboutDlg dlg(nullptr);
    ASSERT_EQ(dlg.GetOwnVersionInfo(1), "Update Utility");
    fixtures::failNextVersionRead(ERROR_READ_FAULT);
    EXPECT_EQ(dlg.GetOwnVersionInfo(1), "");
    EXPECT_EQ(dlg.GetOwnVersionInfo(1), "Update Utility");
}

TEST(VersionLookup, FileVersionFormsUseTheFixedPartsWords)
{
    TempDir dir;
    // Distinct words, one above 9999, catch a swapped or misread half.
    const std::string exe = writeExe(dir, "a.exe", simpleVersionInfo({10, 2, 65535, 7}, {{"ProductVersion", "9.9"}}));
    EXPECT_EQ(VersionInfoLookup(exe, 7), "10.2");
    EXPECT_EQ(VersionInfoLookup(exe, 8), "10.2.65535.7");
    EXPECT_EQ(VersionInfoLookup(exe, 9), "10.2 (Build 65535.7)");
    EXPECT_EQ(VersionInfoLookup(exe, 2), "9.9");
}

TEST(VersionLookup, StringKeysByIndexWithoutRegardToCase)
{
    TempDir dir;
    const std::string exe = writeExe(dir, "b.exe",
                                     simpleVersionInfo({1, 0, 0, 0}, {{"CompanyName", "c0"},
                                                                      {"productname", "c1"},
                                                                      {"ProductVersion", "c2"},
                                                                      {"LegalCopyright", "c3"},
                                                                      {"LegalTrademarks", "c4"},
                                                                      {"FILEDESCRIPTION", "c5"},
                                                                      {"Comments", "c6"},
                                                                      {"FileVersion", "not shown"}}));
    const auto values = allValues(exe);
    for (int i = 0; i <= 6; ++i)
        EXPECT_EQ(values[static_cast<std::size_t>(i)], "c" + std::to_string(i));
}

TEST(VersionLookup, TableChosenByTheFirstTranslation)
{
    TempDir dir;
    VersionInfo info;
    info.fixed = FixedInfo{{2, 0, 0, 1}};
    info.tables = {{u"040904E4", {{u"ProductName", u"English"}}}, {u"041D04B0", {{u"ProductName", u"Svenska"}}}};
    // Language in the low word, code page in the high word of the first entry.
    info.translations = std::vector<Translation>{{0x041D, 0x04B0}, {0x0409, 0x04E4}};
    EXPECT_EQ(VersionInfoLookup(writeExe(dir, "sv.exe", info), 1), "Svenska");

    info.translations = std::vector<Translation>{{0x0409, 0x04E4}, {0x041D, 0x04B0}};
    EXPECT_EQ(VersionInfoLookup(writeExe(dir, "en.exe", info), 1), "English");
}

TEST(VersionLookup, WithoutTranslationTheUsEnglishTableIsRead)
{
    TempDir dir;
    VersionInfo info;
    info.fixed = FixedInfo{{3, 1, 4, 1}};
    info.tables = {{u"040904E4", {{u"ProductName", u"Found"}}}};
    info.translations.reset();
    const std::string exe = writeExe(dir, "c.exe", info);
    EXPECT_EQ(VersionInfoLookup(exe, 1), "Found");
    EXPECT_EQ(VersionInfoLookup(exe, 8), "3.1.4.1");

    // An empty Translation value names nothing either.
    info.translations = std::vector<Translation>{};
    EXPECT_EQ(VersionInfoLookup(writeExe(dir, "d.exe", info), 1), "Found");

    // Another table alone, with nothing to name it: no strings, but the fixed part still answers.
    info.tables = {{u"040704B0", {{u"ProductName", u"Deutsch"}}}};
    info.translations.reset();
    const std::string other = writeExe(dir, "e.exe", info);
    EXPECT_EQ(VersionInfoLookup(other, 1), "");
    EXPECT_EQ(VersionInfoLookup(other, 7), "3.1");
}

TEST(VersionLookup, MissingFixedPartLeavesTheNumbersEmpty)
{
    TempDir dir;
    VersionInfo info = simpleVersionInfo({1, 2, 3, 4}, {{"ProductName", "No numbers"}});
    info.fixed.reset();
    const auto values = allValues(writeExe(dir, "f.exe", info));
    EXPECT_EQ(values[1], "No numbers");
    EXPECT_EQ(values[7], "");
    EXPECT_EQ(values[8], "");
    EXPECT_EQ(values[9], "");
}

TEST(VersionLookup, NothingToReadGivesEmptyTexts)
{
    TempDir dir;
    writeBytes((dir / "plain.exe").string(), Bytes{'M', 'Z', 0, 0});
    for (const std::string& file : {(dir / "missing.exe").string(), (dir / "plain.exe").string(), dir.str()})
        for (const std::string& value : allValues(file))
            EXPECT_EQ(value, "") << file;
}
