// The version calls the About box and the update's version check make, over PE files the project's writer makes.
#include "ContractSupport.h"
#include "winapi.h"

#include "verwriter/PeWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace {

std::string peFile(const std::string& name, const verwriter::Bytes& resource, verwriter::PeOptions options = {})
{
    const std::string path = contract::pathJoin(contract::freshFolder("pe-" + name), name + ".exe");
    EXPECT_TRUE(verwriter::writePe(path, verwriter::buildPe(resource, options)));
    return path;
}

std::vector<BYTE> versionInfo(const std::string& path)
{
    DWORD handle = 99;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    EXPECT_GT(size, 0u);
    EXPECT_EQ(handle, 0u);
    std::vector<BYTE> block(size);
    EXPECT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
    return block;
}

class Version : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        verwriter::VersionInfo info = verwriter::simpleVersionInfo(
            {1, 2, 3, 4}, {{"FileVersion", "1.2.3.4"}, {"ProductName", "Tally Rune"}, {"Comments", ""}});
        info.translations->push_back({0x0407, 0x04B0});
        path_ = new std::string(peFile("app", verwriter::buildVersionBlock(info)));
    }
    static void TearDownTestSuite() { delete path_; }
    static std::string* path_;
};
std::string* Version::path_ = nullptr;

// Windows: "\" gives the fixed part, VS_FIXEDFILEINFO of 52 bytes with signature 0xFEEF04BD.
TEST_F(Version, RootIsTheFixedPart)
{
    std::vector<BYTE> block = versionInfo(*path_);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &length));
    EXPECT_EQ(length, 52u);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00030004u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010002u);
}

// Windows: \VarFileInfo\Translation gives the language and code page pairs, four bytes each.
TEST_F(Version, TranslationsInOrder)
{
    std::vector<BYTE> block = versionInfo(*path_);
    WORD* pairs = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<LPVOID*>(&pairs), &length));
    ASSERT_EQ(length, 8u);
    EXPECT_EQ(pairs[0], 0x0409);
    EXPECT_EQ(pairs[1], 0x04E4);
    EXPECT_EQ(pairs[2], 0x0407);
    EXPECT_EQ(pairs[3], 0x04B0);
}

struct StringQuery {
    const char* label;
    const char* subBlock;
    bool found;
    std::string text;
    UINT length;
};
// Test names and failures show the case by its label.
void PrintTo(const StringQuery& c, std::ostream* os) { *os << c.label; }

class VersionString : public Version, public ::testing::WithParamInterface<StringQuery> {};

// Windows gives a string value with its length in characters, the terminator counted; names match whatever their case.
TEST_P(VersionString, Query)
{
    const StringQuery& q = GetParam();
    std::vector<BYTE> block = versionInfo(*path_);
    char* text = nullptr;
    UINT length = 99;
    EXPECT_EQ(VerQueryValueA(block.data(), q.subBlock, reinterpret_cast<LPVOID*>(&text), &length) != FALSE, q.found);
    if (!q.found)
        return;
    EXPECT_EQ(std::string(text), q.text);
    EXPECT_EQ(length, q.length);
}

INSTANTIATE_TEST_SUITE_P(
    Strings, VersionString,
    ::testing::Values(StringQuery{"product", "\\StringFileInfo\\040904E4\\ProductName", true, "Tally Rune", 11},
                      StringQuery{"file_version", "\\StringFileInfo\\040904E4\\FileVersion", true, "1.2.3.4", 8},
                      StringQuery{"any_case", "\\stringfileinfo\\040904e4\\productname", true, "Tally Rune", 11},
                      StringQuery{"missing_value", "\\StringFileInfo\\040904E4\\CompanyName", false, "", 0},
                      StringQuery{"missing_table", "\\StringFileInfo\\040704B0\\ProductName", false, "", 0},
                      StringQuery{"missing_block", "\\NoSuchBlock", false, "", 0}),
    [](const auto& info) { return std::string(info.param.label); });

struct Unreadable {
    const char* label;
    int kind; // 0 missing file, 1 PE without a version resource
    DWORD error;
};
// Test names and failures show the case by its label.
void PrintTo(const Unreadable& c, std::ostream* os) { *os << c.label; }

class VersionUnreadable : public ::testing::TestWithParam<Unreadable> {};

// Windows: no version information gives a size of 0 and the reason as last error.
TEST_P(VersionUnreadable, SizeIsZero)
{
    const Unreadable& c = GetParam();
    if (c.kind == 1 && contract::underWine())
        GTEST_SKIP() << "Wine answers ERROR_RESOURCE_DATA_NOT_FOUND (1812) for a file with resources but no version";
    std::string path = contract::pathJoin(contract::freshFolder("pe-none"), "none.exe");
    if (c.kind == 1) {
        verwriter::PeOptions options;
        options.resourceType = 10; // RT_RCDATA
        path = peFile("noversion", {1, 2, 3, 4}, options);
    }
    DWORD handle = 99;
    SetLastError(0);
    EXPECT_EQ(GetFileVersionInfoSizeA(path.c_str(), &handle), 0u);
    EXPECT_EQ(GetLastError(), c.error);
}

INSTANTIATE_TEST_SUITE_P(Files, VersionUnreadable,
                         ::testing::Values(Unreadable{"missing_file", 0, 2},
                                           Unreadable{"no_version_resource", 1, 1813}),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
