// Times as Windows hands them out: a file time taken apart into a calendar date, and the local time.
#include "platform/system.h"

#include <ctime>
#include <sys/time.h>

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* st)
{
    if (fileTime == nullptr || st == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const ULONGLONG ticks = (static_cast<ULONGLONG>(fileTime->dwHighDateTime) << 32) | fileTime->dwLowDateTime;
    // Windows refuses times at or beyond 2^63 ticks.
    if (ticks >= (1ULL << 63)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    constexpr ULONGLONG ticksPerMs = 10000, msPerDay = 86400000ULL;
    ULONGLONG ms = ticks / ticksPerMs;
    long long days = static_cast<long long>(ms / msPerDay);
    ULONGLONG msOfDay = ms % msPerDay;
    // 1601-01-01 was a Monday; day-of-week 0 is Sunday.
    st->wDayOfWeek = static_cast<WORD>((days + 1) % 7);
    // Civil date from days since 1601-01-01 (proleptic Gregorian), via days since 0000-03-01.
    long long z = days + 584694; // days from 0000-03-01 to 1601-01-01
    long long era = z / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long y = yoe + era * 400;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    long long d = doy - (153 * mp + 2) / 5 + 1;
    long long m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2)
        ++y;
    st->wYear = static_cast<WORD>(y);
    st->wMonth = static_cast<WORD>(m);
    st->wDay = static_cast<WORD>(d);
    st->wHour = static_cast<WORD>(msOfDay / 3600000);
    st->wMinute = static_cast<WORD>(msOfDay / 60000 % 60);
    st->wSecond = static_cast<WORD>(msOfDay / 1000 % 60);
    st->wMilliseconds = static_cast<WORD>(msOfDay % 1000);
    return TRUE;
}

void GetLocalTime(SYSTEMTIME* st)
{
    timeval tv{};
    gettimeofday(&tv, nullptr);
    std::tm local{};
    time_t secs = tv.tv_sec;
    localtime_r(&secs, &local);
    st->wYear = static_cast<WORD>(local.tm_year + 1900);
    st->wMonth = static_cast<WORD>(local.tm_mon + 1);
    st->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    st->wDay = static_cast<WORD>(local.tm_mday);
    st->wHour = static_cast<WORD>(local.tm_hour);
    st->wMinute = static_cast<WORD>(local.tm_min);
    st->wSecond = static_cast<WORD>(local.tm_sec);
    st->wMilliseconds = static_cast<WORD>(tv.tv_usec / 1000);
}
