// The receipt workbook: its ten columns (title and key, in template order) and the check of one
// row, which gives the row as a receipt or the first rule it breaks. Pure functions; safe on any
// thread.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace velmor::receipts {

struct Column {
  const char* title;
  const char* key;
  const char* emptyMessage;
};

inline constexpr std::array<Column, 10> kColumns{{
    {"*姓名", "xm", "姓名列不可为空"},
    {"*证件类型", "zjlx", "证件类型列不可为空"},
    {"*证件号码", "zjhm", "证件号码列不可为空"},
    {"*社保经办机构", "sbjbjgmc", "社保经办机构列不可为空"},
    {"*征收项目", "zsxmmc", "征收项目列不可为空"},
    {"*征收品目", "zspmmc", "征收品目列不可为空"},
    {"*费款所属期起", "fkssqq", "费款所属期起列不可为空"},
    {"*费款所属期止", "fkssqz", "费款所属期止列不可为空"},
    {"*缴费金额", "je", "缴费金额列不可为空"},
    {"*缴费日期", "jfrq", "缴费日期列不可为空"},
}};

inline constexpr const char* kHeaderMismatch = "导入文件表头和模板不一致，请下载模板进行比对";
inline constexpr const char* kBadName = "姓名请输入汉字或特殊字符-中间符·";
inline constexpr const char* kBadZjhm = "证件号码请输入数字或字母";
inline constexpr const char* kBadPeriod = "费款所属期起止格式必须为yyyy-mm";
inline constexpr const char* kPeriodReversed = "费款所属期起不能晚于费款所属期止";
inline constexpr const char* kBadAmount = "缴费金额不正确";
inline constexpr const char* kBadJfrq = "缴费日期格式必须为yyyy-mm-dd";

// True when the first row holds exactly the ten titles in order (surrounding blanks and empty
// cells after the tenth are ignored).
bool HeaderMatches(const std::vector<std::string>& row);

// A row as a receipt (keys of kColumns plus the number jfje; periods as "yyyy-mm", the date as
// "yyyy-mm-dd"), or nothing with `error` set to the first broken rule.
std::optional<nlohmann::ordered_json> CheckRow(const std::vector<std::string>& cells, std::string& error);

// "yyyy-mm-dd" of a date written y-m-d (separator "-" or "/", month and day of one or two digits);
// empty for anything else, an impossible day included.
std::string NormalDate(const std::string& text);

}  // namespace velmor::receipts
