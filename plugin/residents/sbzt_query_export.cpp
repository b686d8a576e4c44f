// The export of the status listing: one row per person, agency and state, the person's items,
// sub-items and details of that state joined with "|", the state as "已申报" / "未申报". The
// workbook engine writes under a temporary name and renames, so a failed export leaves no file.
#include <map>
#include <tuple>
#include <vector>

#include "residents/sbzt_query_service.h"
#include "service/taxml_json.h"
#include "store/db_access.h"
#include "store/json_text.h"
#include "store/sql_toolkit.h"
#include "workbook/workbook.h"

namespace velmor {

using sbzt::Json;

namespace {

struct Group {
  Json first;  // the person's columns, from the first line
  std::vector<std::string> zsxm, zspm, zszm;
};

std::string Joined(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : "|") + p;
  return out;
}

}  // namespace

bool TCXJMSBStatusQueryService::exportData(const std::string& djxh, const std::string& query,
                                           const std::string& filePath) {
  return sbzt::Run(ErrorMessage, "exportData", LogForm::kTrailing, kSbztShownPrefix, [&] {
    if (filePath.empty()) throw service::OpRefusal("导出文件名为空");
    Ref<IDBMechanism> db = OpenMainConnection();
    const Json rows = Rows(*db, sbzt::ListSql(djxh, FilterObject(query), -1, 0));
    // Ordered by the listing's first appearance of each person (the listing is by name).
    std::vector<std::tuple<std::string, std::string, std::string>> order;
    std::map<std::tuple<std::string, std::string, std::string>, Group> groups;
    for (const Json& r : rows) {
      const bool declared = RowText(r, "sbzt") == "1";
      auto key = std::make_tuple(RowText(r, "rydjxh"), RowText(r, "sbjbjgdm"), std::string(declared ? "1" : "0"));
      auto [it, added] = groups.try_emplace(key);
      if (added) {
        it->second.first = r;
        order.push_back(key);
      }
      it->second.zsxm.push_back(RowText(r, "zsxmdm"));
      it->second.zspm.push_back(RowText(r, "zspmdm"));
      it->second.zszm.push_back(RowText(r, "zszmdm"));
    }
    workbook::Workbook book;
    workbook::Sheet& sheet = book.AddSheet("申报状态");
    sheet.SetHeader({"姓名", "证件类型", "证件号码", "社保经办机构", "人员编号", "征收项目", "征收品目", "征收子目",
                     "乡镇街道", "社区村组", "分组", "申报状态"});
    uint32_t row = 1;
    for (const auto& key : order) {
      const Group& g = groups[key];
      const std::vector<std::string> cells = {
          RowText(g.first, "xm"),      RowText(g.first, "zjlx"),    RowText(g.first, "zjhm"),
          RowText(g.first, "sbjbjgdm"), RowText(g.first, "rybh"),   Joined(g.zsxm),
          Joined(g.zspm),              Joined(g.zszm),              RowText(g.first, "xzjddm"),
          RowText(g.first, "sqhczdm"), RowText(g.first, "fullname"), std::get<2>(key) == "1" ? "已申报" : "未申报"};
      for (uint32_t col = 0; col < cells.size(); ++col) sheet.SetText(row, col, cells[col]);
      ++row;
    }
    book.Save(filePath);
  });
}

}  // namespace velmor
