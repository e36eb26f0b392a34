// The version component over real files: when it reads, what each property gives, and what it
// does on files without data and on a read that fails.
#include "VersionFixtures.h"

#include "framework/core/Exceptions.h"
#include "support/VersionReadFault.h"
#include "version/TSMVersionInfo.h"

#include <gtest/gtest.h>

using namespace fixtures;
namespace fs = std::filesystem;

namespace {
void expectNoData(const TSMVersionInfo& info)
{
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(info.GetVersionNumber(i), -1) << i;
    EXPECT_EQ(info.DateTime(), 0.0);
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(info.GetVersionString(i), "") << i;
}

VersionInfo withFileDate(std::uint32_t ms, std::uint32_t ls)
{
    VersionInfo v = simpleVersionInfo({1, 0, 0, 0}, {{"ProductName", "P"}});
    v.fixed->fileDateMS = ms;
    v.fixed->fileDateLS = ls;
    return v;
}
} // namespace

TEST(TSMVersionInfo, PropertiesComeFromTheFixedPartAndTheFirstTable)
{
    TempDir dir;
    const std::string file =
        writePe(dir / "Tallyrune.exe", simpleVersionInfo({1, 2, 3, 4}, {{"CompanyName", "Harrowmere"},
                                                                        {"FileDescription", "Point of sale"},
                                                                        {"FileVersion", "9.9"},
                                                                        {"InternalName", "tally"},
                                                                        {"LegalCopyright", "© 2026"},
                                                                        {"OriginalFilename", "Tallyrune.exe"},
                                                                        {"ProductName", "Tallyrune"},
                                                                        {"ProductVersion", "5.0"},
                                                                        {"Comments", " padded "},
                                                                        {"LegalTrademarks", "TM"}}));
    TSMVersionInfo info(nullptr);
    info.SetFileName(file);
    EXPECT_EQ(info.FileName(), file);
    // The numbers are the fixed part's, whatever the FileVersion string says.
    EXPECT_EQ(info.MajorVersion(), 1);
    EXPECT_EQ(info.MinorVersion(), 2);
    EXPECT_EQ(info.Release(), 3);
    EXPECT_EQ(info.Build(), 4);
    EXPECT_EQ(info.GetVersionNumber(0), -1);
    EXPECT_EQ(info.GetVersionNumber(5), -1);
    EXPECT_EQ(info.CompanyName(), "Harrowmere");
    EXPECT_EQ(info.FileDescription(), "Point of sale");
    EXPECT_EQ(info.FileVersion(), "9.9");
    EXPECT_EQ(info.InternalName(), "tally");
    EXPECT_EQ(info.LegalCopyright(), "© 2026");
    EXPECT_EQ(info.OriginalFilename(), "Tallyrune.exe");
    EXPECT_EQ(info.ProductName(), "Tallyrune");
    EXPECT_EQ(info.ProductVersion(), "5.0");
    EXPECT_EQ(info.Comments(), " padded ");
    EXPECT_EQ(info.LegalTrademarks(), "TM");
    EXPECT_EQ(info.GetVersionString(0), "");
    EXPECT_EQ(info.GetVersionString(11), "");
    EXPECT_EQ(info.QueryStringValue("productname"), "Tallyrune");
    EXPECT_EQ(info.QueryStringValue("NoSuchKey"), "");
}

TEST(TSMVersionInfo, VersionWordsAreUnsigned)
{
    TempDir dir;
    TSMVersionInfo info(nullptr);
    info.SetFileName(writePe(dir / "a.exe", simpleVersionInfo({0xFFFF, 0x8000, 0, 0xFFFF}, {})));
    EXPECT_EQ(info.MajorVersion(), 65535);
    EXPECT_EQ(info.MinorVersion(), 32768);
    EXPECT_EQ(info.Release(), 0);
    EXPECT_EQ(info.Build(), 65535);
}

TEST(TSMVersionInfo, FileDates)
{
    TempDir dir;
    TSMVersionInfo info(nullptr);
    struct Case {
        std::uint32_t ms, ls;
        double expected;
    };
    const Case cases[] = {
        {0, 0, -109205.0}, // 1601-01-01, the usual zero date
        // 2000-01-01 12:00 = 125911584000000000 ticks: 36526.5
        {static_cast<std::uint32_t>(125912016000000000ull >> 32), static_cast<std::uint32_t>(125912016000000000ull),
         36526.5},
        // 1899-12-29 18:00 counts the fraction forward from the day before the epoch: -1 + 0.75.
        {static_cast<std::uint32_t>(94352904000000000ull >> 32), static_cast<std::uint32_t>(94352904000000000ull),
         -0.25},
        {0x80000000u, 0, 0.0}, // beyond what the calendar conversion takes
        {0x7FFFFFFFu, 0, 0.0}, // a year past 9999
    };
    int n = 0;
    for (const Case& c : cases) {
        info.SetFileName(writePe(dir / ("d" + std::to_string(n++) + ".exe"), withFileDate(c.ms, c.ls)));
        EXPECT_DOUBLE_EQ(info.DateTime(), c.expected) << c.ms << ":" << c.ls;
    }
}

TEST(TSMVersionInfo, OnlyTheFirstTranslationIsRead)
{
    TempDir dir;
    VersionInfo v = simpleVersionInfo({1, 0, 0, 0}, {{"ProductName", "English"}});
    v.translations = std::vector<Translation>{{0x0407, 0x04E4}, {0x0409, 0x04E4}};
    TSMVersionInfo info(nullptr);
    // Its table is missing: nothing, although the second translation's table is there.
    info.SetFileName(writePe(dir / "a.exe", v));
    EXPECT_EQ(info.ProductName(), "");
    v.tables.push_back({u"040704E4", {{u"ProductName", u"Deutsch"}}});
    info.SetFileName(writePe(dir / "b.exe", v));
    EXPECT_EQ(info.ProductName(), "Deutsch");
    // Table names are looked up whatever their letter case in the file.
    v.tables = {{u"040704e4", {{u"ProductName", u"klein"}}}};
    info.SetFileName(writePe(dir / "c.exe", v));
    EXPECT_EQ(info.ProductName(), "klein");
}

TEST(TSMVersionInfo, FilesWithoutDataGiveTheNoDataValues)
{
    TempDir dir;
    TSMVersionInfo info(nullptr);
    expectNoData(info);
    info.SetFileName((dir / "missing.exe").string());
    expectNoData(info);
    writeFile(dir / "text.exe", "MZ but nothing more");
    info.SetFileName((dir / "text.exe").string());
    expectNoData(info);
    PeOptions manifest;
    manifest.resourceType = 24;
    info.SetFileName(writePe(dir / "manifest.exe", simpleVersionInfo({1, 0, 0, 0}, {{"ProductName", "x"}}), manifest));
    expectNoData(info);

    // Without a fixed part, or without a translation list: numbers and strings say "no data".
    VersionInfo noFixed = simpleVersionInfo({1, 0, 0, 0}, {{"ProductName", "x"}});
    noFixed.fixed.reset();
    info.SetFileName(writePe(dir / "nofixed.exe", noFixed));
    EXPECT_EQ(info.MajorVersion(), -1);
    EXPECT_EQ(info.DateTime(), 0.0);
    EXPECT_EQ(info.ProductName(), "x");
    VersionInfo noTranslation = simpleVersionInfo({1, 0, 0, 0}, {{"ProductName", "x"}});
    noTranslation.translations.reset();
    info.SetFileName(writePe(dir / "notrans.exe", noTranslation));
    EXPECT_EQ(info.MajorVersion(), 1);
    EXPECT_EQ(info.ProductName(), "");
    noTranslation.translations = std::vector<Translation>{};
    info.SetFileName(writePe(dir / "emptytrans.exe", noTranslation));
    EXPECT_EQ(info.ProductName(), "");
    // A fixed part without its signature is not one.
    VersionNode root = toNode(simpleVersionInfo({1, 0, 0, 0}, {}));
    root.value[0] = 0;
    info.SetFileName(writeRaw(dir / "nosig.exe", buildPe(encode(root)).flatten()));
    EXPECT_EQ(info.MajorVersion(), -1);
}

TEST(TSMVersionInfo, TheFileIsReadOncePerChangeOfName)
{
    TempDir dir;
    const std::string a = writePe(dir / "a.exe", simpleVersionInfo({1, 0, 0, 0}, {{"ProductName", "first"}}));
    const std::string b = writePe(dir / "b.exe", simpleVersionInfo({2, 0, 0, 0}, {{"ProductName", "other"}}));
    TSMVersionInfo info(nullptr);
    info.SetFileName(a);
    writePe(dir / "a.exe", simpleVersionInfo({7, 0, 0, 0}, {{"ProductName", "replaced"}}));
    info.SetFileName(a);
    EXPECT_EQ(info.ProductName(), "first");
    EXPECT_EQ(info.MajorVersion(), 1);
    // Another name in between, then the same one: now the new contents.
    info.SetFileName(b);
    EXPECT_EQ(info.ProductName(), "other");
    info.SetFileName(a);
    EXPECT_EQ(info.ProductName(), "replaced");
    EXPECT_EQ(info.MajorVersion(), 7);
    // Letter case counts in the comparison of names.
    fs::create_symlink("a.exe", dir / "A.EXE");
    writePe(dir / "a.exe", simpleVersionInfo({8, 0, 0, 0}, {}));
    info.SetFileName((dir / "A.EXE").string());
    EXPECT_EQ(info.MajorVersion(), 8);
    // An empty name keeps what was read.
    info.SetFileName("");
    EXPECT_EQ(info.FileName(), "");
    EXPECT_EQ(info.MajorVersion(), 8);
}

TEST(TSMVersionInfo, AFailedReadRaisesAndHoldsNoData)
{
    TempDir dir;
    const std::string good = writePe(dir / "good.exe", simpleVersionInfo({1, 0, 0, 0}, {{"ProductName", "x"}}));
    const std::string next = writePe(dir / "next.exe", simpleVersionInfo({2, 0, 0, 0}, {{"ProductName", "y"}}));
    TSMVersionInfo info(nullptr);
    info.SetFileName(good);

    fixtures::failNextVersionRead(ERROR_READ_FAULT);
    try {
        info.SetFileName(next);
        FAIL() << "no exception";
    } catch (const EOSError& e) {
        EXPECT_EQ(e.ErrorCode, static_cast<unsigned long>(ERROR_READ_FAULT));
        EXPECT_EQ(e.Message(), "System Error.  Code: 30.\r\nThe system cannot read from the specified device.");
    }
    EXPECT_EQ(info.FileName(), next);
    expectNoData(info);

    fixtures::failNextVersionRead(ERROR_SUCCESS + 0);
    info.SetFileName(good);
    EXPECT_EQ(info.MajorVersion(), 1);
}

TEST(TSMVersionInfo, FileNameIsAStoredProperty)
{
    TempDir dir;
    TComponent owner(nullptr);
    auto* info = new TSMVersionInfo(&owner);
    info->ReadProperty("Name", "SMVersionInfo1");
    info->ReadProperty("FileName", writePe(dir / "a.exe", simpleVersionInfo({4, 3, 2, 1}, {})));
    EXPECT_EQ(info->Name(), "SMVersionInfo1");
    EXPECT_EQ(info->MajorVersion(), 4);
    EXPECT_THROW(info->ReadProperty("ProductName", "x"), EComponentError);
    EXPECT_EQ(owner.FindComponent("SMVersionInfo1"), info);
}

TEST(TSMVersionInfo, TheRunningProgramAndThenAnotherFile)
{
    TempDir dir;
    TSMVersionInfo info(nullptr);
    info.SetFileName((binDir() / "tallyrune-updatectl").string());
    EXPECT_EQ(info.MajorVersion(), 1);
    EXPECT_EQ(info.Build(), 130);
    EXPECT_EQ(info.ProductName(), "Update Utility");
    info.SetFileName(writePe(dir / "Tallyrune.exe", simpleVersionInfo({6, 0, 0, 0}, {{"FileVersion", "6.0"}})));
    EXPECT_EQ(info.MajorVersion(), 6);
    EXPECT_EQ(info.ProductName(), "");
    EXPECT_EQ(info.FileVersion(), "6.0");
}
