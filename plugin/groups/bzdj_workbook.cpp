// The workbook of prepared lines: its template, and the import that stores the good rows and
// writes the rejected ones, with their reason, to a failure workbook beside the source
// ("导入失败文件.xlsx", or a free name after it). Layout: docs/groups.md.
#include <filesystem>

#include "codec/file_utils.h"
#include "codec/text_utils.h"
#include "framework/boundary.h"
#include "framework/progress.h"
#include "groups/bzdj_ops.h"
#include "groups/bzdj_store.h"
#include "service/taxml_json.h"
#include "store/db_access.h"
#include "store/sql_toolkit.h"
#include "workbook/workbook.h"

namespace velmor::groups {

namespace {

using service::Json;

struct Column {
  const char* caption;
  const char* key;
};

// The template's columns, in order. Code columns may hold "code|name"; the code is what counts.
constexpr Column kColumns[] = {{"缴费年度", "jfnd"}, {"社保经办机构", "sbjbjgdm"}, {"单位编号", "dwbh"},
                               {"人员编号", "rybh"}, {"险种类型", "xzlxdm"},     {"姓名", "xm"},
                               {"证件类型", "zjlx"}, {"证件号码", "zjhm"},       {"应缴费额", "yjfe"}};
constexpr size_t kColumnCount = std::size(kColumns);
constexpr const char* kSheetName = "集体补助及政府代缴";
constexpr const char* kReasonCaption = "失败原因";
constexpr const char* kFailureName = "导入失败文件";

std::vector<std::string> Captions() {
  std::vector<std::string> out;
  for (const Column& c : kColumns) out.push_back(c.caption);
  return out;
}

// "201|居民身份证" -> "201"
std::string CodeOf(const std::string& cell) { return TrimBlanks(cell.substr(0, cell.find('|'))); }

template <class F>
bool AtBoundary(std::string& error, const char* op, F&& body) {
  error.clear();
  return Attempt<StoreError, service::OpRefusal, workbook::WorkbookError>(
      {kClassName, op, LogForm::kBracketed}, {"", true, UnknownText::kShown}, &error, std::forward<F>(body));
}

}  // namespace

bool BzDjOps::Template(const std::string& path) {
  return AtBoundary(error_, "handTemplate", [&] {
    if (path.empty()) throw service::OpRefusal("请指定模板文件。");
    workbook::Workbook book;
    workbook::Sheet& sheet = book.AddSheet(kSheetName);
    sheet.SetHeader(Captions());
    sheet.AppendRow({"2024", "11101000001", "DW0001", "RY0000000001", "1|城乡居民基本养老保险", "张三",
                     "201|居民身份证", "110101199001011234", "380.00"});
    for (uint32_t c = 0; c < kColumnCount; ++c) sheet.SetColumnWidth(c, 18);
    sheet.SetFrozenRows(1);
    book.Save(path);
  });
}

bool BzDjOps::Import(const std::string& path, IProgressView* progress, TBzDjImportResult& result) {
  result = {};
  return AtBoundary(error_, "importData", [&] {
    std::vector<std::vector<std::string>> rows = workbook::ReadFirstSheetRows(path);
    if (rows.empty() || rows[0].size() < kColumnCount || TrimBlanks(rows[0][0]) != kColumns[0].caption)
      throw service::OpRefusal("导入文件不是集体补助及政府代缴模板：首行应为" + std::string(kColumns[0].caption) + "等列。");
    if (progress) progress->SetMessage("正在导入数据，请稍等");
    std::vector<std::vector<std::string>> rejected;
    Json good = Json::array();
    for (size_t r = 1; r < rows.size(); ++r) {
      std::vector<std::string> cells = rows[r];
      cells.resize(kColumnCount);
      bool blank = true;
      for (const auto& c : cells) blank = blank && TrimBlanks(c).empty();
      if (blank) continue;
      Json line = Json::object();
      for (size_t c = 0; c < kColumnCount; ++c) line[kColumns[c].key] = CodeOf(cells[c]);
      const std::string problem = LineProblem(line);
      if (problem.empty()) {
        good.push_back(std::move(line));
      } else {
        cells.push_back("第" + std::to_string(r + 1) + "行：" + problem);
        rejected.push_back(std::move(cells));
      }
    }
    {
      Ref<IDBMechanism> db = OpenMainConnection();
      const std::string djxh = Djxh();
      Transaction tx(*db);
      for (const Json& line : good) {
        ExecOrThrow(*db, LineInsert(djxh, line));
        StepProgress(progress, 0);
      }
      tx.Commit();
    }
    result.accepted = static_cast<int32_t>(good.size());
    result.rejected = static_cast<int32_t>(rejected.size());
    if (rejected.empty()) return;
    workbook::Workbook failures;
    workbook::Sheet& sheet = failures.AddSheet(kSheetName);
    std::vector<std::string> header = Captions();
    header.push_back(kReasonCaption);
    sheet.SetHeader(header);
    for (const auto& row : rejected) sheet.AppendRow(row);
    const std::filesystem::path dir = std::filesystem::path(path).parent_path();
    result.failureFile = MakeUniqueFileName((dir / (std::string(kFailureName) + ".xlsx")).string());
    failures.Save(result.failureFile);
  });
}

}  // namespace velmor::groups
