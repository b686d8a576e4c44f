// Every business test runs with fixed settings, whatever the machine's locale: the user locale
// is "C" and the process-wide date settings are month/day/year with '/'.
#include <gtest/gtest.h>

#include <cstdlib>

#include "business/date_time.h"

namespace {

class FixedLocale : public ::testing::Environment {
 public:
  void SetUp() override {
    setenv("LC_ALL", "C", 1);
    velmor::FormatSettings fs;
    fs.dateSeparator = '/';
    fs.timeSeparator = ':';
    fs.decimalSeparator = '.';
    fs.shortDateFormat = "M/d/yyyy";
    fs.timeAmString = "AM";
    fs.timePmString = "PM";
    velmor::SetProcessFormatSettings(fs);
  }
};

[[maybe_unused]] ::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new FixedLocale);

}  // namespace
