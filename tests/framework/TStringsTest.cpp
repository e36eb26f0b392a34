#include "framework/core/TStrings.h"

#include <gtest/gtest.h>

TEST(TStrings, TextEndsEveryEntryWithCrLfAndSplitsAnyLineBreak)
{
    TStrings list;
    EXPECT_EQ(list.Text(), "");
    list.Add("C:/POS/Update/*.*");
    list.Add("");
    EXPECT_EQ(list.Text(), "C:/POS/Update/*.*\r\n\r\n");

    list.SetText("a\r\nb\nc\rd");
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Strings(3), "d");
}

TEST(TStrings, KeyValueLookupMatchesTheWholeKey)
{
    TStrings list;
    list.Add("File Version=1.0");
    list.Add("File=x");
    list.Add("Product Name=a=b");
    EXPECT_EQ(list.Values("File"), "x");
    EXPECT_EQ(list.Values("Product Name"), "a=b");
    EXPECT_EQ(list.Values("Missing"), "");
    EXPECT_EQ(list.IndexOfName("File Version"), 0);
}
