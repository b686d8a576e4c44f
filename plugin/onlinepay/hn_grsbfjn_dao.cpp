#include "onlinepay/hn_grsbfjn_dao.h"

#include <nlohmann/json.hpp>

#include "codec/json_parse.h"
#include "codec/text_utils.h"
#include "framework/boundary.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "onlinepay/grsbfjn_dao.h"
#include "service/taxml_json.h"
#include "store/json_text.h"
#include "store/paging.h"
#include "store/row_values.h"
#include "store/sql_filters.h"
#include "store/sql_toolkit.h"

namespace velmor {

namespace onlinepay {
std::string HnOrderState(std::string_view s) {
  if (s == "0" || s == "1" || s == "4" || s == "5" || s == "99") return std::string(s);
  if (s == "6") return "1";
  return "98";
}
}  // namespace onlinepay

namespace {

using Json = nlohmann::ordered_json;
using service::Text;

constexpr const char kListSql[] = "select %s FROM sb_hngrsbfjfjl WHERE djxh='%s' and 1=1 %s";

// "0,5" as the quoted list "'0', '5'".
SqlFragment StateList(const std::string& text) {
  std::string out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    const std::string part = TrimBlanks(text.substr(start, end - start));
    if (!part.empty()) out += (out.empty() ? "" : ", ") + QuotedStr(part);
    start = end + 1;
  }
  return SqlFragment::Trusted(out);
}

SqlFragment Conditions(const Json& f) {
  SqlFilters w;
  w.AddLike(" AND xm like ", Text(f, "xm"))
      .AddValue(" AND zjlx = '%s'", Text(f, "zjlx"))
      .AddLike(" AND zjhm like ", Text(f, "zjhm"));
  if (const SqlFragment states = StateList(Text(f, "ddzt")); !states.empty())
    w.Add(SqlFragment(" and ddzt in(") + states + SqlFragment(")"));
  w.AddValue(" and ddh = '%s'", Text(f, "ddh"))
      .AddQuoted(" and substr(ddscrq, 1, 10)>=", Text(f, "ddscrqq"))
      .AddQuoted(" and substr(ddscrq, 1, 10)<=", Text(f, "ddscrqz"));
  return w.Build();
}

void InsertOrder(IDBMechanism& db, const Json& c, const std::string& ddh, const std::string& ddzt) {
  const std::string djxh = Text(c, "djxh");
  ExecOrThrow(db,
              FormatSql("insert into sb_hngrsbfjfjl(djxh,ddh,swjgDm,ddscrq,ddzfsj,ddsxsj,ddzt,zfqd,rybh,xzlx,jfnd,jfje,"
                        "xm,zjlx,zjhm) values('%s','%s','%s','%s','%s','%s','%s','%s','%s','%s','%s',%f,'%s','%s',"
                        "'%s')",
                        {V(djxh), V(ddh), V(Text(c, "taxOrgCode")), V(Text(c, "orderTime")), V(Text(c, "payTime")),
                         V(Text(c, "expireTime")), V(ddzt), V(Text(c, "payChannelName")), V(Text(c, "personNo")),
                         V(Text(c, "insuranceType")), V(Text(c, "payYear")), RowNumber(c, "amount"),
                         V(Text(c, "name")), V(Text(c, "certType")), V(Text(c, "certNo"))}),
              kGrSaveFailed);
  const Json& lines = c.contains("payDetail") ? c["payDetail"] : Json();
  if (!lines.is_null() && !lines.is_array()) throw Exception("订单" + ddh + "的payDetail不是数组。");
  for (const Json& l : lines.is_array() ? lines : Json::array()) {
    if (!l.is_object()) throw Exception("订单" + ddh + "的明细不是JSON对象。");
    ExecOrThrow(db,
                FormatSql("insert into sb_hngrsbfjfjlmxb(djxh,ddh,sbjbjgdm,ksjfrq,zzjfrq,zsxmdm,zspmdm,zszmdm,xzlxdm,"
                          "jfje) values('%s','%s','%s','%s','%s','%s','%s','%s','%s',%f)",
                          {V(djxh), V(ddh), V(Text(l, "sbjbjgdm")), V(Text(l, "beginDate")), V(Text(l, "endDate")),
                           V(Text(l, "zsxmdm")), V(Text(l, "zspmdm")), V(Text(l, "zszmdm")), V(Text(l, "xzlxdm")),
                           RowNumber(l, "amount")}),
                kGrSaveFailed);
  }
}

void UpdateOrder(IDBMechanism& db, const std::string& djxh, const std::string& ddh, const std::string& ddzt,
                 const std::string& ddzfsj, const std::string& zfqd) {
  ExecOrThrow(db,
              FormatSql("update sb_hngrsbfjfjl set ddzt='%s',ddzfsj='%s',zfqd='%s' where djxh='%s' and ddh='%s'",
                        {V(ddzt), V(ddzfsj), V(zfqd), V(djxh), V(ddh)}),
              kGrUpdateFailed);
}

}  // namespace

template <class R, class F>
R THnGrsbfjnDAO::Guard(std::string_view op, const char* text, R fallback, F&& body) {
  ErrorMessage.clear();
  return Guarded<StoreError>({"THnGrsbfjnDAO", op}, {text, false}, &ErrorMessage, std::move(fallback),
                             std::forward<F>(body));
}

bool THnGrsbfjnDAO::SaveJfxx(const std::string& detailList) {
  return Guard<bool>("SaveJfxx", kGrSaveFailed, false, [&] {
    const Json list = ParseOutsideJson<Json>(detailList, false);
    if (!list.is_array()) throw Exception("detailList不是JSON数组。");
    Ref<IDBMechanism> db = OpenMainConnection();
    // One transaction: an order is never stored without its lines.
    Transaction tx(*db, kGrSaveFailed);
    for (const Json& entry : list) {
      const Json& c = entry.is_object() && entry.contains("content") ? entry["content"] : entry;
      if (!c.is_object()) throw Exception("detailList的content不是JSON对象。");
      const std::string ddh = Text(c, "orderId"), djxh = Text(c, "djxh");
      if (ddh.empty() || djxh.empty()) throw Exception("订单缺少orderId或djxh。");
      const std::string ddzt = onlinepay::HnOrderState(Text(c, "orderStatus"));
      const int32_t stored = QueryCount(
          *db, FormatSql("select count(*) from sb_hngrsbfjfjl where djxh='%s' and ddh='%s'", {V(djxh), V(ddh)}));
      if (stored == 0) InsertOrder(*db, c, ddh, ddzt);
      else UpdateOrder(*db, djxh, ddh, ddzt, Text(c, "payTime"), Text(c, "payChannelName"));
    }
    tx.Commit();
    return true;
  });
}

std::string THnGrsbfjnDAO::GetData(const std::string& djxh, const std::string& filter, int32_t page,
                                   int32_t pageSize) {
  return Guard<std::string>("GetData", kGrQueryFailed, "[]", [&] {
    SqlFragment where = Conditions(FilterObject(filter)) + SqlFragment(" ORDER BY id DESC") +
                        PagingSuffix(page, pageSize, true);
    Ref<IDBMechanism> db = OpenMainConnection();
    return JsonText(Rows(*db, FormatSql(kListSql, {SqlFragment("*"), V(djxh), where}), kGrQueryFailed));
  });
}

std::string THnGrsbfjnDAO::GetMxData(const std::string& djxh, const std::string& ddh) {
  return Guard<std::string>("GetMxData", kGrQueryFailed, "[]", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return JsonText(Rows(*db,
                         FormatSql("select * FROM sb_hngrsbfjfjlmxb WHERE djxh='%s' and ddh='%s' order by id",
                                   {V(djxh), V(ddh)}),
                         kGrQueryFailed));
  });
}

int32_t THnGrsbfjnDAO::GetCount(const std::string& djxh, const std::string& filter) {
  return Guard<int32_t>("GetCount", kGrQueryFailed, -1, [&] {
    SqlFragment where = Conditions(FilterObject(filter));
    Ref<IDBMechanism> db = OpenMainConnection();
    return QueryCount(*db, FormatSql(kListSql, {SqlFragment("COUNT(*) AS zs"), V(djxh), where}), kGrQueryFailed);
  });
}

std::string THnGrsbfjnDAO::GetDjfDataLb(const std::string& djxh) {
  return Guard<std::string>("GetDjfDataLb", kGrQueryFailed, "[]", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return JsonText(Rows(*db,
                         FormatSql("select * from sb_hngrsbfjfjl where djxh='%s' and ddzt in ('%s', '%s')",
                                   {V(djxh), V("0"), V("5")}),
                         kGrQueryFailed));
  });
}

bool THnGrsbfjnDAO::UpdateDdzt(const std::string& djxh, const std::string& ddh, const std::string& ddzt,
                               const std::string& ddzfsj, const std::string& zfqd) {
  return Guard<bool>("UpdateDdzt", kGrUpdateFailed, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    UpdateOrder(*db, djxh, ddh, ddzt, ddzfsj, zfqd);
    return true;
  });
}

namespace {
void RegisterHnGrsbfjnDAO() {
  RegisterServiceClass(ServiceRowAt(kRowTHnGrsbfjnDAO).iid, &ClassOf<THnGrsbfjnDAO>::Instance());
}
void UnregisterHnGrsbfjnDAO() { UnregisterServiceClass(ServiceRowAt(kRowTHnGrsbfjnDAO).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(41, velmor::RegisterHnGrsbfjnDAO, velmor::UnregisterHnGrsbfjnDAO)
