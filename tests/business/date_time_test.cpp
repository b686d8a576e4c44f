// TDateTime encoding, decoding, formatting and the classic scanner.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <regex>

#include "business/date_time.h"
#include "velmor/exceptions.h"

namespace velmor {
namespace {

FormatSettings Settings(char dateSep, std::string shortDate, char timeSep = ':') {
  FormatSettings fs;
  fs.dateSeparator = dateSep;
  fs.shortDateFormat = std::move(shortDate);
  fs.timeSeparator = timeSep;
  fs.decimalSeparator = '.';
  fs.timeAmString = "AM";
  fs.timePmString = "PM";
  return fs;
}

const FormatSettings kYmd = Settings('-', "yyyy-m-d");

TEST(EncodeDate, KnownSerials) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2024, 1, 31), 45322.0);
  EXPECT_EQ(EncodeDate(100, 1, 1), kMinDateTime);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
  EXPECT_EQ(EncodeDate(2000, 2, 29), 36585.0);
}

TEST(EncodeDate, RejectsPartsOutOfRange) {
  double v;
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29, v));  // no leap year
  EXPECT_FALSE(TryEncodeDate(1900, 2, 29, v));  // century rule
  EXPECT_TRUE(TryEncodeDate(2000, 2, 29, v));   // 400-year rule
  EXPECT_FALSE(TryEncodeDate(2024, 13, 1, v));
  EXPECT_FALSE(TryEncodeDate(2024, 0, 1, v));
  EXPECT_FALSE(TryEncodeDate(2024, 4, 31, v));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, v));
  EXPECT_FALSE(TryEncodeDate(10000, 1, 1, v));
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, v));
  EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, v));
  EXPECT_FALSE(TryEncodeTime(0, 0, 60, 0, v));
  EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, v));
  try {
    EncodeDate(2024, 2, 30);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Invalid argument to date encode");
  }
}

TEST(EncodeDateTime, TimeRunsForwardBeforeTheEpoch) {
  DateTimeParts p;
  p.year = 1899, p.month = 12, p.day = 29, p.hour = 6;
  double v;
  ASSERT_TRUE(TryEncodeDateTime(p, v));
  EXPECT_DOUBLE_EQ(v, -1.25);
  DateTimeParts back;
  ASSERT_TRUE(DecodeDateTime(v, back));
  EXPECT_EQ(back.day, 29);
  EXPECT_EQ(back.hour, 6);
}

TEST(DecodeDateTime, RoundsToTheMillisecondAndCarriesIntoTheNextDay) {
  DateTimeParts p;
  ASSERT_TRUE(DecodeDateTime(45322.0 + (86399.9996 / 86400.0), p));
  EXPECT_EQ(p.day, 1);
  EXPECT_EQ(p.month, 2);
  EXPECT_EQ(p.hour, 0);
  EXPECT_EQ(p.second, 0);
  ASSERT_TRUE(DecodeDateTime(45322.5 + 0.0004 / 86400.0, p));
  EXPECT_EQ(p.hour, 12);
  EXPECT_EQ(p.millisecond, 0);
  EXPECT_EQ(p.dayOfWeek, 4);  // 2024-01-31 was a Wednesday
}

TEST(DecodeDateTime, RefusesWhatIsNoDate) {
  DateTimeParts p;
  EXPECT_FALSE(DecodeDateTime(std::nan(""), p));
  EXPECT_FALSE(DecodeDateTime(INFINITY, p));
  EXPECT_FALSE(DecodeDateTime(-693594.0, p));   // year 0
  EXPECT_FALSE(DecodeDateTime(2958466.0, p));   // year 10000
  EXPECT_FALSE(DecodeDateTime(1e300, p));
  EXPECT_TRUE(DecodeDateTime(-693593.5, p));
  EXPECT_EQ(p.year, 1);
}

TEST(FormatDateTime, ThePropertyPatterns) {
  const double v = EncodeDate(2024, 1, 31) + EncodeTime(8, 5, 9, 0);
  EXPECT_EQ(FormatDateTime("yyyy-MM-dd hh:mm:ss", v, kYmd), "2024-01-31 08:05:09");
  EXPECT_EQ(FormatDateTime("yyyy-MM-dd", v, kYmd), "2024-01-31");
  EXPECT_EQ(FormatDateTime("hh:mm:ss", v, kYmd), "08:05:09");
  EXPECT_EQ(FormatDateTime("yyyy-MM-dd", kMinDateTime, kYmd), "0100-01-01");
  EXPECT_EQ(FormatDateTime("yyyy-MM-dd hh:mm:ss", kMinDateTime, kYmd), "0100-01-01 00:00:00");
}

TEST(FormatDateTime, LettersSeparatorsAndLiterals) {
  const double v = EncodeDate(2024, 3, 4) + EncodeTime(15, 7, 2, 45);
  EXPECT_EQ(FormatDateTime("yy/m/d", v, Settings('.', "d.m.yyyy")), "24.3.4");
  EXPECT_EQ(FormatDateTime("YYYY/MM/DD", v, Settings('/', "m/d/yyyy")), "2024/03/04");
  EXPECT_EQ(FormatDateTime("h:n:s.zzz", v, Settings('-', "", '.')), "15.7.2.045");
  EXPECT_EQ(FormatDateTime("hh:nn z", v, kYmd), "15:07 45");
  EXPECT_EQ(FormatDateTime("h:mm ampm", v, kYmd), "3:07 PM");
  EXPECT_EQ(FormatDateTime("hh am/pm", EncodeTime(0, 30, 0, 0), kYmd), "12 am");
  EXPECT_EQ(FormatDateTime("h a/p", v, kYmd), "3 p");
  EXPECT_EQ(FormatDateTime("yyyy'年'm\"月\"d日", v, kYmd), "2024年3月4日");
  EXPECT_EQ(FormatDateTime("'hh'", v, kYmd), "hh");
  EXPECT_EQ(FormatDateTime("", v, kYmd), "");
  EXPECT_EQ(FormatDateTime("yyyy", std::nan(""), kYmd), "");
}

TEST(StrToDateTime, FollowsTheShortDateOrder) {
  double v;
  ASSERT_TRUE(TryStrToDateTime("2024-1-31", kYmd, v));
  EXPECT_EQ(v, 45322.0);
  ASSERT_TRUE(TryStrToDateTime("1/31/2024", Settings('/', "M/d/yyyy"), v));
  EXPECT_EQ(v, 45322.0);
  ASSERT_TRUE(TryStrToDateTime("31.01.2024", Settings('.', "dd.MM.yyyy"), v));
  EXPECT_EQ(v, 45322.0);
  EXPECT_FALSE(TryStrToDateTime("2024/1/31", Settings('/', "M/d/yyyy"), v));
  EXPECT_FALSE(TryStrToDateTime("2024-1-31", Settings('/', "yyyy/M/d"), v));  // other separator
}

TEST(StrToDateTime, DateWithTimeAndBlanks) {
  double v;
  ASSERT_TRUE(TryStrToDateTime("  2024 - 01 - 31   08:05:09 ", kYmd, v));
  EXPECT_DOUBLE_EQ(v, 45322.0 + EncodeTime(8, 5, 9, 0));
  ASSERT_TRUE(TryStrToDateTime("2024-01-31 8:05", kYmd, v));
  EXPECT_DOUBLE_EQ(v, 45322.0 + EncodeTime(8, 5, 0, 0));
  ASSERT_TRUE(TryStrToDateTime("2024-01-31 23:59:59.5", kYmd, v));
  EXPECT_DOUBLE_EQ(v, 45322.0 + EncodeTime(23, 59, 59, 500));
  ASSERT_TRUE(TryStrToDateTime("2024-01-31 8 PM", kYmd, v));
  EXPECT_DOUBLE_EQ(v, 45322.0 + EncodeTime(20, 0, 0, 0));
  ASSERT_TRUE(TryStrToDateTime("1899-12-29 06:00", kYmd, v));
  EXPECT_DOUBLE_EQ(v, -1.25);
}

TEST(StrToDateTime, TimeAlone) {
  double v;
  ASSERT_TRUE(TryStrToDateTime("12:30", kYmd, v));
  EXPECT_DOUBLE_EQ(v, 0.5 + 30.0 / 1440);
  ASSERT_TRUE(TryStrToDateTime("12:00 AM", kYmd, v));
  EXPECT_DOUBLE_EQ(v, 0.0);
  ASSERT_TRUE(TryStrToDateTime("12:00 pm", kYmd, v));
  EXPECT_DOUBLE_EQ(v, 0.5);
  EXPECT_FALSE(TryStrToDateTime("12", kYmd, v));        // an hour alone needs AM or PM
  EXPECT_FALSE(TryStrToDateTime("13:00 PM", kYmd, v));
  EXPECT_FALSE(TryStrToDateTime("24:00", kYmd, v));
  EXPECT_FALSE(TryStrToDateTime("12:60", kYmd, v));
}

TEST(StrToDateTime, TwoNumbersAreMonthAndDayOfThisYear) {
  using namespace std::chrono;
  const int year = static_cast<int>(year_month_day{floor<days>(system_clock::now())}.year());
  double v;
  ASSERT_TRUE(TryStrToDateTime("1-31", kYmd, v));
  EXPECT_EQ(v, EncodeDate(year, 1, 31));
  ASSERT_TRUE(TryStrToDateTime("31.1", Settings('.', "d.M.yyyy"), v));
  EXPECT_EQ(v, EncodeDate(year, 1, 31));
}

TEST(StrToDateTime, ShortYearsFallIntoTheFiftyYearWindow) {
  using namespace std::chrono;
  const int year = static_cast<int>(year_month_day{floor<days>(system_clock::now())}.year());
  const int base = year - 50;
  auto expect = [&](int yy) {
    int y = base / 100 * 100 + yy;
    if (y < base) y += 100;
    return y;
  };
  DateTimeParts p;
  double v;
  ASSERT_TRUE(TryStrToDateTime("24-1-31", kYmd, v));
  ASSERT_TRUE(DecodeDateTime(v, p));
  EXPECT_EQ(p.year, expect(24));
  ASSERT_TRUE(TryStrToDateTime("1/31/99", Settings('/', "M/d/yy"), v));
  ASSERT_TRUE(DecodeDateTime(v, p));
  EXPECT_EQ(p.year, expect(99));
  ASSERT_TRUE(TryStrToDateTime("0024-1-31", kYmd, v));  // four digits are taken as written
  ASSERT_TRUE(DecodeDateTime(v, p));
  EXPECT_EQ(p.year, 24);
}

TEST(StrToDateTime, RejectsMalformedText) {
  double v;
  for (const char* text : {"", " ", "abc", "2024-13-01", "2024-02-30", "2024-01-31x", "2024-01-", "2024--01",
                           "20240131", "2024-01-31 25:00", "2024-01-31 08:05:", "9999999999-1-1",
                           "2024-01-31T08:00", "2024-01-31 08:00 XM"})
    EXPECT_FALSE(TryStrToDateTime(text, kYmd, v)) << text;
  try {
    StrToDateTime("abc", kYmd);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid date and time");
  }
}

TEST(LocalClock, FixedFormsWhateverTheLocale) {
  auto matches = [](const std::string& text, const char* pattern) {
    return std::regex_match(text, std::regex(pattern));
  };
  EXPECT_TRUE(matches(NowText(), R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})")) << NowText();
  EXPECT_TRUE(matches(Today(), R"(\d{4}-\d{2}-\d{2})")) << Today();
  EXPECT_TRUE(matches(CurrentMonth(), R"(\d{4}-\d{2})")) << CurrentMonth();
  EXPECT_TRUE(matches(LocalTimeText("%Y%m%d%H%M%S%f"), R"(\d{17})")) << "milliseconds in three digits";
  EXPECT_TRUE(matches(LocalTimeText("[%f]"), R"(\[\d{3}\])"));
  EXPECT_EQ(LocalTimeText(""), "");
}

}  // namespace
}  // namespace velmor
