// INI files at their edges: quotes around almost nothing, the DOS end-of-file mark, a list that
// exactly fills its buffer or misses by one, and blanks before a "[".
#include "platform/profile.h"
#include "platform/system.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {
std::string readProfile(const std::filesystem::path& file, const char* section, const char* key, DWORD size = 256)
{
    std::string buffer(size, '\xee');
    const DWORD n = GetPrivateProfileStringA(section, key, "default", buffer.data(), size, file.c_str());
    return std::string(buffer.data(), n);
}
} // namespace

TEST(ProfileEdges, QuotesAreStrippedOnlyInMatchingPairs)
{
    TempDir dir;
    const auto file = dir / "q.ini";
    writeFile(file, "[S]\nempty=\"\"\nsingle='\nmixed=\"x'\none=\"\"\"\n");
    EXPECT_EQ(readProfile(file, "S", "empty"), "");
    EXPECT_EQ(readProfile(file, "S", "single"), "'");
    EXPECT_EQ(readProfile(file, "S", "mixed"), "\"x'");
    EXPECT_EQ(readProfile(file, "S", "one"), "\"");
}

TEST(ProfileEdges, TheDosEndOfFileMarkIsABlank)
{
    TempDir dir;
    const auto file = dir / "eof.ini";
    writeFile(file, "[S]\r\nkey=value\x1a\r\n\x1a");
    EXPECT_EQ(readProfile(file, "S", "key"), "value");
}

TEST(ProfileEdges, AListThatFillsItsBufferExactlyIsWhole)
{
    TempDir dir;
    const auto file = dir / "list.ini";
    writeFile(file, "[S]\nab=1\ncd=2\n");
    // "ab\0cd\0" and the list's own closing zero: seven bytes.
    EXPECT_EQ(readProfile(file, "S", nullptr, 7), std::string("ab\0cd\0", 6));
    // One byte less cuts the last name, which still ends in two zeros.
    std::string buffer(6, '\xee');
    EXPECT_EQ(GetPrivateProfileStringA("S", nullptr, "", buffer.data(), 6, file.c_str()), 4u);
    EXPECT_EQ(buffer, std::string("ab\0c\0\0", 6));
}

TEST(ProfileEdges, BlanksBeforeABracketCountAsIfTheLineOrKeyStartedWithIt)
{
    // The unprefixed row is what the others must match: a line that starts with "[" opens a
    // section, and a key that starts with one is refused, as the line it makes would read back
    // as a section header.
    for (const std::string prefix : {"", " ", "\t", " \t "}) {
        SCOPED_TRACE("prefix \"" + prefix + "\"");
        TempDir dir;
        const auto file = dir / "bracket.ini";
        const std::string text = "[a]\n" + prefix + "[x]=1\nk=2\n";
        writeFile(file, text);
        EXPECT_EQ(readProfile(file, nullptr, nullptr), std::string("a\0x\0", 4));
        EXPECT_EQ(readProfile(file, "x", "k"), "2");
        EXPECT_EQ(readProfile(file, "a", "k"), "default");
        EXPECT_EQ(readProfile(file, "a", nullptr), "default");

        const std::string key = prefix + "[y";
        EXPECT_FALSE(WritePrivateProfileStringA("a", key.c_str(), "v", file.c_str()));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_FALSE(WritePrivateProfileStringA("a", key.c_str(), "]", file.c_str()));
        EXPECT_EQ(readFile(file), text);
    }
}
