// The INI calls the settings make, over files written byte for byte.
#include "ContractSupport.h"
#include "winapi.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

std::string iniFile(const std::string& contents)
{
    static int n = 0;
    const std::string path = contract::pathJoin(contract::freshFolder("ini"), "f" + std::to_string(++n) + ".ini");
    contract::writeFile(path, contents);
    return path;
}

struct Lookup {
    const char* label;
    std::string contents;
    const char* section;
    const char* key;
    DWORD size;
    std::string text; // what the buffer holds, up to its first NUL
    DWORD returned;
};
// Test names and failures show the case by its label.
void PrintTo(const Lookup& c, std::ostream* os) { *os << c.label; }

class ProfileLookup : public ::testing::TestWithParam<Lookup> {};

// Windows trims blanks around names and values, drops one pair of enclosing quotes, takes the first of duplicate keys,
// matches names whatever their case and knows only whole-line comments.
TEST_P(ProfileLookup, FindsTheValue)
{
    const Lookup& c = GetParam();
    const std::string path = iniFile(c.contents);
    char buffer[2100];
    std::fill(std::begin(buffer), std::end(buffer), '\x7f');
    EXPECT_EQ(GetPrivateProfileStringA(c.section, c.key, "dflt", buffer, c.size, path.c_str()), c.returned);
    EXPECT_EQ(std::string(buffer), c.text);
}

const std::string longValue(1500, 'x');

INSTANTIATE_TEST_SUITE_P(
    Files, ProfileLookup,
    ::testing::Values(Lookup{"plain", "[s]\r\nk=v\r\n", "s", "k", 64, "v", 1},
                      Lookup{"lf_only", "[s]\nk=v\n", "s", "k", 64, "v", 1},
                      Lookup{"no_final_newline", "[s]\nk=v", "s", "k", 64, "v", 1},
                      Lookup{"blanks", "[s]\n  k  =  v w  \n", "s", "k", 64, "v w", 3},
                      Lookup{"tabs", "[s]\n\tk\t=\tv\t\n", "s", "k", 64, "v", 1},
                      Lookup{"section_blanks", "[ s ]\nk=v\n", "s", "k", 64, "v", 1},
                      Lookup{"double_quotes", "[s]\nk=\" v \"\n", "s", "k", 64, " v ", 3},
                      Lookup{"single_quotes", "[s]\nk=' v '\n", "s", "k", 64, " v ", 3},
                      Lookup{"unpaired_quote", "[s]\nk=\"v\n", "s", "k", 64, "\"v", 2},
                      Lookup{"case", "[Sec]\nKey=v\n", "sEC", "kEY", 64, "v", 1},
                      Lookup{"duplicate_key", "[s]\nk=first\nk=second\n", "s", "k", 64, "first", 5},
                      Lookup{"duplicate_section", "[s]\na=1\n[s]\nk=2\n", "s", "k", 64, "dflt", 4},
                      Lookup{"comment_line", "[s]\n;k=v\n", "s", "k", 64, "dflt", 4},
                      Lookup{"inline_semicolon", "[s]\nk=v ;c\n", "s", "k", 64, "v ;c", 4},
                      Lookup{"empty_value", "[s]\nk=\n", "s", "k", 64, "", 0},
                      Lookup{"missing_key", "[s]\na=1\n", "s", "k", 64, "dflt", 4},
                      Lookup{"missing_section", "[t]\nk=1\n", "s", "k", 64, "dflt", 4},
                      Lookup{"long_line", "[s]\nk=" + longValue + "\n", "s", "k", 2000, longValue, 1500},
                      Lookup{"value_fits_exactly", "[s]\nk=abc\n", "s", "k", 4, "abc", 3},
                      Lookup{"value_too_long", "[s]\nk=abcdef\n", "s", "k", 4, "abc", 3},
                      Lookup{"default_too_long", "[s]\n", "s", "k", 3, "df", 2}),
    [](const auto& info) { return std::string(info.param.label); });

struct Listing {
    const char* label;
    const char* section;
    DWORD size;
    std::string list; // the buffer's first `returned` + 1 characters
    DWORD returned;
};
// Test names and failures show the case by its label.
void PrintTo(const Listing& c, std::ostream* os) { *os << c.label; }

class ProfileListing : public ::testing::TestWithParam<Listing> {};

// Windows lists names as NUL-separated strings closed by a second NUL and returns the length without the last
// NUL; a buffer too small holds the strings that fit, the last one cut, and returns nSize - 2. Without any key
// the default is copied, as for a missing key.
TEST_P(ProfileListing, ListsNames)
{
    const Listing& c = GetParam();
    if (c.size == 10 && contract::underWine())
        GTEST_SKIP() << "Wine answers nSize - 2 for a list that fits the buffer exactly";
    const std::string path = iniFile("[a]\nx=1\nyy=2\n[bb]\n[c]\nz=\n[d]\nx=1\n\nyy = 2\n;z=3\nw\n");
    char buffer[64];
    std::fill(std::begin(buffer), std::end(buffer), '\x7f');
    const DWORD n = GetPrivateProfileStringA(c.section, nullptr, "dflt", buffer, c.size, path.c_str());
    EXPECT_EQ(n, c.returned);
    EXPECT_EQ(std::string(buffer, std::min<DWORD>(n + 1, sizeof buffer)), c.list);
}

INSTANTIATE_TEST_SUITE_P(Names, ProfileListing,
                         ::testing::Values(Listing{"sections", nullptr, 64, std::string("a\0bb\0c\0d\0\0", 10), 9},
                                           Listing{"sections_fit_exactly", nullptr, 10,
                                                   std::string("a\0bb\0c\0d\0\0", 10), 9},
                                           Listing{"sections_cut", nullptr, 6, std::string("a\0bb\0\0", 5), 4},
                                           Listing{"sections_cut_in_name", nullptr, 4, std::string("a\0\0", 3), 2},
                                           Listing{"keys", "a", 64, std::string("x\0yy\0\0", 6), 5},
                                           Listing{"keys_cut", "a", 5, std::string("x\0y\0", 4), 3},
                                           Listing{"keys_empty_value", "c", 64, std::string("z\0\0", 3), 2},
                                           Listing{"keys_past_blanks_and_comments", "d", 64,
                                                   std::string("x\0yy\0\0", 6), 5},
                                           Listing{"no_keys_gives_the_default", "bb", 64, std::string("dflt\0", 5), 4},
                                           Listing{"missing_section_gives_the_default", "none", 64,
                                                   std::string("dflt\0", 5), 4}),
                         [](const auto& info) { return std::string(info.param.label); });

// Windows: a missing file gives the default, its length and ERROR_FILE_NOT_FOUND (2) as last error.
TEST(Profile, MissingFileGivesTheDefault)
{
    const std::string path = contract::pathJoin(contract::freshFolder("ini-missing"), "none.ini");
    char buffer[16];
    SetLastError(0);
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "dflt", buffer, sizeof buffer, path.c_str()), 4u);
    EXPECT_STREQ(buffer, "dflt");
    EXPECT_EQ(GetLastError(), 2u);
}

// Windows drops the default's trailing blanks; a null default reads as empty.
TEST(Profile, DefaultLosesTrailingBlanks)
{
    const std::string path = iniFile("[s]\n");
    char buffer[16];
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "d  ", buffer, sizeof buffer, path.c_str()), 1u);
    EXPECT_STREQ(buffer, "d");
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", nullptr, buffer, sizeof buffer, path.c_str()), 0u);
    EXPECT_STREQ(buffer, "");
}

std::string listing(const char* section, const std::string& path)
{
    char buffer[128];
    const DWORD n = GetPrivateProfileStringA(section, nullptr, "", buffer, sizeof buffer, path.c_str());
    return std::string(buffer, n);
}

// Windows writes "key=value" lines below "[section]", replaces a key in place, deletes a key for a null value and
// a whole section for a null key, creating the file when needed. (Whether a blank line goes before a new section
// is left out: nothing reads it.)
TEST(Profile, WriteReplaceAndDelete)
{
    const std::string path = contract::pathJoin(contract::freshFolder("ini-write"), "w.ini");
    EXPECT_TRUE(WritePrivateProfileStringA("s", "a", "1", path.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("s", "b", "two words", path.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("t", "c", "", path.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("S", "A", "3", path.c_str()));
    EXPECT_EQ(contract::readFile(path).substr(0, 23), "[s]\r\na=3\r\nb=two words\r\n");
    EXPECT_EQ(listing(nullptr, path), std::string("s\0t\0", 4));
    EXPECT_EQ(listing("s", path), std::string("a\0b\0", 4));
    char value[16];
    EXPECT_EQ(GetPrivateProfileStringA("s", "b", "", value, sizeof value, path.c_str()), 9u);
    EXPECT_STREQ(value, "two words");
    EXPECT_TRUE(WritePrivateProfileStringA("s", "a", nullptr, path.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("t", nullptr, nullptr, path.c_str()));
    EXPECT_EQ(listing(nullptr, path), std::string("s\0", 2));
    EXPECT_EQ(listing("s", path), std::string("b\0", 2));
}

} // namespace
