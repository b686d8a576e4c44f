// The simulator's amounts are "%.2f" of the double, byte for byte, whether written from whole
// cents or by the library: whole amounts, values a hair off a whole cent either way, half cents,
// negative and very large amounts, and random doubles of every size.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "taxsim/handlers/handler_support.h"

namespace velmor::taxsim {
namespace {

std::string Printed(double v) {
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

TEST(Amount, IsTheLibrarysTwoDecimals) {
  using Limits = std::numeric_limits<double>;
  std::vector<double> values = {0.0, -0.0, 0.004, 0.005, 0.015, 0.125, 1.005, 2.675, 300, 380.5, 0.1, 0.7};
  for (double v : {1e-9, -1e-9, -0.004, -3.5, 59353050.0, 29333040.1, 1e10, 1e12, 1e15, 1e300}) values.push_back(v);
  for (double v : {Limits::infinity(), -Limits::infinity(), Limits::quiet_NaN(), Limits::denorm_min(), Limits::max()})
    values.push_back(v);
  std::mt19937_64 rng(11);
  for (int i = 0; i < 100000; ++i) {
    const auto cents = static_cast<double>(rng() % 100000000000ull);
    values.push_back(cents / 100);                                   // an amount as arithmetic makes it
    values.push_back(std::nextafter(cents / 100, 0.0));              // a hair below
    values.push_back(std::nextafter(cents / 100, 1e300));            // and above
    values.push_back((cents + 0.5) / 100);                           // a half cent
    values.push_back(static_cast<double>(rng() % 1000) * 0.01 * 3);  // sums of cents
    values.push_back(std::ldexp(static_cast<double>(rng() >> 11), static_cast<int>(rng() % 80) - 60));
  }
  for (double v : values) ASSERT_EQ(Amount(v), Printed(v)) << v;
}

}  // namespace
}  // namespace velmor::taxsim
