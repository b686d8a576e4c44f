// The two exports of the collection status: the units with their figures under a two-row header
// (the channel figures grouped under "虚拟户" and "个人缴费", merged cells), and the person lines
// under a one-row header. Both start from the shipped template 通用导出模板.xlsx (first sheet,
// written from its first row) and are saved under the name asked for or a new one in M8/Temp/.
#include <filesystem>

#include "business/date_time.h"
#include "framework/host_access.h"
#include "framework/progress.h"
#include "residents/cxjmxnhzjqkcx.h"
#include "workbook/workbook.h"

namespace velmor {

namespace {

namespace fs = std::filesystem;

constexpr const char* kTemplate = "通用导出模板.xlsx";

// The unit columns under the one-row captions, then the channel figures of the two groups.
constexpr const char* kUnitCaptions[] = {"序号",     "单位编号",     "单位名称",     "主管税务机关",
                                         "主管税务所（科、分局）", "社保经办机构", "街道乡镇", "社区村组",
                                         "参保人数", "未缴费人数",   "已缴费人数",   "已缴费未反馈人数",
                                         "已反馈人数"};
constexpr const char* kUnitFields[] = {"dwbh", "dwmc", "swjgmc", "swksmc", "sbjbjgmc", "jdxzmc", "sqczmc"};
constexpr const char* kUnitFigures[] = {"cbrs", "wjfrs", "yjfrs", "yjfwfkrs", "yfkrs",
                                        "xnhdtrs", "xnhwbrs", "grdtrs", "grwbrs", "grsyrs", "grpkrs"};
constexpr const char* kXnhCaptions[] = {"大厅", "网报"};
constexpr const char* kGrCaptions[] = {"大厅", "网报", "税银", "批扣"};

constexpr const char* kPersonCaptions[] = {
    "序号",     "单位编号", "单位名称", "主管税务机关", "主管税务所（科、分局）", "社保经办机构", "街道乡镇",
    "社区村组", "姓名",     "证件类型", "证件号码",     "人员编号",               "手机号码",     "参保人员特殊类别",
    "费款所属期", "缴费金额", "缴费时间", "缴费渠道",   "缴费信息反馈时间"};

// A name the answer gave, else its code.
std::string NameOr(IJfdjItem& r, const char* name, const char* code) {
  const std::string n = r.Get(name);
  return n.empty() ? r.Get(code) : n;
}

fs::path TemplatePath() {
  const fs::path p = fs::path(GetPlatformManager()->GetModuleDataDir("M8")) / "Templates" / "Export" / kTemplate;
  if (!fs::exists(p)) throw service::OpRefusal("缺少文件：\"" + p.string() + "\"");
  return p;
}

fs::path Target(const std::string& file, const char* stem) {
  if (!file.empty()) return fs::path(file);
  const fs::path dir = fs::path(GetPlatformManager()->GetModuleDataDir("M8")) / "Temp";
  std::error_code ec;
  fs::create_directories(dir, ec);
  const std::string base = std::string(stem) + "_" + LocalTimeText("%Y%m%d%H%M%S");
  fs::path p = dir / (base + ".xlsx");
  for (int n = 2; fs::exists(p); ++n) p = dir / (base + "_" + std::to_string(n) + ".xlsx");
  return p;
}

TJfdjRecords& RequireRows(IJfdjItems* items, const JfdjFamily& family) {
  auto* list = items ? dynamic_cast<TJfdjRecords*>(items) : nullptr;
  if (list && list->GetFamily() != family.name)
    throw service::OpRefusal("参数不是" + std::string(family.listClass) + "对象。");
  if (!list || list->GetCount() == 0) throw service::OpRefusal("没有数据可以导出");
  return *list;
}

// A figure as a number when it is one (sums stay possible in the workbook), else its text.
void SetFigure(workbook::Sheet& sheet, uint32_t row, uint32_t col, const std::string& text) {
  try {
    size_t used = 0;
    const double v = std::stod(text, &used);
    if (used == text.size()) return sheet.SetNumber(row, col, v);
  } catch (const std::exception&) {
  }
  sheet.SetText(row, col, text);
}

}  // namespace

bool TCxjmxnhzjqkcxImpl::exportCxjmxnhzjqk(IJfdjItems* units, const std::string& file, IProgressView* progress,
                                           std::string& written) {
  written.clear();
  if (progress) progress->StartProgress("正在导出，请稍等", 100, "");
  const bool ok = Run("exportCxjmxnhzjqk", [&] {
    TJfdjRecords& list = RequireRows(units, kCxjmxnhzjqkcxFamily);
    workbook::Workbook book = workbook::Workbook::Open(TemplatePath().string());
    workbook::Sheet& sheet = book.FirstSheet();
    uint32_t col = 0;
    for (const char* c : kUnitCaptions) {
      sheet.SetText(0, col, c);
      sheet.AddMerge(workbook::CellRange::Column(col, 0, 1));
      ++col;
    }
    sheet.SetText(0, col, "虚拟户");
    sheet.AddMerge({{0, col}, {0, col + 1}});
    for (const char* c : kXnhCaptions) sheet.SetText(1, col++, c);
    sheet.SetText(0, col, "个人缴费");
    sheet.AddMerge({{0, col}, {0, col + 3}});
    for (const char* c : kGrCaptions) sheet.SetText(1, col++, c);
    sheet.SetFrozenRows(2);
    for (int32_t i = 0; i < list.GetCount(); ++i) {
      Ref<IJfdjItem> r = list.GetRecord(i);
      const uint32_t row = static_cast<uint32_t>(i) + 2;
      uint32_t c = 0;
      sheet.SetNumber(row, c++, i + 1);
      sheet.SetText(row, c++, r->Get("dwbh"));
      sheet.SetText(row, c++, r->Get("dwmc"));
      sheet.SetText(row, c++, NameOr(*r, "swjgmc", "swjgdm"));
      sheet.SetText(row, c++, NameOr(*r, "swksmc", "swksdm"));
      sheet.SetText(row, c++, NameOr(*r, "sbjbjgmc", "sbjbjgdm"));
      sheet.SetText(row, c++, NameOr(*r, "jdxzmc", "jdxzdm"));
      sheet.SetText(row, c++, NameOr(*r, "sqczmc", "sqczdm"));
      for (const char* f : kUnitFigures) SetFigure(sheet, row, c++, r->Get(f));
    }
    const fs::path target = Target(file, "城乡居民虚拟户征缴情况");
    book.Save(target.string());
    written = target.string();
  });
  if (progress) progress->EndProgress();
  return ok;
}

bool TCxjmxnhzjqkcxImpl::exportCxjmxnhzjqkrymx(IJfdjItems* persons, const std::string& file, IProgressView* progress,
                                               std::string& written) {
  written.clear();
  if (progress) progress->StartProgress("正在导出，请稍等", 100, "");
  const bool ok = Run("exportCxjmxnhzjqkrymx", [&] {
    TJfdjRecords& list = RequireRows(persons, kCxjmxnhzjqkcxrymxFamily);
    workbook::Workbook book = workbook::Workbook::Open(TemplatePath().string());
    workbook::Sheet& sheet = book.FirstSheet();
    uint32_t col = 0;
    for (const char* c : kPersonCaptions) sheet.SetText(0, col++, c);
    sheet.SetFrozenRows(1);
    for (int32_t i = 0; i < list.GetCount(); ++i) {
      Ref<IJfdjItem> r = list.GetRecord(i);
      const uint32_t row = static_cast<uint32_t>(i) + 1;
      uint32_t c = 0;
      sheet.SetNumber(row, c++, i + 1);
      for (const char* f : {"dwbh", "dwmc", "swjgmc", "swksmc", "sbjbjgmc", "jdxzmc", "sqczmc", "xm"})
        sheet.SetText(row, c++, r->Get(f));
      sheet.SetText(row, c++, NameOr(*r, "sfzjlxmc", "sfzjlx"));
      sheet.SetText(row, c++, r->Get("sfzjhm"));
      sheet.SetText(row, c++, r->Get("rybh"));
      sheet.SetText(row, c++, r->Get("sjhm"));
      sheet.SetText(row, c++, NameOr(*r, "cbrytslbmc", "cbrytslbdm"));
      sheet.SetText(row, c++, r->Get("fkssqq") + " - " + r->Get("fkssqz"));
      SetFigure(sheet, row, c++, r->Get("jfje"));
      sheet.SetText(row, c++, r->Get("jfsj"));
      sheet.SetText(row, c++, JfqdName(r->Get("jfqd")));
      sheet.SetText(row, c++, r->Get("fksj"));
    }
    const fs::path target = Target(file, "城乡居民虚拟户征缴情况人员明细");
    book.Save(target.string());
    written = target.string();
  });
  if (progress) progress->EndProgress();
  return ok;
}

}  // namespace velmor
