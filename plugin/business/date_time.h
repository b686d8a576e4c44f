// The classic TDateTime: a double counting days since 1899-12-30 00:00, the fraction being the
// time of day. For values before that day the integral part counts days backwards and the
// fraction still runs forward (-1.25 is 1899-12-29 06:00). The proleptic Gregorian calendar
// applies, years 1 to 9999.
//
// Formatting and parsing take an explicit FormatSettings record (separators, short date order,
// AM/PM strings), never the process locale, so they are pure and safe on any thread. The
// process-wide settings (ProcessFormatSettings) are a snapshot of the user's locale taken on
// first use; SetProcessFormatSettings replaces them (call it before other threads use them).
#pragma once

#include <string>
#include <string_view>

#include "velmor/platform.h"

namespace velmor {

using TDateTime = double;
using platform::FormatSettings;

// 0100-01-01 00:00, the value Clear gives date properties; and the last representable moment.
inline constexpr TDateTime kMinDateTime = -657434.0;
inline constexpr TDateTime kMaxDateTime = 2958465.99999999;

struct DateTimeParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  int dayOfWeek = 7;  // 1 = Sunday ... 7 = Saturday
};

// False when a part is out of range (year 1..9999, real month and day; 0..23, 0..59, 0..59, 0..999).
bool TryEncodeDate(int year, int month, int day, TDateTime& out);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& out);
// Date plus time, the time counted forward also for dates before 1899-12-30.
bool TryEncodeDateTime(const DateTimeParts& parts, TDateTime& out);
// Raises EConvertError on bad parts.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);

// Splits a value, rounded to the millisecond. False for NaN, infinities and values outside the
// years 1 to 9999.
bool DecodeDateTime(TDateTime value, DateTimeParts& out);

// Formats with the classic pattern letters (case-insensitive): yy/yyyy, m/mm (month, or minutes
// right after an hour), d/dd, h/hh, n/nn, s/ss, z/zzz, ampm (12-hour clock with the AM/PM
// strings); "/" and ":" become the date and time separators; text in '...' or "..." is copied;
// everything else is copied as is. An undecodable value gives the empty string.
std::string FormatDateTime(std::string_view pattern, TDateTime value, const FormatSettings& fs);

// Converts "date", "date time" or "time" text the classic way: numbers separated by the date
// separator in the order of the short date format (y..., m..., d...); two numbers are month and
// day (day and month for d-first orders) of the current year; years of one or two digits fall
// into the 50-year window around today; then h[:n[:s[.fraction]]] with the time separator and
// an optional AM/PM string (an hour alone needs one). Blanks are allowed between the parts.
bool TryStrToDateTime(std::string_view text, const FormatSettings& fs, TDateTime& out);
// Raises EConvertError "'text' is not a valid date and time" on failure.
TDateTime StrToDateTime(std::string_view text, const FormatSettings& fs);

// The local clock as text, in the fixed forms the stores and requests use (never the locale's):
// `pattern` is a strftime pattern that may also hold "%f", the milliseconds in three digits
// ("%Y%m%d%H%M%S%f" gives "20240105093007042"). Safe on any thread.
std::string LocalTimeText(std::string_view pattern);
std::string NowText();       // "yyyy-mm-dd hh:nn:ss"
std::string Today();         // "yyyy-mm-dd"
std::string CurrentMonth();  // "yyyy-mm"

const FormatSettings& ProcessFormatSettings();
void SetProcessFormatSettings(const FormatSettings& fs);

}  // namespace velmor
