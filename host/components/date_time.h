// Date-time conversion of the common-functions component. Date-times are days since 1899-12-30
// with the time of day as fraction (before that day the fraction still counts forward from
// midnight: -1.25 is 1899-12-29 06:00). Formats use the tokens yyyy, mm, dd, hh, nn, ss; other
// characters are copied. Pure functions (NowDateTime reads the clock); safe from any thread.
#pragma once

#include <string>
#include <string_view>

namespace velmor::host::net {

// Empty for a value outside the years 1-9999 or not finite.
std::string FormatDateTime(std::string_view format, double dateTime);
// "yyyy-mm-dd", "yyyy/mm/dd" or "yyyymmdd", optionally followed by " hh:nn:ss" or " hh:nn".
bool ParseDateTime(std::string_view text, double& out);
// The current local date-time.
double NowDateTime();

}  // namespace velmor::host::net
