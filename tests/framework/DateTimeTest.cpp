#include "framework/core/DateTime.h"
#include "framework/core/Exceptions.h"
#include "platform/system.h"

#include <gtest/gtest.h>

TEST(DateTime, CalendarValuesAroundTheEpochs)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1601, 1, 1), -109205.0);
    EXPECT_EQ(EncodeDate(2000, 2, 29), 36585.0);
    EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_THROW(EncodeDate(2001, 2, 29), Exception);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), Exception);
}

TEST(DateTime, FileTimesConvertWithoutTimeZone)
{
    SYSTEMTIME st{};
    FILETIME zero{0, 0};
    ASSERT_TRUE(FileTimeToSystemTime(&zero, &st));
    EXPECT_EQ(st.wYear, 1601);
    EXPECT_EQ(st.wMonth, 1);
    EXPECT_EQ(st.wDay, 1);
    EXPECT_EQ(st.wDayOfWeek, 1); // a Monday

    // 2024-02-29 13:45:30.250 UTC is 133536879302500000 ticks.
    const unsigned long long ticks = 133536879302500000ULL;
    FILETIME leap{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
    ASSERT_TRUE(FileTimeToSystemTime(&leap, &st));
    EXPECT_EQ(st.wYear, 2024);
    EXPECT_EQ(st.wMonth, 2);
    EXPECT_EQ(st.wDay, 29);
    EXPECT_EQ(st.wHour, 13);
    EXPECT_EQ(st.wMinute, 45);
    EXPECT_EQ(st.wSecond, 30);
    EXPECT_EQ(st.wMilliseconds, 250);

    FILETIME tooLarge{0, 0x80000000u};
    EXPECT_FALSE(FileTimeToSystemTime(&tooLarge, &st));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(DateTime, TextLeavesOutTheTimeAtMidnight)
{
    TFormatSettings f;
    f.ShortDateFormat = "dd/MM/yyyy";
    f.LongTimeFormat = "HH:mm:ss";
    EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 12, 8), f), "08/12/2026");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 12, 8) + EncodeTime(0, 0, 1, 0), f), "08/12/2026 00:00:01");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 12, 8) + EncodeTime(17, 5, 9, 0), f), "08/12/2026 17:05:09");
}

TEST(OSError, MessagesCarryTheCodeAndTheSystemText)
{
    try {
        RaiseOSError(ERROR_ACCESS_DENIED);
        FAIL();
    } catch (const EOSError& e) {
        EXPECT_STREQ(e.what(), "System Error.  Code: 5.\r\nAccess is denied.");
        EXPECT_EQ(e.ErrorCode, 5u);
    }
    try {
        RaiseOSError(0);
        FAIL();
    } catch (const EOSError& e) {
        EXPECT_STREQ(e.what(), "A call to an OS function failed");
    }
}
