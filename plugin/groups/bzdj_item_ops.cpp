// The item forms of the payers' operations: the JSON reads as records of one family, prepared
// lines added from records, and the downloaded registration as records.
#include <nlohmann/json.hpp>

#include "framework/host_access.h"
#include "groups/bzdj_guard.h"
#include "groups/bzdj_items.h"
#include "groups/bzdj_ops.h"
#include "store/paging.h"
#include "store/sql_toolkit.h"

namespace velmor::groups {

bool BzDjOps::Items(const JfdjFamily& family, const std::string& rowsJson, Ref<IJfdjItems>& items) {
  // The JSON read has run and left its failure, if any, as the last error.
  items = nullptr;
  if (!error_.empty()) return false;
  items = RecordsOf(family, rowsJson);
  return true;
}

bool BzDjOps::AddItems(IJfdjItems* lines, IProgressView* progress, int32_t& added) {
  added = 0;
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  const bool ok = Local<bool>(error_, "addDatas", false, [&] {
    if (!lines) throw service::OpRefusal("参数不是TBzDjItems对象。");
    for (int32_t i = 0; i < lines->GetCount(); ++i) {
      TJfdjRecord& line = RequireRecord(lines->GetRecord(i).get(), kBzDjFamily);
      nlohmann::ordered_json row = nlohmann::ordered_json::object();
      for (const std::string& column : line.GetColumns())
        if (column != "id" && column != "djxh") row[column] = line.Get(column);
      rows.push_back(std::move(row));
    }
    return true;
  });
  return ok && AddLines(rows.dump(), progress, added);
}

bool BzDjOps::Payer(Ref<IJfdjItem>& payer) {
  payer = nullptr;
  const std::string djxh = Djxh();
  // A payer not downloaded yet counts as the account type of its class ("8" for the shared one).
  const std::string fallback = jfrlx_.empty() ? kJfrlxCollective : jfrlx_;
  const std::string typeOf = jfrlx_.empty()
                                 ? FormatSql("ifnull((select jfrlx from ds_jtbzhcbxxb where djxh = '%s' and "
                                             "ifnull(jfrlx, '') <> '' limit 1), '%s')",
                                             {V(djxh), V(fallback)})
                                 : FormatSql("'%s'", {V(jfrlx_)});
  const std::string rows = Read(
      "getCxjmJbxx",
      FormatSql(" select '%s' as djxh, %s as jfrlx, (select count(1) from ds_jtbzhcbxxb where djxh = '%s') as dws, "
                "(select count(1) from ds_jtbzhcbxzb where zbid in (select id from ds_jtbzhcbxxb where djxh = '%s')) "
                "as cbxzs ",
                {V(djxh), SqlFragment::Trusted(typeOf), V(djxh), V(djxh)}));
  Ref<IJfdjItems> list;
  if (!Items(kCxjmJbxxFamily, rows, list) || list->GetCount() != 1) return false;
  payer = list->GetRecord(0);
  return true;
}

bool BzDjOps::Units(const BzDjFilter& qc, Ref<IJfdjItems>& items) {
  std::string sql;
  const bool ok = Local<bool>(error_, "getCxjmCbxxItems", false, [&] {
    SqlFragment valid = qc.yxbz == "Y" ? SqlFragment(" and upper(yxbz) = 'Y' ") : SqlFragment();
    SqlFragment agency =
        qc.sbjbjgdm.empty() ? SqlFragment() : SqlFragment::Trusted(FormatSql(" and sbjbjgDm = '%s' ", {V(qc.sbjbjgdm)}));
    sql = FormatSql(" select * from ds_jtbzhcbxxb where djxh = '%s' %s %s order by id ", {V(Djxh()), valid, agency}) +
          PagingSuffix(qc.page, qc.pageSize).str();
    return true;
  });
  items = nullptr;
  return ok && Items(kCxjmCbxxFamily, Read("getCxjmCbxxItems", sql), items);
}

bool BzDjOps::UnitLines(int32_t zbid, Ref<IJfdjItems>& items) {
  const std::string sql = FormatSql(
      " select * from ds_jtbzhcbxzb where zbid = %d and zbid in (select id from ds_jtbzhcbxxb where djxh = '%s') "
      "order by id ",
      {zbid, V(Djxh())});
  return Items(kCxjmCbxzFamily, Read("getCxjmCbxzItems", sql), items);
}

}  // namespace velmor::groups
