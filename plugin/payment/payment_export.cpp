// ExportXls: the bank-side vouchers written into their workbook template and handed to the
// host's document preview.
//
// Template layout (first sheet, rows and columns from 0): row 0 the title; rows 1-3 the block of
// one voucher: (1,1) issue date, (1,3) tax office, (2,1) voucher number, (2,3) deadline, row 3
// the captions of the lines. Each voucher gets its own copy of rows 1-3, its lines below them
// (levy item, sub-item, amount) and a total row ("合计", the amount in capitals, the amount),
// then one empty row before the next voucher.
#include <filesystem>
#include <map>

#include "business/date_time.h"
#include "dictionary/dict_access.h"
#include "framework/host_access.h"
#include "payment/payment_mgr.h"
#include "workbook/workbook.h"

namespace velmor {

using Json = nlohmann::ordered_json;
using service::OpRefusal;
using service::Text;

namespace {

constexpr const char* kTemplateName = "银行端缴税凭证";
constexpr uint32_t kBlockFirstRow = 1;
constexpr uint32_t kBlockRows = 3;

// The name of a code: the dictionary's, else the name the record carries, else the code.
std::string NameOf(const char* dict, const Json& r, const char* codeKey, const char* nameKey) {
  const std::string code = Text(r, codeKey);
  std::string name;
  try {
    name = DictName(dict, code);
  } catch (const std::exception&) {
    // no dictionary manager: the record's own name will do
  }
  if (name.empty() && nameKey) name = Text(r, nameKey);
  return name.empty() ? code : name;
}

// "yyyy年mm月dd日" of a "yyyy-mm-dd..." text.
std::string ChineseDate(const std::string& day) {
  if (day.size() < 10) return day;
  return day.substr(0, 4) + "年" + day.substr(5, 2) + "月" + day.substr(8, 2) + "日";
}

// A new name under Temp/: the time to the second, and a counter when that name is taken.
std::filesystem::path NewTarget(const std::filesystem::path& dir) {
  const std::string stem = std::string(kTemplateName) + "_" + LocalTimeText("%Y%m%d%H%M%S");
  std::filesystem::path p = dir / (stem + ".xlsx");
  for (int n = 2; std::filesystem::exists(p); ++n) p = dir / (stem + "_" + std::to_string(n) + ".xlsx");
  return p;
}

}  // namespace

bool TPaymentMgr::ExportXls(const std::string& records, std::string& file) {
  file.clear();
  std::string exported;
  const bool ok = Run("ExportXls", "系统异常，请稍后再试", [&] {
    namespace fs = std::filesystem;
    Json list = payment::ArrayOf(records, "缴款凭证列表");
    if (list.empty()) throw OpRefusal("没有要导出的缴款凭证。");
    const fs::path m8 = fs::path(GetPlatformManager()->GetModuleDataDir("M8"));
    const fs::path templ = m8 / "Templates" / "Export" / (std::string(kTemplateName) + ".xlsx");
    if (!fs::exists(templ)) throw OpRefusal("缺少文件：" + templ.string());

    // Vouchers in the order they first appear, each with its lines.
    std::vector<std::string> order;
    std::map<std::string, std::vector<Json>> byVoucher;
    for (const Json& r : list) {
      const std::string dzsphm = Text(r, "dzsphm");
      if (!byVoucher.count(dzsphm)) order.push_back(dzsphm);
      byVoucher[dzsphm].push_back(r);
    }

    workbook::Workbook book = workbook::Workbook::Open(templ.string());
    workbook::Sheet& sheet = book.FirstSheet();
    std::vector<std::vector<workbook::Cell>> block(kBlockRows);
    for (uint32_t i = 0; i < kBlockRows; ++i)
      for (uint32_t c = 0; c < 4; ++c) {
        const workbook::Cell* cell = sheet.FindCell(kBlockFirstRow + i, c);
        block[i].push_back(cell ? *cell : workbook::Cell());
      }
    Ref<ICommonFunctions> common = GetCommonFunctions();
    const std::string today = Today();
    uint32_t row = kBlockFirstRow;
    for (const std::string& dzsphm : order) {
      const std::vector<Json>& lines = byVoucher[dzsphm];
      const Json& head = lines.front();
      for (uint32_t i = 0; i < kBlockRows; ++i)
        for (uint32_t c = 0; c < 4; ++c)
          if (!block[i][c].empty()) sheet.SetCell(row + i, c, block[i][c]);
      const std::string dysj = Text(head, "dysj");
      sheet.SetText(row, 1, ChineseDate(dysj.empty() ? today : dysj));
      sheet.SetText(row, 3, NameOf("dict_swjg", head, "zsjgDm", "zsswjgMc"));
      sheet.SetText(row + 1, 1, dzsphm);
      sheet.SetText(row + 1, 3, Text(head, "jkqx").substr(0, 10));
      row += kBlockRows;
      double total = 0;
      for (const Json& l : lines) {
        const double sjje = payment::NumberOf(l, "sjje");
        sheet.SetText(row, 0, NameOf("dict_zsxm", l, "zsxmDm", "zsxmMc"));
        sheet.SetText(row, 1, NameOf("dict_zspm", l, "zspmDm", "zspmMc"));
        sheet.SetNumber(row, 2, sjje, "0.00");
        total += sjje;
        ++row;
      }
      sheet.SetText(row, 0, "合计");
      sheet.SetText(row, 1, common->AmountInCapitals(total));
      sheet.SetNumber(row, 2, total, "0.00");
      row += 2;
    }
    const fs::path tempDir = m8 / "Temp";
    std::error_code ec;
    fs::create_directories(tempDir, ec);
    const fs::path target = NewTarget(tempDir);
    book.Save(target.string());
    exported = target.string();
  });
  if (!ok) return false;
  file = exported;
  Ref<IDocumentViewer> viewer;
  try {
    viewer = GetDocumentViewer();
  } catch (const std::exception&) {
  }
  // The workbook stands without a preview: the call succeeds and says why nothing opened.
  std::string error;
  if (!viewer || !viewer->IsAvailable() || !viewer->Open(exported, error)) ErrorMessage = "您未安装Excel，无法预览";
  return true;
}

}  // namespace velmor
