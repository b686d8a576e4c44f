#include "host/components/common_functions.h"

#include <cstdio>

#include "host/components/chinese_amount.h"
#include "host/components/date_time.h"

namespace velmor::host::net {

CommonFunctions::CommonFunctions(std::string statePath) : counter_(std::move(statePath)) {}

std::string CommonFunctions::NewSerialNo() {
  uint64_t n = counter_.Next();
  char digits[32];
  std::snprintf(digits, sizeof digits, "%016llu", static_cast<unsigned long long>(n));
  return net::FormatDateTime("yyyymmddhhnnss", NowDateTime()) + digits;
}

double CommonFunctions::Now() { return NowDateTime(); }

std::string CommonFunctions::FormatDateTime(const std::string& format, double dateTime) {
  return net::FormatDateTime(format, dateTime);
}

bool CommonFunctions::ParseDateTime(const std::string& text, double& out) { return net::ParseDateTime(text, out); }

std::string CommonFunctions::AmountInCapitals(double amount) { return AmountInChineseCapitals(amount); }

}  // namespace velmor::host::net
