// TDateTime arithmetic, formatting and the classic text scanner.
#include "business/date_time.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "velmor/exceptions.h"

namespace velmor {
namespace {

constexpr int64_t kMsPerDay = 86400000;
constexpr int64_t kUnixToSerial = 25569;  // 1970-01-01 is day 25569 after 1899-12-30

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWithNoCase(std::string_view s, size_t pos, std::string_view what) {
  if (what.empty() || s.size() - pos < what.size()) return false;
  for (size_t i = 0; i < what.size(); ++i)
    if (Upper(s[pos + i]) != Upper(what[i])) return false;
  return true;
}

void AppendNumber(std::string& out, long value, int width) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%0*ld", width, value);
  out += buf;
}

// ---- Scanner ---------------------------------------------------------------------------------
class Scanner {
 public:
  explicit Scanner(std::string_view s) : s_(s) {}

  void SkipBlanks() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t')) ++pos_;
  }
  bool AtEnd() {
    SkipBlanks();
    return pos_ >= s_.size();
  }
  // Up to nine digits (longer runs are no date part); `digits` tells how many were read.
  bool Number(int& value, int& digits) {
    SkipBlanks();
    value = 0;
    digits = 0;
    while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') {
      if (++digits > 9) return false;
      value = value * 10 + (s_[pos_] - '0');
      ++pos_;
    }
    return digits > 0;
  }
  bool Char(char c) {
    SkipBlanks();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool Word(std::string_view w) {
    SkipBlanks();
    if (!StartsWithNoCase(s_, pos_, w)) return false;
    pos_ += w.size();
    return true;
  }
  size_t pos() const { return pos_; }
  void set_pos(size_t p) { pos_ = p; }

 private:
  std::string_view s_;
  size_t pos_ = 0;
};

enum class DateOrder { MDY, DMY, YMD };

DateOrder OrderOf(std::string_view shortDateFormat) {
  for (char c : shortDateFormat) {
    switch (Upper(c)) {
      case 'Y': return DateOrder::YMD;
      case 'M': return DateOrder::MDY;
      case 'D': return DateOrder::DMY;
      default: break;
    }
  }
  return DateOrder::MDY;
}

int CurrentYear() {
  using namespace std::chrono;
  return static_cast<int>(year_month_day{floor<days>(system_clock::now())}.year());
}

bool ScanDate(Scanner& sc, const FormatSettings& fs, TDateTime& out) {
  int n1, n2, n3, l1, l2, l3;
  if (!sc.Number(n1, l1) || !sc.Char(fs.dateSeparator) || !sc.Number(n2, l2)) return false;
  const DateOrder order = OrderOf(fs.shortDateFormat);
  int y, m, d, yearDigits;
  const size_t afterTwo = sc.pos();
  if (sc.Char(fs.dateSeparator) && sc.Number(n3, l3)) {
    switch (order) {
      case DateOrder::YMD: y = n1, m = n2, d = n3, yearDigits = l1; break;
      case DateOrder::DMY: d = n1, m = n2, y = n3, yearDigits = l3; break;
      default: m = n1, d = n2, y = n3, yearDigits = l3; break;
    }
    if (yearDigits <= 2) {
      // The classic 50-year window around the current year.
      const int base = CurrentYear() - 50;
      y += base / 100 * 100;
      if (y < base) y += 100;
    }
  } else {
    sc.set_pos(afterTwo);
    y = CurrentYear();
    if (order == DateOrder::DMY) d = n1, m = n2;
    else m = n1, d = n2;
  }
  return TryEncodeDate(y, m, d, out);
}

bool ScanAmPm(Scanner& sc, const FormatSettings& fs, int& base) {
  if ((!fs.timeAmString.empty() && sc.Word(fs.timeAmString)) || sc.Word("AM")) {
    base = 0;
    return true;
  }
  if ((!fs.timePmString.empty() && sc.Word(fs.timePmString)) || sc.Word("PM")) {
    base = 12;
    return true;
  }
  return false;
}

bool ScanTime(Scanner& sc, const FormatSettings& fs, TDateTime& out) {
  int base = -1;
  ScanAmPm(sc, fs, base);  // a leading AM/PM designator, as some locales write it
  int h, n = 0, s = 0, ms = 0, len;
  if (!sc.Number(h, len)) return false;
  bool hourOnly = true;
  if (sc.Char(fs.timeSeparator)) {
    hourOnly = false;
    if (!sc.Number(n, len)) return false;
    if (sc.Char(fs.timeSeparator)) {
      if (!sc.Number(s, len)) return false;
      if (sc.Char(fs.decimalSeparator)) {
        int fraction, digits;
        if (!sc.Number(fraction, digits)) return false;
        // Milliseconds from the first three fraction digits.
        while (digits > 3) fraction /= 10, --digits;
        while (digits < 3) fraction *= 10, ++digits;
        ms = fraction;
      }
    }
  }
  if (base < 0) ScanAmPm(sc, fs, base);
  if (hourOnly && base < 0) return false;
  if (base >= 0) {
    if (h == 0 || h > 12) return false;
    h = (h == 12 ? 0 : h) + base;
  }
  return TryEncodeTime(h, n, s, ms, out);
}

}  // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& out) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
    return false;
  out = static_cast<double>(DaysFromCivil(year, month, day) + kUnixToSerial);
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& out) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999)
    return false;
  const int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
  out = static_cast<double>(ms) / kMsPerDay;
  return true;
}

bool TryEncodeDateTime(const DateTimeParts& p, TDateTime& out) {
  TDateTime date, time;
  if (!TryEncodeDate(p.year, p.month, p.day, date) ||
      !TryEncodeTime(p.hour, p.minute, p.second, p.millisecond, time))
    return false;
  out = date < 0 ? date - time : date + time;
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime v;
  if (!TryEncodeDate(year, month, day, v)) throw EConvertError("Invalid argument to date encode");
  return v;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  TDateTime v;
  if (!TryEncodeTime(hour, minute, second, millisecond, v)) throw EConvertError("Invalid argument to time encode");
  return v;
}

bool DecodeDateTime(TDateTime value, DateTimeParts& out) {
  if (!std::isfinite(value) || value < -693594.0 || value >= 2958467.0) return false;
  const double whole = std::trunc(value);
  int64_t day = static_cast<int64_t>(whole);
  int64_t ms = std::llround(std::fabs(value - whole) * kMsPerDay);
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    ++day;
  }
  int y, m, d;
  CivilFromDays(day - kUnixToSerial, y, m, d);
  if (y < 1 || y > 9999) return false;
  out.year = y;
  out.month = m;
  out.day = d;
  out.hour = static_cast<int>(ms / 3600000);
  out.minute = static_cast<int>(ms / 60000 % 60);
  out.second = static_cast<int>(ms / 1000 % 60);
  out.millisecond = static_cast<int>(ms % 1000);
  const int64_t dow = ((day % 7) + 7) % 7;  // day 0 was a Saturday
  out.dayOfWeek = dow == 0 ? 7 : static_cast<int>(dow);
  return true;
}

std::string FormatDateTime(std::string_view pattern, TDateTime value, const FormatSettings& fs) {
  DateTimeParts t;
  if (!DecodeDateTime(value, t)) return {};
  // A 12-hour clock when an AM/PM designator appears anywhere outside quotes.
  bool twelveHour = false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '\'' || pattern[i] == '"') {
      size_t close = pattern.find(pattern[i], i + 1);
      i = close == std::string_view::npos ? pattern.size() : close;
    } else if (StartsWithNoCase(pattern, i, "ampm") || StartsWithNoCase(pattern, i, "am/pm") ||
               StartsWithNoCase(pattern, i, "a/p")) {
      twelveHour = true;
    }
  }
  std::string out;
  char last = 0;
  size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    const char up = Upper(c);
    if (c == '\'' || c == '"') {
      size_t close = pattern.find(c, i + 1);
      if (close == std::string_view::npos) close = pattern.size();
      out.append(pattern.substr(i + 1, close - i - 1));
      i = close + 1;
      continue;
    }
    if (up == 'A') {
      const bool pm = t.hour >= 12;
      if (StartsWithNoCase(pattern, i, "ampm")) {
        out += pm ? fs.timePmString : fs.timeAmString;
        i += 4;
      } else if (StartsWithNoCase(pattern, i, "am/pm")) {
        out += pattern.substr(pm ? i + 3 : i, 2);
        i += 5;
      } else if (StartsWithNoCase(pattern, i, "a/p")) {
        out += pattern[pm ? i + 2 : i];
        i += 3;
      } else {
        out += c;
        ++i;
      }
      continue;
    }
    if (up == 'Y' || up == 'M' || up == 'D' || up == 'H' || up == 'N' || up == 'S' || up == 'Z') {
      size_t run = 1;
      while (i + run < pattern.size() && Upper(pattern[i + run]) == up) ++run;
      const int width = run >= 2 ? 2 : 1;
      char token = up;
      if (token == 'M' && last == 'H') token = 'N';
      switch (token) {
        case 'Y':
          if (run <= 2) AppendNumber(out, t.year % 100, 2);
          else AppendNumber(out, t.year, 4);
          break;
        case 'M': AppendNumber(out, t.month, width); break;
        case 'D': AppendNumber(out, t.day, width); break;
        case 'H': {
          int h = t.hour;
          if (twelveHour) h = h % 12 == 0 ? 12 : h % 12;
          AppendNumber(out, h, width);
          break;
        }
        case 'N': AppendNumber(out, t.minute, width); break;
        case 'S': AppendNumber(out, t.second, width); break;
        case 'Z': AppendNumber(out, t.millisecond, run >= 3 ? 3 : 1); break;
        default: break;
      }
      last = up;
      i += run;
      continue;
    }
    if (c == '/') out += fs.dateSeparator;
    else if (c == ':') out += fs.timeSeparator;
    else out += c;
    ++i;
  }
  return out;
}

bool TryStrToDateTime(std::string_view text, const FormatSettings& fs, TDateTime& out) {
  Scanner sc(text);
  TDateTime date;
  if (ScanDate(sc, fs, date)) {
    if (sc.AtEnd()) {
      out = date;
      return true;
    }
    TDateTime time;
    if (ScanTime(sc, fs, time) && sc.AtEnd()) {
      out = date < 0 ? date - time : date + time;
      return true;
    }
  }
  Scanner timeOnly(text);
  TDateTime time;
  if (ScanTime(timeOnly, fs, time) && timeOnly.AtEnd()) {
    out = time;
    return true;
  }
  return false;
}

TDateTime StrToDateTime(std::string_view text, const FormatSettings& fs) {
  TDateTime v;
  if (!TryStrToDateTime(text, fs, v))
    throw EConvertError("'" + std::string(text) + "' is not a valid date and time");
  return v;
}

namespace {
FormatSettings& ProcessSettings() {
  static FormatSettings settings = platform::GetUserLocaleSettings();
  return settings;
}
}  // namespace

const FormatSettings& ProcessFormatSettings() { return ProcessSettings(); }
void SetProcessFormatSettings(const FormatSettings& fs) { ProcessSettings() = fs; }

}  // namespace velmor
