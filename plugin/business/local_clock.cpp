// The local clock as text (declared in date_time.h).
#include <sys/time.h>

#include <cstdio>
#include <ctime>

#include "business/date_time.h"

namespace velmor {

std::string LocalTimeText(std::string_view pattern) {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  std::time_t t = tv.tv_sec;
  std::tm tm{};
  localtime_r(&t, &tm);
  // strftime has no milliseconds: "%f" is filled in first.
  std::string p(pattern);
  const size_t f = p.find("%f");
  if (f != std::string::npos) {
    char ms[8];
    std::snprintf(ms, sizeof ms, "%03d", static_cast<int>(tv.tv_usec / 1000));
    p.replace(f, 2, ms);
  }
  char buf[64];
  const size_t n = std::strftime(buf, sizeof buf, p.c_str(), &tm);
  return std::string(buf, n);
}

std::string NowText() { return LocalTimeText("%Y-%m-%d %H:%M:%S"); }
std::string Today() { return LocalTimeText("%Y-%m-%d"); }
std::string CurrentMonth() { return LocalTimeText("%Y-%m"); }

}  // namespace velmor
