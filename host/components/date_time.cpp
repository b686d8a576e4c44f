#include "host/components/date_time.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace velmor::host::net {
namespace {

using namespace std::chrono;

constexpr sys_days kEpoch = sys_days(year(1899) / December / 30);

std::string Pad(long v, int width) {
  std::string s = std::to_string(v);
  while (static_cast<int>(s.size()) < width) s.insert(s.begin(), '0');
  return s;
}

bool Number(std::string_view text, size_t at, size_t len, int& out) {
  if (at + len > text.size()) return false;
  out = 0;
  for (size_t i = at; i < at + len; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    out = out * 10 + (text[i] - '0');
  }
  return true;
}

double Encode(int y, int m, int d, int h, int n, int s) {
  long days = (sys_days(year(y) / month(unsigned(m)) / day(unsigned(d))) - kEpoch).count();
  double frac = (h * 3600 + n * 60 + s) / 86400.0;
  return days < 0 ? days - frac : days + frac;
}

}  // namespace

std::string FormatDateTime(std::string_view format, double dt) {
  if (!std::isfinite(dt) || std::fabs(dt) > 3e6) return {};
  double whole = std::trunc(dt);
  long secs = std::lround(std::fabs(dt - whole) * 86400.0);
  long days = static_cast<long>(whole);
  if (secs >= 86400) {  // rounding reached the next midnight
    secs -= 86400;
    days += 1;
  }
  year_month_day ymd(kEpoch + std::chrono::days(days));
  int y = int(ymd.year());
  if (y < 1 || y > 9999) return {};
  long parts[] = {y, long(unsigned(ymd.month())), long(unsigned(ymd.day())), secs / 3600, secs / 60 % 60, secs % 60};
  struct Token {
    std::string_view text;
    int part;
    int width;
  } tokens[] = {{"yyyy", 0, 4}, {"mm", 1, 2}, {"dd", 2, 2}, {"hh", 3, 2}, {"nn", 4, 2}, {"ss", 5, 2}};
  std::string out;
  for (size_t i = 0; i < format.size();) {
    bool matched = false;
    for (const auto& t : tokens) {
      if (format.substr(i, t.text.size()) == t.text) {
        out += Pad(parts[t.part], t.width);
        i += t.text.size();
        matched = true;
        break;
      }
    }
    if (!matched) out += format[i++];
  }
  return out;
}

bool ParseDateTime(std::string_view text, double& out) {
  int y, m, d, h = 0, n = 0, s = 0;
  size_t rest;
  if (text.size() >= 10 && (text[4] == '-' || text[4] == '/') && text[7] == text[4]) {
    if (!Number(text, 0, 4, y) || !Number(text, 5, 2, m) || !Number(text, 8, 2, d)) return false;
    rest = 10;
  } else {
    if (!Number(text, 0, 8, y)) return false;
    m = y / 100 % 100;
    d = y % 100;
    y /= 10000;
    rest = 8;
  }
  if (rest < text.size()) {
    std::string_view t = text.substr(rest);
    if (t.size() != 6 && t.size() != 9) return false;
    if (t[0] != ' ' || t[3] != ':' || !Number(t, 1, 2, h) || !Number(t, 4, 2, n)) return false;
    if (t.size() == 9 && (t[6] != ':' || !Number(t, 7, 2, s))) return false;
  }
  if (y < 1 || m < 1 || m > 12 || d < 1 || h > 23 || n > 59 || s > 59) return false;
  if (!year_month_day(year(y) / month(unsigned(m)) / day(unsigned(d))).ok()) return false;
  out = Encode(y, m, d, h, n, s);
  return true;
}

double NowDateTime() {
  std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  return Encode(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}

}  // namespace velmor::host::net
