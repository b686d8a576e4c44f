// Shown text of numbers and dates under format codes, date serials, and A1 references.
#include <gtest/gtest.h>

#include "workbook/cell_ref.h"
#include "workbook/collation.h"
#include "workbook/date_serial.h"
#include "workbook/number_format.h"

namespace velmor::workbook {
namespace {

TEST(NumberFormat, GeneralShowsLongIntegersInFullAndOthersWithFifteenDigits) {
  EXPECT_EQ(FormatGeneral(410105199001011), "410105199001011");  // a 15-digit ID typed as a number
  EXPECT_EQ(FormatGeneral(13812345678), "13812345678");
  EXPECT_EQ(FormatGeneral(1234.5), "1234.5");
  EXPECT_EQ(FormatGeneral(0.1 + 0.2), "0.3");
  EXPECT_EQ(FormatGeneral(-0.0), "0");
  EXPECT_EQ(FormatGeneral(-42), "-42");
  EXPECT_EQ(FormatGeneral(1e20), "1E+20");
  EXPECT_EQ(FormatGeneral(1e-7), "1E-07");
  EXPECT_EQ(FormatValue(7, "General"), "7");
  EXPECT_EQ(FormatValue(7, ""), "7");
  EXPECT_EQ(FormatValue(7, "@"), "7");
  EXPECT_EQ(FormatValue(1234.5, "G/通用格式"), "1234.5");  // General in Chinese workbooks
  EXPECT_EQ(FormatValue(3, "G/通用格式\"元\""), "3元");
}

TEST(NumberFormat, FixedDecimalsGroupingPercentAndScaling) {
  EXPECT_EQ(FormatValue(1234.5, "0.00"), "1234.50");
  EXPECT_EQ(FormatValue(0.005, "0.00"), "0.01");
  EXPECT_EQ(FormatValue(2.5, "0"), "3");
  EXPECT_EQ(FormatValue(-12345.678, "#,##0.00"), "-12,345.68");
  EXPECT_EQ(FormatValue(1234567, "#,##0"), "1,234,567");
  EXPECT_EQ(FormatValue(999, "#,##0"), "999");
  EXPECT_EQ(FormatValue(0.125, "0.0%"), "12.5%");
  EXPECT_EQ(FormatValue(0.5, "0%"), "50%");
  EXPECT_EQ(FormatValue(1234567, "0.0,"), "1234.6");
  EXPECT_EQ(FormatValue(0.5, "#.##"), ".5");
  EXPECT_EQ(FormatValue(1.5, "0.0#"), "1.5");
  EXPECT_EQ(FormatValue(1.25, "0.0#"), "1.25");
  EXPECT_EQ(FormatValue(7, "000"), "007");
  EXPECT_EQ(FormatValue(5551234, "000-0000"), "555-1234");
  EXPECT_EQ(FormatValue(-0.001, "0.00"), "0.00");
  EXPECT_EQ(FormatValue(1e16, "0.00"), "1E+16");
}

TEST(NumberFormat, LiteralsCurrencyColoursAndSections) {
  EXPECT_EQ(FormatValue(12.5, "0.00\"元\""), "12.50元");
  EXPECT_EQ(FormatValue(12.5, "[$¥-804]#,##0.00"), "¥12.50");
  EXPECT_EQ(FormatValue(-3, "0.00;[Red](0.00)"), "(3.00)");
  EXPECT_EQ(FormatValue(3, "0.00;[Red](0.00)"), "3.00");
  EXPECT_EQ(FormatValue(0, "0;-0;\"零\""), "零");
  EXPECT_EQ(FormatValue(0, "0;-0;;@"), "");
  EXPECT_EQ(FormatValue(5, "0.00_);(0.00)"), "5.00 ");
  EXPECT_EQ(FormatValue(5, "\\$0"), "$5");
  EXPECT_EQ(FormatValue(1, "\"TRUE\";\"TRUE\";\"FALSE\""), "TRUE");
  EXPECT_EQ(FormatValue(12345.678, "0.00E+00"), "1.23E+04");
  EXPECT_EQ(FormatValue(0.5, "# ?/?"), "0.5");  // fractions are not drawn
}

TEST(NumberFormat, DatesAndTimes) {
  double d = *DateSerial(2024, 1, 5);
  EXPECT_EQ(d, 45296);
  EXPECT_EQ(FormatValue(d, "yyyy-mm-dd"), "2024-01-05");
  EXPECT_EQ(FormatValue(d, "yyyy\\-mm\\-dd"), "2024-01-05");
  EXPECT_EQ(FormatValue(d, "YYYY/M/D"), "2024/1/5");
  EXPECT_EQ(FormatValue(d, "yyyy\"年\"m\"月\"d\"日\""), "2024年1月5日");
  EXPECT_EQ(FormatValue(d, "yyyy\\年m\\月d\\日"), "2024年1月5日");
  EXPECT_EQ(FormatValue(d, "[$-804]yyyy年m月d日 aaaa"), "2024年1月5日 星期五");
  EXPECT_EQ(FormatValue(d, "d-mmm-yy"), "5-Jan-24");
  EXPECT_EQ(FormatValue(d, "dddd, mmmm d"), "Friday, January 5");
  EXPECT_EQ(FormatValue(d, BuiltinFormatCode(14)), "2024-01-05");
  double t = *DateTimeSerial(2024, 2, 29, 13, 45, 30);
  EXPECT_EQ(FormatValue(t, "yyyy-mm-dd hh:mm:ss"), "2024-02-29 13:45:30");
  EXPECT_EQ(FormatValue(t, "h:mm AM/PM"), "1:45 PM");
  EXPECT_EQ(FormatValue(t, "上午/下午h\"时\"mm\"分\""), "下午1时45分");
  EXPECT_EQ(FormatValue(t, "mm:ss"), "45:30");
  EXPECT_EQ(FormatValue(1.5, "[h]:mm:ss"), "36:00:00");
  EXPECT_EQ(FormatValue(45351.5732638889, "yyyy-mm-dd hh:mm:ss"), "2024-02-29 13:45:30");
  EXPECT_EQ(FormatValue(-1, "yyyy-mm-dd"), "-1");          // cannot be shown as a date
  EXPECT_EQ(FormatValue(3e6, "yyyy-mm-dd"), "3000000");
  EXPECT_TRUE(IsDateFormat("yyyy-mm-dd"));
  EXPECT_TRUE(IsDateFormat("h:mm"));
  EXPECT_TRUE(IsDateFormat("[h]:mm"));
  EXPECT_FALSE(IsDateFormat("0.00"));
  EXPECT_FALSE(IsDateFormat("General"));
  EXPECT_FALSE(IsDateFormat("\"yyyy\"0"));
  EXPECT_FALSE(IsDateFormat("[Red]0.00"));
}

TEST(DateSerial, KeepsTheHistoricalLeapDayAndRejectsImpossibleDates) {
  EXPECT_EQ(*DateSerial(1900, 1, 1), 1);
  EXPECT_EQ(*DateSerial(1900, 2, 28), 59);
  EXPECT_EQ(*DateSerial(1900, 3, 1), 61);
  EXPECT_EQ(*DateSerial(9999, 12, 31), kMaxDateSerial);
  auto leap = SerialToParts(60);
  ASSERT_TRUE(leap);
  EXPECT_EQ(leap->month * 100 + leap->day, 229);
  EXPECT_FALSE(DateSerial(2023, 2, 29));
  EXPECT_FALSE(DateSerial(2024, 13, 1));
  EXPECT_FALSE(DateSerial(1899, 12, 31));
  EXPECT_FALSE(SerialToParts(-0.5));
  auto midnight = SerialToParts(45296.99999999);  // rounds into the next day
  ASSERT_TRUE(midnight);
  EXPECT_EQ(midnight->day, 6);
  EXPECT_EQ(midnight->hour, 0);
  EXPECT_EQ(*ParseIsoDateTime("2024-01-05"), 45296);
  EXPECT_EQ(*ParseIsoDateTime("12:00:00"), 0.5);
  EXPECT_DOUBLE_EQ(*ParseIsoDateTime("2024-01-05T12:00:00Z"), 45296.5);
  EXPECT_FALSE(ParseIsoDateTime("2024-1-5"));
  EXPECT_FALSE(ParseIsoDateTime("2024-01-05x"));
  EXPECT_FALSE(ParseIsoDateTime("25:00:00"));
  EXPECT_FALSE(ParseIsoDateTime(""));
}

TEST(CellRef, ParsesAndFormatsA1References) {
  EXPECT_EQ(ParseCellRef("A1"), (CellPos{0, 0}));
  EXPECT_EQ(ParseCellRef("$B$3"), (CellPos{2, 1}));
  EXPECT_EQ(ParseCellRef("xfd1048576"), (CellPos{kMaxRows - 1, kMaxColumns - 1}));
  EXPECT_FALSE(ParseCellRef("XFE1"));
  EXPECT_FALSE(ParseCellRef("A0"));
  EXPECT_FALSE(ParseCellRef("A1048577"));
  EXPECT_FALSE(ParseCellRef("A99999999999"));
  EXPECT_FALSE(ParseCellRef("1A"));
  EXPECT_FALSE(ParseCellRef(""));
  EXPECT_EQ(ColumnName(0), "A");
  EXPECT_EQ(ColumnName(25), "Z");
  EXPECT_EQ(ColumnName(26), "AA");
  EXPECT_EQ(ColumnName(16383), "XFD");
  auto r = ParseRange("C5:A1");
  ASSERT_TRUE(r);
  EXPECT_EQ(RangeText(*r, true), "$A$1:$C$5");
  auto list = ParseRangeList("A1 B2:B4");
  ASSERT_TRUE(list);
  EXPECT_EQ(list->size(), 2u);
  EXPECT_FALSE(ParseRangeList("A1 B2:"));
  EXPECT_EQ(QuotedSheetRef("张三's"), "'张三''s'!");
}

TEST(CellRef, SubtractingARangeLeavesTheCellsOutsideIt) {
  CellRange from{{0, 0}, {9, 3}};
  auto parts = SubtractRange(from, {{2, 1}, {4, 2}});
  uint64_t cells = 0;
  for (const auto& p : parts) {
    EXPECT_FALSE(p.Intersects({{2, 1}, {4, 2}}));
    cells += uint64_t{p.last.row - p.first.row + 1} * (p.last.col - p.first.col + 1);
  }
  EXPECT_EQ(cells, 40u - 6u);
  EXPECT_TRUE(SubtractRange(from, {{0, 0}, {20, 20}}).empty());
  EXPECT_EQ(SubtractRange(from, {{20, 20}, {21, 21}}).size(), 1u);
}

TEST(Collation, SortsCommonCharactersInPinyinOrderAfterAscii) {
  std::vector<std::string> v = {"张三", "李四", "王五", "安", "B", "a", "李四", "赵六"};
  SortChineseUnique(v);
  EXPECT_EQ(v, (std::vector<std::string>{"B", "a", "安", "李四", "王五", "张三", "赵六"}));
  std::vector<std::string> bad = {"\xff\xfe", "中"};
  SortChineseUnique(bad);
  EXPECT_EQ(bad.front(), "中");  // text that is not UTF-8 goes last
}

}  // namespace
}  // namespace velmor::workbook
