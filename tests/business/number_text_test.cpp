// Integers, currency amounts and the "#0.00" format.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "business/number_text.h"
#include "velmor/exceptions.h"

namespace velmor {
namespace {

TEST(ParseInteger, SignsBlanksAndTheSixtyFourBitLimits) {
  int64_t v = 0;
  bool overflow = false;
  ASSERT_TRUE(ParseInteger(" -42 ", v, overflow));
  EXPECT_EQ(v, -42);
  ASSERT_TRUE(ParseInteger("+7", v, overflow));
  EXPECT_EQ(v, 7);
  ASSERT_TRUE(ParseInteger("9223372036854775807", v, overflow));
  EXPECT_FALSE(overflow);
  EXPECT_EQ(v, INT64_MAX);
  ASSERT_TRUE(ParseInteger("-9223372036854775808", v, overflow));
  EXPECT_FALSE(overflow);
  EXPECT_EQ(v, INT64_MIN);
  ASSERT_TRUE(ParseInteger("9223372036854775808", v, overflow));
  EXPECT_TRUE(overflow);
  ASSERT_TRUE(ParseInteger("-99999999999999999999999", v, overflow));
  EXPECT_TRUE(overflow);
  for (const char* bad : {"", " ", "-", "+", "1.0", "1e3", "abc", "12a", "0x10", "1 2", "１２"})
    EXPECT_FALSE(ParseInteger(bad, v, overflow)) << bad;
}

TEST(ParseCurrency, RoundsToFourDecimalsHalfAwayFromZero) {
  EXPECT_DOUBLE_EQ(ParseCurrency("1234.5"), 1234.5);
  EXPECT_DOUBLE_EQ(ParseCurrency("12.34567"), 12.3457);
  EXPECT_DOUBLE_EQ(ParseCurrency("12.34565"), 12.3457);
  EXPECT_DOUBLE_EQ(ParseCurrency("12.34564"), 12.3456);
  EXPECT_DOUBLE_EQ(ParseCurrency("-12.34565"), -12.3457);
  EXPECT_DOUBLE_EQ(ParseCurrency("0.00005"), 0.0001);
  EXPECT_DOUBLE_EQ(ParseCurrency("0.00004"), 0.0);
  EXPECT_DOUBLE_EQ(ParseCurrency(".5"), 0.5);
  EXPECT_DOUBLE_EQ(ParseCurrency("5."), 5.0);
  EXPECT_DOUBLE_EQ(ParseCurrency("0.0"), 0.0);
  EXPECT_DOUBLE_EQ(ParseCurrency("  +3 "), 3.0);
  EXPECT_DOUBLE_EQ(ParseCurrency("1.5e3"), 1500.0);
  EXPECT_DOUBLE_EQ(ParseCurrency("15E-1"), 1.5);
  EXPECT_DOUBLE_EQ(ParseCurrency("000012.50"), 12.5);
  EXPECT_DOUBLE_EQ(ParseCurrency("1e-99999999"), 0.0);
  EXPECT_FALSE(std::signbit(ParseCurrency("-0")));
}

TEST(ParseCurrency, TheCurrencyRangeHolds) {
  EXPECT_DOUBLE_EQ(ParseCurrency("922337203685477.5807"), 922337203685477.5807);
  EXPECT_DOUBLE_EQ(ParseCurrency("-922337203685477.5807"), -922337203685477.5807);
  EXPECT_THROW(ParseCurrency("922337203685477.5808"), EConvertError);
  EXPECT_THROW(ParseCurrency("1e15"), EConvertError);
  EXPECT_THROW(ParseCurrency("1e99999"), EConvertError);
}

TEST(ParseCurrency, RejectsOtherText) {
  for (const char* bad : {"", "abc", ".", "-", "1,234", "1.2.3", "1e", "1e+", "e5", "12abc", "NaN", "INF", "1 000"}) {
    try {
      ParseCurrency(bad);
      ADD_FAILURE() << bad;
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid floating point value");
    }
  }
}

TEST(FormatAmount, TwoDecimalsAndAtLeastOneIntegerDigit) {
  EXPECT_EQ(FormatAmount(0), "0.00");
  EXPECT_EQ(FormatAmount(1234.5), "1234.50");
  EXPECT_EQ(FormatAmount(12.34567), "12.35");
  EXPECT_EQ(FormatAmount(0.5), "0.50");
  EXPECT_EQ(FormatAmount(0.005), "0.01");
  EXPECT_EQ(FormatAmount(0.0049), "0.00");
  EXPECT_EQ(FormatAmount(1.005), "1.01");  // the decimal 1.005, not its binary neighbour
  EXPECT_EQ(FormatAmount(2.675), "2.68");
  EXPECT_EQ(FormatAmount(9.995), "10.00");
  EXPECT_EQ(FormatAmount(-1.5), "-1.50");
  EXPECT_EQ(FormatAmount(-0.001), "0.00");
  EXPECT_EQ(FormatAmount(-0.0), "0.00");
  EXPECT_EQ(FormatAmount(1234567890.125), "1234567890.13");
  EXPECT_EQ(FormatAmount(1e20), "100000000000000000000.00");
  // Large amounts keep their cents: as many digits as needed, up to seventeen.
  EXPECT_EQ(FormatAmount(12345678901234.56), "12345678901234.56");
  EXPECT_EQ(FormatAmount(10000000000000.25), "10000000000000.25");
  EXPECT_EQ(FormatAmount(-999999999999.995), "-1000000000000.00");
  EXPECT_EQ(FormatAmount(1e-300), "0.00");
  EXPECT_EQ(FormatAmount(std::nan("")), "NAN");
  EXPECT_EQ(FormatAmount(INFINITY), "INF");
  EXPECT_EQ(FormatAmount(-INFINITY), "-INF");
}

}  // namespace
}  // namespace velmor
