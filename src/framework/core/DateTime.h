#pragma once
// Date-time values: days since 30 December 1899, the time of day as the fraction.
#include <string>

using TDateTime = double;

// Raises EConvertError-like Exception for a date or time that does not exist.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
// Whether the calendar fields name a real date and time (so Encode* would not raise).
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result);

TDateTime Now();

// The user's regional formats, read once at start of the program.
struct TFormatSettings {
    std::string ShortDateFormat; // Qt date pattern
    std::string LongTimeFormat;  // Qt time pattern
    static const TFormatSettings& Current();
};

// Short date, a blank and long time; date alone at exactly midnight.
std::string DateTimeToStr(TDateTime value, const TFormatSettings& formats = TFormatSettings::Current());
