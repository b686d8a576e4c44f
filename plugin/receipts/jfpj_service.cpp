#include "receipts/jfpj_service.h"

#include <filesystem>

#include <nlohmann/json.hpp>

#include "framework/boundary.h"
#include "framework/host_access.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "receipts/jfpj_rows.h"
#include "service/taxml_json.h"
#include "workbook/workbook.h"

namespace velmor {

namespace {

using Json = nlohmann::ordered_json;
using service::OpRefusal;

constexpr const char* kSheetName = "缴费票据";

Ref<IJfpjDAO> Dao() { return CreatePluginService<IJfpjDAO>(kJfpjNoDao); }

bool BlankRow(const std::vector<std::string>& cells) {
  for (const auto& c : cells)
    if (c.find_first_not_of(" \t\r\n") != std::string::npos) return false;
  return true;
}

}  // namespace

bool TJfpjService::Op(const char* op, const char* prefix, std::string& message, const std::function<void()>& body) {
  ErrorMessage.clear();
  message.clear();
  const bool ok = Attempt<OpRefusal>({"TJfpjService", op}, {prefix, true, UnknownText::kShown}, &message, body);
  ErrorMessage = message;
  return ok;
}

int32_t TJfpjService::GetCount(const std::string& filter) {
  int32_t n = -1;
  std::string message;
  Op("GetCount", "", message, [&] {
    Ref<IJfpjDAO> dao = Dao();
    if ((n = dao->GetCount(CurrentDjxh(), filter)) < 0) throw OpRefusal(dao->GetErrorMessage());
  });
  return n;
}

std::string TJfpjService::GetData(const std::string& filter, int32_t page, int32_t pageSize) {
  std::string rows = "[]", message;
  Op("GetData", "", message, [&] {
    Ref<IJfpjDAO> dao = Dao();
    rows = dao->GetData(CurrentDjxh(), filter, page, pageSize);
    if (!dao->GetErrorMessage().empty()) throw OpRefusal(dao->GetErrorMessage());
  });
  return rows;
}

bool TJfpjService::SaveData(const std::string& rows, int32_t& added, std::string& message) {
  added = 0;
  return Op("SaveData", "", message, [&] {
    Ref<IJfpjDAO> dao = Dao();
    if (!dao->SaveData(CurrentDjxh(), rows, added)) throw OpRefusal(dao->GetErrorMessage());
  });
}

bool TJfpjService::DeleteData(const std::string& ids, std::string& message) {
  return Op("DeleteData", "", message, [&] {
    Ref<IJfpjDAO> dao = Dao();
    if (!dao->DeleteData(CurrentDjxh(), ids)) throw OpRefusal(dao->GetErrorMessage());
  });
}

bool TJfpjService::ImportXls(const std::string& path, std::string& valid, std::string& rejected,
                             std::string& message) {
  valid = rejected = "[]";
  return Op("ImportXls", "[TJfpjService.ImportXls]异常：", message, [&] {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) throw OpRefusal(path + "不存在。");
    const std::vector<std::vector<std::string>> rows = workbook::ReadFirstSheetRows(path);
    if (rows.empty() || !receipts::HeaderMatches(rows[0])) throw OpRefusal(receipts::kHeaderMismatch);
    Json good = Json::array(), bad = Json::array();
    for (size_t i = 1; i < rows.size(); ++i) {
      if (BlankRow(rows[i])) continue;
      std::string error;
      if (std::optional<Json> r = receipts::CheckRow(rows[i], error)) {
        good.push_back(std::move(*r));
        continue;
      }
      Json e = {{"row", static_cast<int64_t>(i + 1)}, {"errormsg", error}};
      for (size_t c = 0; c < receipts::kColumns.size(); ++c)
        e["col_" + std::to_string(c)] = c < rows[i].size() ? rows[i][c] : std::string();
      bad.push_back(std::move(e));
    }
    Ref<IJfpjDAO> dao = Dao();
    int32_t added = 0;
    if (!good.empty() && !dao->SaveData(CurrentDjxh(), good.dump(), added)) throw OpRefusal(dao->GetErrorMessage());
    valid = good.dump();
    rejected = bad.dump();
  });
}

bool TJfpjService::DealXlsTemplate(const std::string& path, std::string& message) {
  return Op("DealXlsTemplate", "生成模板异常：", message, [&] {
    if (path.empty()) throw OpRefusal("请指定模板文件。");
    if (std::filesystem::path(path).extension() != ".xlsx") throw OpRefusal("模板文件须为.xlsx格式。");
    workbook::Workbook book;
    workbook::Sheet& sheet = book.AddSheet(kSheetName);
    std::vector<std::string> titles;
    for (const receipts::Column& c : receipts::kColumns) titles.push_back(c.title);
    sheet.SetHeader(titles);
    for (uint32_t c = 0; c < titles.size(); ++c) sheet.SetColumnWidth(c, c == 2 ? 22 : 16);
    sheet.SetFrozenRows(1);
    book.Save(path);
  });
}

namespace {
void RegisterJfpjService() {
  RegisterServiceClass(ServiceRowAt(kRowTJfpjService).iid, &ClassOf<TJfpjService>::Instance());
}
void UnregisterJfpjService() { UnregisterServiceClass(ServiceRowAt(kRowTJfpjService).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(29, velmor::RegisterJfpjService, velmor::UnregisterJfpjService)
