#include "roster/roster_workbook.h"

#include <algorithm>
#include <filesystem>
#include <regex>

#include "codec/file_utils.h"
#include "codec/text_utils.h"
#include "velmor/exceptions.h"

namespace velmor::roster {

namespace {

const std::vector<std::string> kGroupCaptions = {"一级分组", "二级分组", "三级分组", "四级分组", "五级分组"};

int GroupLevels(const std::string& regionCode) { return regionCode == kFiveLevelRegion ? 5 : 3; }

}  // namespace

ImportLayout WbryLayout(const std::string& regionCode) {
  ImportLayout l;
  l.captions = {"*姓名", "*证件类型", "*证件号码"};
  l.groupCount = GroupLevels(regionCode);
  for (int i = 0; i < l.groupCount; ++i) l.captions.push_back(kGroupCaptions[i]);
  return l;
}

ImportLayout PhoneLayout(const std::string& regionCode) {
  ImportLayout l;
  l.captions = {"*姓名", "*证件类型", "*证件号码", "手机号码"};
  l.phone = 3;
  l.groupFirst = 4;
  l.groupCount = GroupLevels(regionCode);
  for (int i = 0; i < l.groupCount; ++i) l.captions.push_back(kGroupCaptions[i]);
  l.remark = static_cast<int>(l.captions.size());
  l.captions.push_back("备注");
  return l;
}

void CheckCaptions(const std::vector<std::string>& firstRow, ImportLayout& layout, bool agencyAllowed) {
  std::vector<std::string> got;
  for (const std::string& c : firstRow) got.push_back(TrimBlanks(c));
  while (!got.empty() && got.back().empty()) got.pop_back();
  const size_t n = layout.captions.size();
  if (agencyAllowed && got.size() == n + 1 && got.back() == kSbjbjgCaption) {
    layout.agency = static_cast<int>(n);
    got.pop_back();
  }
  if (got != layout.captions) throw Exception(kHeaderMismatch);
}

bool ResidentIdNumberOk(const std::string& zjhm) {
  auto digits = [&](size_t from, size_t to) {
    return std::all_of(zjhm.begin() + from, zjhm.begin() + to, [](char c) { return c >= '0' && c <= '9'; });
  };
  if (zjhm.size() == 15) return digits(0, 15);
  if (zjhm.size() == 18) {
    const char last = zjhm[17];
    return digits(0, 17) && ((last >= '0' && last <= '9') || last == 'X' || last == 'x');
  }
  return false;
}

std::vector<std::string> GroupPath(const std::vector<std::string>& row, const ImportLayout& layout) {
  std::vector<std::string> names;
  for (int i = 0; i < layout.groupCount; ++i) {
    const size_t col = static_cast<size_t>(layout.groupFirst + i);
    const std::string name = col < row.size() ? TrimBlanks(row[col]) : std::string();
    if (name.empty()) break;
    names.push_back(name);
  }
  return names;
}

bool MobileNumberOk(const std::string& number, const std::string& rule) {
  const std::string pattern = rule.empty() ? kDefaultMobileRule : rule;
  try {
    return std::regex_match(number, std::regex(pattern, std::regex::ECMAScript));
  } catch (const std::regex_error&) {
    throw Exception("手机号码校验规则无效：" + pattern);
  }
}

std::string ErrorWorkbookName(const std::string& source) {
  std::filesystem::path p(source);
  std::filesystem::path name = p.parent_path() / (p.stem().string() + "_校验不通过.xlsx");
  return MakeUniqueFileName(name.string());
}

std::string WriteErrorWorkbook(workbook::Workbook& book, const std::map<uint32_t, std::string>& errors) {
  workbook::Sheet& sheet = book.FirstSheet();
  // The error column follows the last caption, so the captions stay those of the template.
  uint32_t col = 0;
  for (uint32_t c = 0; c < sheet.RowText(0).size(); ++c)
    if (!TrimBlanks(sheet.CellText(0, c)).empty()) col = c + 1;
  sheet.SetText(0, col, kErrorCaption);
  for (const auto& [row, message] : errors) sheet.SetText(row, col, message);
  const std::string path = ErrorWorkbookName(book.sourcePath());
  book.Save(path);
  return path;
}

std::vector<DataRow> DataRows(const workbook::Sheet& sheet, size_t columns) {
  std::vector<DataRow> out;
  for (uint32_t r = 1; r < sheet.RowCount(); ++r) {
    std::vector<std::string> cells = sheet.RowText(r, static_cast<uint32_t>(columns));
    if (std::all_of(cells.begin(), cells.end(), [](const std::string& c) { return TrimBlanks(c).empty(); })) continue;
    out.push_back({r, std::move(cells)});
  }
  return out;
}

}  // namespace velmor::roster
