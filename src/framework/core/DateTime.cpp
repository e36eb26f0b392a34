#include "framework/core/DateTime.h"

#include "framework/core/Exceptions.h"
#include "platform/system.h"

#include <QDate>
#include <QLocale>
#include <QTime>
#include <cmath>

namespace {
bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

constexpr double msPerDay = 86400000.0;
} // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& result)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return false;
    for (int m = 1; m < month; ++m)
        day += daysInMonth(year, m);
    long y = year - 1;
    long days = y * 365 + y / 4 - y / 100 + y / 400 + day;
    result = static_cast<double>(days - 693594); // 693594: days from 0001-01-01 to 1899-12-30
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999)
        return false;
    result = (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / msPerDay;
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime r = 0;
    if (!TryEncodeDate(year, month, day, r))
        throw Exception("Invalid argument to date encode");
    return r;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond)
{
    TDateTime r = 0;
    if (!TryEncodeTime(hour, minute, second, millisecond, r))
        throw Exception("Invalid argument to time encode");
    return r;
}

TDateTime Now()
{
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return EncodeDate(st.wYear, st.wMonth, st.wDay) + EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
}

const TFormatSettings& TFormatSettings::Current()
{
    static const TFormatSettings settings = [] {
        QLocale locale = QLocale::system();
        TFormatSettings s;
        s.ShortDateFormat = locale.dateFormat(QLocale::ShortFormat).toStdString();
        // Qt's long time format names the time zone; the regional long time format does not.
        QString time = locale.timeFormat(QLocale::LongFormat);
        time.remove(QLatin1String(" t"));
        time.remove(QLatin1Char('t'));
        s.LongTimeFormat = time.trimmed().toStdString();
        return s;
    }();
    return settings;
}

std::string DateTimeToStr(TDateTime value, const TFormatSettings& formats)
{
    double whole = std::floor(value);
    long long ms = std::llround((value - whole) * msPerDay);
    if (ms >= static_cast<long long>(msPerDay)) {
        whole += 1;
        ms = 0;
    }
    QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(whole));
    QLocale locale = QLocale::system();
    std::string text = locale.toString(date, QString::fromStdString(formats.ShortDateFormat)).toStdString();
    QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
    if (time.hour() != 0 || time.minute() != 0 || time.second() != 0)
        text += " " + locale.toString(time, QString::fromStdString(formats.LongTimeFormat)).toStdString();
    return text;
}
