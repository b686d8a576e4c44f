// The date parser of date properties: normalisation and the three attempts.
#include <gtest/gtest.h>

#include "business/date_parser.h"
#include "fake_debugger.h"
#include "velmor/exceptions.h"

namespace velmor::testing {
namespace {

TEST(NormaliseDateText, CompactDigitsGetSeparators) {
  EXPECT_EQ(NormaliseDateText("20240131"), "2024-01-31");
  EXPECT_EQ(NormaliseDateText("12345678"), "1234-56-78");
  EXPECT_EQ(NormaliseDateText("2024 1 3"), "2024- 1- 3");
  EXPECT_EQ(NormaliseDateText("2024013x"), "2024-01-3");  // then only digits survive
  EXPECT_EQ(NormaliseDateText("2024013"), "2024013");     // seven characters: no date shape
}

TEST(NormaliseDateText, ChineseAndOtherSeparators) {
  EXPECT_EQ(NormaliseDateText("2024年1月31日"), "2024-1-31");
  EXPECT_EQ(NormaliseDateText("2024/01/31"), "2024-01-31");
  EXPECT_EQ(NormaliseDateText("2024.01.31"), "2024-01-31");
  EXPECT_EQ(NormaliseDateText("  2024-01-31 08:05:09 \t"), "2024-01-31 08:05:09");
  EXPECT_EQ(NormaliseDateText("24年1月1"), "24-1-1");  // not taken for eight compact digits
}

TEST(NormaliseDateText, OnlyTheFirstTwoDashesAndNoOtherCharactersSurvive) {
  EXPECT_EQ(NormaliseDateText("2024-01-31-05"), "2024-01-3105");
  EXPECT_EQ(NormaliseDateText("2024年01月31日 上午8:05"), "2024-01-31 8:05");
  EXPECT_EQ(NormaliseDateText("2024-01-31T08:00Z"), "2024-01-3108:00");
  EXPECT_EQ(NormaliseDateText("abc"), "");
  EXPECT_EQ(NormaliseDateText(""), "");
}

TEST(ParseDateText, EveryWrittenFormOfOneDay) {
  for (const char* text : {"20240131", "2024年1月31日", "2024年01月31日", "2024/01/31", "2024/1/31", "2024.01.31",
                           "2024-01-31", " 2024-1-31 ", "1/31/2024"})
    EXPECT_EQ(ParseDateText(text), 45322.0) << text;
}

TEST(ParseDateText, TheProcessSettingsComeFirst) {
  // Month/day/year: "01/02/2024" is the second of January, and never reaches the normaliser.
  EXPECT_EQ(ParseDateText("01/02/2024"), EncodeDate(2024, 1, 2));
  const FormatSettings saved = ProcessFormatSettings();
  FormatSettings dmy = saved;
  dmy.shortDateFormat = "dd/MM/yyyy";
  SetProcessFormatSettings(dmy);
  EXPECT_EQ(ParseDateText("01/02/2024"), EncodeDate(2024, 2, 1));
  SetProcessFormatSettings(saved);
}

TEST(ParseDateText, DateAndTimeTogether) {
  EXPECT_DOUBLE_EQ(ParseDateText("2024年1月31日 8:05:30"), 45322.0 + EncodeTime(8, 5, 30, 0));
  EXPECT_DOUBLE_EQ(ParseDateText("20240131"), 45322.0);
  EXPECT_DOUBLE_EQ(ParseDateText("12:30:00"), EncodeTime(12, 30, 0, 0));
}

TEST(ParseDateText, FailureRaisesTheConversionErrorAndLogsTheNormalisedText) {
  FakeDebugHost host;
  try {
    ParseDateText("2024年13月1日");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'2024-13-1' is not a valid date and time");
  }
  // The user's locale is "C": its short date format is month/day/two-digit year.
  ASSERT_EQ(host.debugger().lines.size(), 1u);
  EXPECT_EQ(host.debugger().lines[0], "2024-13-1转为日期失败，当前日期格式：mm/dd/yy");
  EXPECT_EQ(host.debugger().categories[0], "TBusinessObject");
}

TEST(ParseDateText, WithoutHostOrWithAnInactiveDebuggerNothingIsLogged) {
  EXPECT_THROW(ParseDateText("abc"), EConvertError);
  FakeDebugHost host;
  host.debugger().active = false;
  EXPECT_THROW(ParseDateText("abc"), EConvertError);
  EXPECT_TRUE(host.debugger().lines.empty());
  EXPECT_EQ(host.debugger().activeQueries, 1);
}

TEST(ParseDateText, ADebuggerFailureReachesTheCaller) {
  FakeDebugHost host;
  host.debugger().throwOnWrite = true;
  EXPECT_THROW(ParseDateText("abc"), std::runtime_error);
  EXPECT_EQ(ParseDateText("2024-01-31"), 45322.0);  // success never logs
}

}  // namespace
}  // namespace velmor::testing
