#include "workbook/date_serial.h"

#include <cmath>
#include <cstdint>

namespace velmor::workbook {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int* y, int* m, int* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (*m <= 2));
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

const int64_t kEpoch = DaysFromCivil(1899, 12, 30);      // serials from 1900-03-01 on
const int64_t kEarlyEpoch = DaysFromCivil(1899, 12, 31);  // serials before the phantom 1900-02-29

// Reads exactly n digits.
bool Digits(const char*& p, int n, int* out) {
  int v = 0;
  for (int i = 0; i < n; ++i) {
    if (p[i] < '0' || p[i] > '9') return false;
    v = v * 10 + (p[i] - '0');
  }
  p += n;
  *out = v;
  return true;
}

bool ParseTime(const char*& p, int* h, int* mi, int* s) {
  if (!Digits(p, 2, h) || *p != ':') return false;
  ++p;
  if (!Digits(p, 2, mi)) return false;
  *s = 0;
  if (*p == ':') {
    ++p;
    if (!Digits(p, 2, s)) return false;
    if (*p == '.') {  // fractional seconds are dropped
      ++p;
      while (*p >= '0' && *p <= '9') ++p;
    }
  }
  return *h < 24 && *mi < 60 && *s < 60;
}

}  // namespace

std::optional<double> DateSerial(int year, int month, int day) {
  if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
    return std::nullopt;
  int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
  if (year == 1900 && month <= 2) return static_cast<double>(days - kEarlyEpoch);
  return static_cast<double>(days - kEpoch);
}

std::optional<double> DateTimeSerial(int year, int month, int day, int hour, int minute, int second) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return std::nullopt;
  auto d = DateSerial(year, month, day);
  if (!d) return std::nullopt;
  return *d + (hour * 3600 + minute * 60 + second) / 86400.0;
}

std::optional<DateTimeParts> SerialToParts(double serial) {
  if (!std::isfinite(serial) || serial < 0 || serial >= kMaxDateSerial + 1) return std::nullopt;
  int64_t secs = std::llround(serial * 86400.0);
  int64_t days = secs / 86400;
  int64_t sod = secs % 86400;
  if (days > static_cast<int64_t>(kMaxDateSerial)) return std::nullopt;
  DateTimeParts p;
  if (days == 0) {
    p.year = 1900; p.month = 1; p.day = 0;
  } else if (days == 60) {
    p.year = 1900; p.month = 2; p.day = 29;
  } else {
    CivilFromDays((days < 60 ? kEarlyEpoch : kEpoch) + days, &p.year, &p.month, &p.day);
  }
  p.hour = static_cast<int>(sod / 3600);
  p.minute = static_cast<int>(sod / 60 % 60);
  p.second = static_cast<int>(sod % 60);
  p.weekday = static_cast<int>((days + 6) % 7);
  return p;
}

std::optional<double> ParseIsoDateTime(const char* text) {
  if (!text) return std::nullopt;
  const char* p = text;
  int h = 0, mi = 0, s = 0;
  if (p[0] && p[1] && p[2] == ':') {  // time only
    if (!ParseTime(p, &h, &mi, &s) || *p) return std::nullopt;
    return (h * 3600 + mi * 60 + s) / 86400.0;
  }
  int y, m, d;
  if (!Digits(p, 4, &y) || *p++ != '-' || !Digits(p, 2, &m) || *p++ != '-' || !Digits(p, 2, &d))
    return std::nullopt;
  if (*p == 'T' || *p == ' ') {
    ++p;
    if (!ParseTime(p, &h, &mi, &s)) return std::nullopt;
    if (*p == 'Z') ++p;
  }
  if (*p) return std::nullopt;
  return DateTimeSerial(y, m, d, h, mi, s);
}

}  // namespace velmor::workbook
