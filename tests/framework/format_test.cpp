#include "framework/format.h"

#include <gtest/gtest.h>

#include <string>

#include "velmor/exceptions.h"

namespace velmor {
namespace {

std::string ErrorOf(std::string_view fmt, std::initializer_list<Variant> args) {
  try {
    Format(fmt, args);
  } catch (const EConvertError& e) {
    return e.what();
  }
  return "no error";
}

TEST(Format, IntegersWidthPrecisionAndAlignment) {
  EXPECT_EQ(Format("%d", {42}), "42");
  EXPECT_EQ(Format("%d", {-42}), "-42");
  EXPECT_EQ(Format("%5d|%-5d|", {42, 42}), "   42|42   |");
  EXPECT_EQ(Format("%.4d", {-7}), "-0007");
  EXPECT_EQ(Format("%d", {int64_t{-9223372036854775807LL - 1}}), "-9223372036854775808");
  EXPECT_EQ(Format("%u", {-1}), "4294967295");
  EXPECT_EQ(Format("%x|%.4x", {255, 10}), "FF|000A");
  EXPECT_EQ(Format("%X", {-1}), "FFFFFFFF");
}

TEST(Format, FloatsFollowTheClassicDefaults) {
  EXPECT_EQ(Format("%f", {1234.5}), "1234.50");  // two decimals unless told otherwise
  EXPECT_EQ(Format("%.3f", {2.0}), "2.000");
  EXPECT_EQ(Format("%.0f", {2.5}), "2");
  EXPECT_EQ(Format("%n", {1234567.891}), "1,234,567.89");
  EXPECT_EQ(Format("%n", {-1234.5}), "-1,234.50");
  EXPECT_EQ(Format("%.0n", {999.0}), "999");
  EXPECT_EQ(Format("%e", {1234.5}), "1.23450000000000E+003");
  EXPECT_EQ(Format("%.3e", {-0.000123}), "-1.23E-004");
  EXPECT_EQ(Format("%g", {0.5}), "0.5");
  EXPECT_EQ(Format("%g", {1e20}), "1E20");
  EXPECT_EQ(Format("%g", {1.5e-7}), "1.5E-7");
  EXPECT_EQ(Format("%f", {3}), "3.00");  // integers are numbers too
}

TEST(Format, TextPrecisionCutsWholeCharacters) {
  EXPECT_EQ(Format("%s", {"社保"}), "社保");
  EXPECT_EQ(Format("%.1s", {"社保费"}), "社");
  EXPECT_EQ(Format("[%4s]", {"社保"}), "[  社保]");
  EXPECT_EQ(Format("[%-4s]", {"ab"}), "[ab  ]");
  EXPECT_EQ(Format("%s", {std::string()}), "");
}

TEST(Format, IndexesStarsAndPercent) {
  EXPECT_EQ(Format("%1:s %0:s %s", {"a", "b", "c"}), "b a b");
  EXPECT_EQ(Format("%*d", {5, 42}), "   42");
  EXPECT_EQ(Format("%.*f", {1, 2.25}), "2.2");
  EXPECT_EQ(Format("100%%", {}), "100%");
  EXPECT_EQ(Format("no specifiers", {1, 2}), "no specifiers");  // spare arguments are ignored
}

TEST(Format, MismatchesAndMissingArgumentsRaise) {
  EXPECT_EQ(ErrorOf("%d", {"1"}), "Format '%d' invalid or incompatible with argument");
  EXPECT_EQ(ErrorOf("%d", {1.5}), "Format '%d' invalid or incompatible with argument");
  EXPECT_EQ(ErrorOf("%s", {1}), "Format '%s' invalid or incompatible with argument");
  EXPECT_EQ(ErrorOf("%f", {"x"}), "Format '%f' invalid or incompatible with argument");
  EXPECT_EQ(ErrorOf("%q", {1}), "Format '%q' invalid or incompatible with argument");
  EXPECT_EQ(ErrorOf("abc%", {1}), "Format 'abc%' invalid or incompatible with argument");
  EXPECT_EQ(ErrorOf("%5", {1}), "Format '%5' invalid or incompatible with argument");
  EXPECT_EQ(ErrorOf("%s and %s", {"a"}), "No argument for format '%s and %s'");
  EXPECT_EQ(ErrorOf("%3:s", {"a"}), "No argument for format '%3:s'");
  EXPECT_EQ(ErrorOf("%d", {Variant()}), "Format '%d' invalid or incompatible with argument");
  EXPECT_EQ(ErrorOf("%999999999d", {1}), "Format '%999999999d' invalid or incompatible with argument");
}

TEST(Variant, ConversionsAndTheirFailures) {
  EXPECT_TRUE(Variant().IsEmpty());
  EXPECT_EQ(Variant(7).type(), Variant::Type::Integer);
  EXPECT_EQ(Variant(uint32_t{4000000000u}).type(), Variant::Type::Int64);
  EXPECT_EQ(Variant("12").AsInt(), 12);
  EXPECT_EQ(Variant(2.5).AsInt(), 2);  // to nearest, ties to even
  EXPECT_EQ(Variant(true).AsInt(), -1);
  EXPECT_EQ(Variant(true).AsString(), "True");
  EXPECT_EQ(Variant(0.1).AsString(), "0.1");
  EXPECT_TRUE(Variant("TRUE").AsBool());
  EXPECT_EQ(Variant().AsString(), "");
  EXPECT_EQ(Variant(int64_t{1} << 40).AsInt64(), int64_t{1} << 40);
  try {
    Variant("12a").AsInt();
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Could not convert variant of type (String) into type (Int64)");
  }
  EXPECT_THROW(Variant(int64_t{1} << 40).AsInt(), EConvertError);
  EXPECT_THROW(Variant::Null().AsString(), EConvertError);
  EXPECT_THROW(Variant("yes").AsBool(), EConvertError);
}

}  // namespace
}  // namespace velmor
