// Date serial numbers of the 1900 date system, the way spreadsheets store dates: serial 1 is
// 1900-01-01, the day count keeps the historical 1900-02-29 (serial 60), and the fraction is the
// time of day. Workbooks of the 1904 system are converted to this one when they are read.
//
// Pure functions.
#pragma once

#include <optional>

namespace velmor::workbook {

// Serials differ by this many days between the 1904 and the 1900 system.
inline constexpr double k1904Offset = 1462;
// The last day a sheet can show: 9999-12-31.
inline constexpr double kMaxDateSerial = 2958465;

struct DateTimeParts {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0;
  int weekday = 0;  // 0 = Sunday
};

// The serial of a calendar date; nullopt when the date does not exist or lies outside
// 1900-01-01 .. 9999-12-31.
std::optional<double> DateSerial(int year, int month, int day);
// The serial of a date and time of day.
std::optional<double> DateTimeSerial(int year, int month, int day, int hour, int minute, int second);

// The calendar parts of a serial, rounded to the second; nullopt when it is negative or beyond
// 9999-12-31. Serial 0 gives 1900-01-00 and serial 60 gives 1900-02-29, as a sheet shows them.
std::optional<DateTimeParts> SerialToParts(double serial);

// Parses "yyyy-mm-dd", "yyyy-mm-dd hh:mm:ss", "yyyy-mm-ddThh:mm:ss" or "hh:mm:ss" into a serial.
std::optional<double> ParseIsoDateTime(const char* text);

}  // namespace velmor::workbook
