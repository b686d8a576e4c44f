// Number formats: the text a sheet shows for a number under a format code ("0.00", "#,##0",
// "0%", "yyyy-mm-dd", "yyyy\"年\"m\"月\"d\"日\"", "hh:mm:ss"). Covers the codes that office
// workbooks use in practice: digit placeholders (0 # ?), grouping, scaling by trailing commas,
// percent, scientific notation, literals ("..." \x _x *x), colours and locale tags in brackets,
// sections for positive;negative;zero, and the date and time tokens (y m d h s, AM/PM, 上午/下午,
// aaa/aaaa weekdays, [h] [mm] [ss] elapsed time). Fractions ("# ?/?") fall back to General.
//
// Pure functions.
#pragma once

#include <string>
#include <string_view>

namespace velmor::workbook {

// The code of a built-in format id of an XLSX style. The locale-dependent date ids (14, 22) are
// given in ISO order ("yyyy-mm-dd", "yyyy-mm-dd hh:mm"), the Chinese date and time ids (27-36,
// 50-58) in their zh-CN form. Empty for General (0) and for ids the engine does not know.
std::string BuiltinFormatCode(unsigned id);

// True when the code shows a date or a time of day (so the number is a date serial).
bool IsDateFormat(std::string_view code);

// General: integers below 1e15 in full ("410105199001011"), other values with up to 15
// significant digits ("1234.5", "1E+20").
std::string FormatGeneral(double value);

// The text shown for value under code; an empty code or "General" gives FormatGeneral. Dates that
// cannot be shown (negative, after 9999-12-31) and fixed-point numbers of 1e15 and above fall
// back to General.
std::string FormatValue(double value, std::string_view code);

}  // namespace velmor::workbook
