// Names compared without regard to case: registry keys and values, INI sections and keys.
#include "platform/base/case_fold.h"

#include <gtest/gtest.h>

using wincompat::upperCaseName;

TEST(CaseFold, AsciiLettersFoldAtBothEndsAndTheirNeighboursStay)
{
    EXPECT_EQ(upperCaseName("az"), "AZ");
    EXPECT_EQ(upperCaseName("Update Path"), "UPDATE PATH");
    EXPECT_EQ(upperCaseName("`{@[0_"), "`{@[0_");
}

TEST(CaseFold, Utf8NamesFoldPerCodePoint)
{
    EXPECT_EQ(upperCaseName("\xC3\xA4rger"), "\xC3\x84RGER");           // a umlaut
    EXPECT_EQ(upperCaseName("\xCF\x89"), "\xCE\xA9");                    // omega
    EXPECT_EQ(upperCaseName("stra\xC3\x9F" "e"), "STRA\xC3\x9F" "E");    // sharp s has no one-letter upper case
    EXPECT_EQ(upperCaseName("\xF0\x9F\x98\x80x"), "\xF0\x9F\x98\x80X"); // outside the BMP, kept
}

TEST(CaseFold, BytesThatAreNotUtf8KeepTheirValue)
{
    // Two different invalid names must not fold to one replacement character.
    EXPECT_EQ(upperCaseName("\xFF" "a"), "\xFF" "A");
    EXPECT_EQ(upperCaseName("\xFE" "a"), "\xFE" "A");
    EXPECT_EQ(upperCaseName("\xC3"), "\xC3");
}

TEST(CaseFold, KeywordsMatchWhateverTheCaseOfAsciiLettersOnly)
{
    using wincompat::sameAsciiName;
    EXPECT_TRUE(sameAsciiName("reg:64", "REG:64"));
    EXPECT_TRUE(sameAsciiName("Az", "aZ"));
    // The neighbours of the alphabet are 0x20 apart from other characters, and stay themselves.
    EXPECT_FALSE(sameAsciiName("@", "`"));
    EXPECT_FALSE(sameAsciiName("[", "{"));
    EXPECT_FALSE(sameAsciiName("\xC3\xA4", "\xC3\x84")); // letters beyond ASCII are names, not keywords
    EXPECT_FALSE(sameAsciiName("VE", "V"));
    EXPECT_FALSE(sameAsciiName("V", "VE"));
}
