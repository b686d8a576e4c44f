// The roster's workbook templates and the rules their rows follow: the caption layouts of the
// outside-person and phone-number imports per region, the caption check, the identity-number
// check, the group path of a row, the name and content of the error workbook.
//
// Pure functions apart from WriteErrorWorkbook (which writes a file); safe on any thread.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "workbook/workbook.h"

namespace velmor::roster {

inline constexpr const char* kHeaderMismatch = "导入文件表头和模板不一致，请下载模板进行比对";
inline constexpr const char* kNoDataRow = "导入文件内容为空！";
inline constexpr const char* kWbryIncomplete = "人员三要素不完整";
inline constexpr const char* kNoZjlxCode = "未获取到证件类型代码";
inline constexpr const char* kBadIdNumber =
    "证件类型为居民身份证时，证件号码必须为15或18位，15位全为数字，18位前17位全为数字";
inline constexpr const char* kPhoneIncomplete = "姓名、证件类型或证件号码为空";
inline constexpr const char* kPersonMissing = "该人员不存在";
inline constexpr const char* kBadMobile = "手机号码格式不正确";
inline constexpr const char* kNoSbjbjg = "未填写社保经办机构";
inline constexpr const char* kBadSbjbjg = "社保经办机构不是当前缴费人的有效经办机构";
inline constexpr const char* kSbjbjgCaption = "社保经办机构";
inline constexpr const char* kErrorCaption = "错误信息";
inline constexpr const char* kRowErrorSeparator = "；";
inline constexpr const char* kResidentIdCard = "201";
// The region whose templates carry five group levels.
inline constexpr const char* kFiveLevelRegion = "4403";
// The host configuration keys (system configuration component) the imports read.
inline constexpr const char* kRegionCodeKey = "region_code";
inline constexpr const char* kMobileRuleKey = "mobile_rule";
// The mobile-number rule without configuration: 11 digits beginning with 13 to 19.
inline constexpr const char* kDefaultMobileRule = "1[3-9][0-9]{9}";

// The columns of one import template (zero-based; -1 where the template has none).
struct ImportLayout {
  std::vector<std::string> captions;
  int groupFirst = 3, groupCount = 3;
  int phone = -1, remark = -1;
  int agency = -1;  // the optional agency column of the outside-person template
};

ImportLayout WbryLayout(const std::string& regionCode);
ImportLayout PhoneLayout(const std::string& regionCode);

// Compares the trimmed captions of the first row with the layout; an outside-person workbook may
// carry the agency column after the template's. Sets layout.agency when it does. Throws
// velmor::Exception(kHeaderMismatch) on any difference.
void CheckCaptions(const std::vector<std::string>& firstRow, ImportLayout& layout, bool agencyAllowed);

// The identity-number check of ID type "201": 15 digits, or 17 digits and a digit, "X" or "x".
bool ResidentIdNumberOk(const std::string& zjhm);

// The group names of a row: the group columns left to right up to the first empty one, trimmed.
std::vector<std::string> GroupPath(const std::vector<std::string>& row, const ImportLayout& layout);

// Whether `number` matches the mobile-number rule `rule` (an ECMAScript regular expression
// matching the whole number; an empty rule is the default). A malformed rule raises
// velmor::Exception naming it.
bool MobileNumberOk(const std::string& number, const std::string& rule);

// The error workbook's name beside `source`: its name without extension + "_校验不通过" + ".xlsx"
// (the content is XLSX whatever the source was), with "(n)" before the extension while taken.
std::string ErrorWorkbookName(const std::string& source);

// Saves `book` (the source as read) with each failing row's message (by zero-based row index) in
// an error column after the captions, under ErrorWorkbookName(source); answers the file name.
std::string WriteErrorWorkbook(workbook::Workbook& book, const std::map<uint32_t, std::string>& errors);

// The data rows of the first sheet: every row after the captions, trimmed of trailing empties;
// the rows that are wholly empty are left out (with their index kept in `index`).
struct DataRow {
  uint32_t index;  // zero-based row of the sheet
  std::vector<std::string> cells;
};
std::vector<DataRow> DataRows(const workbook::Sheet& sheet, size_t columns);

}  // namespace velmor::roster
