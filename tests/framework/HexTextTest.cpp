// The hex codec of stored binary values.
#include "framework/core/HexText.h"

#include <gtest/gtest.h>

TEST(HexText, EveryByteRoundTripsThroughUpperCaseDigits)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string text = toHex(all);
    EXPECT_EQ(text.substr(0, 6), "000102");
    EXPECT_EQ(text.substr(text.size() - 4), "FEFF");
    std::string back;
    ASSERT_TRUE(fromHex(text, back));
    EXPECT_EQ(back, all);
    ASSERT_TRUE(fromHex("aBcDeF09", back));
    EXPECT_EQ(back, std::string("\xab\xcd\xef\x09", 4));
    ASSERT_TRUE(fromHex("", back));
    EXPECT_EQ(back, "");
}

TEST(HexText, AnythingButPairsOfDigitsIsRefusedAndLeavesTheOutputAlone)
{
    std::string out = "kept";
    for (const char* bad : {"0", "abc", "0g", "g0", "@0", "0/", ":0", "`0", "G0", " 0", "0x00"}) {
        EXPECT_FALSE(fromHex(bad, out)) << bad;
        EXPECT_EQ(out, "kept") << bad;
    }
}
