#include "roster/roster_dates.h"

#include <cstdio>
#include <ctime>

namespace velmor {
namespace {
std::string Local(const char* format) {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, format, &tm);
  return buf;
}
}  // namespace

std::string CurrentMonth() { return Local("%Y-%m"); }
std::string Today() { return Local("%Y-%m-%d"); }

}  // namespace velmor
