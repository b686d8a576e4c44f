#include "onlinepay/grsbfjn_dao.h"

#include <nlohmann/json.hpp>

#include "codec/json_parse.h"
#include "framework/boundary.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "service/taxml_json.h"
#include "store/json_text.h"
#include "store/paging.h"
#include "store/row_values.h"
#include "store/sql_filters.h"
#include "store/sql_toolkit.h"

namespace velmor {

namespace {

using Json = nlohmann::ordered_json;
using service::Text;

constexpr const char kListSql[] = "select %s FROM sb_grsbfjfjl WHERE djxh='%s' and 1=1 %s";

SqlFragment Conditions(const Json& f) {
  SqlFilters w;
  w.AddLike(" AND xm like ", Text(f, "xm"))
      .AddValue(" AND zjlx = '%s'", Text(f, "zjlx"))
      .AddLike(" AND zjhm like ", Text(f, "zjhm"));
  if (const std::string ddzt = Text(f, "ddzt"); !ddzt.empty())
    w.Add(SqlFragment::Trusted(" and ddzt in(" + IntegerList(ddzt, "ddzt").str() + ")"));
  w.AddQuoted(" and substr(ddscrq, 1, 7)>=", Text(f, "ddscrqq"))
      .AddQuoted(" and substr(ddscrq, 1, 7)<=", Text(f, "ddscrqz"))
      .AddQuoted(" and zsxmdm = ", Text(f, "zsxmdm"))
      .AddQuoted(" and zspmdm = ", Text(f, "zspmdm"))
      .AddQuoted(" and zszmdm = ", Text(f, "zszmdm"))
      .AddQuoted(" and jfnd = ", Text(f, "jfnd"))
      .AddQuoted(" and pmlx = ", Text(f, "pmlx"))
      .AddQuoted(" and xz_xzjddm = ", Text(f, "xz_xzjddm"))
      .AddQuoted(" and xz_sqhczdm = ", Text(f, "xz_sqhczdm"));
  return w.Build();
}

}  // namespace

template <class R, class F>
R TGrsbfjnDAO::Guard(std::string_view op, const char* text, R fallback, F&& body) {
  ErrorMessage.clear();
  return Guarded<StoreError>({"TGrsbfjnDAO", op}, {text, false}, &ErrorMessage, std::move(fallback),
                             std::forward<F>(body));
}

bool TGrsbfjnDAO::SaveJfxx(const std::string& rows) {
  return Guard<bool>("SaveJfxx", kGrSaveFailed, false, [&] {
    Json lines = ParseOutsideJson<Json>(rows, false);
    if (!lines.is_array() || lines.empty()) throw Exception("订单明细不是非空JSON数组。");
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kGrSaveFailed);
    for (const Json& r : lines) {
      if (!r.is_object()) throw Exception("订单明细不是JSON对象。");
      ExecOrThrow(*db,
                  FormatSql("insert into sb_grsbfjfjl(djxh,spddh,zfddh,ddscrq,ddcssj,syturl,ddzt,lsh,rydjxh,sbjbjgdm,"
                            "rybh,xz_xzjddm,xz_sqhczdm,jfnd,pmlx,zsxmdm,zspmdm,zszmdm,jfje,xm,zjlx,zjhm) values('%s',"
                            "'%s','%s','%s','%s','%s',%d,'%s','%s','%s','%s','%s','%s','%s','%s','%s','%s','%s',%f,"
                            "'%s', '%s','%s')",
                            {V(Text(r, "djxh")), V(Text(r, "spddh")), V(Text(r, "zfddh")), V(Text(r, "ddscrq")),
                             V(Text(r, "ddcssj")), V(Text(r, "syturl")), RowInt(r, "ddzt"), V(Text(r, "lsh")),
                             V(Text(r, "rydjxh")), V(Text(r, "sbjbjgdm")), V(Text(r, "rybh")),
                             V(Text(r, "xz_xzjddm")), V(Text(r, "xz_sqhczdm")), V(Text(r, "jfnd")),
                             V(Text(r, "pmlx")), V(Text(r, "zsxmdm")), V(Text(r, "zspmdm")), V(Text(r, "zszmdm")),
                             RowNumber(r, "jfje"), V(Text(r, "xm")), V(Text(r, "zjlx")), V(Text(r, "zjhm"))}),
                  kGrSaveFailed);
    }
    tx.Commit();
    return true;
  });
}

int32_t TGrsbfjnDAO::GetCount(const std::string& djxh, const std::string& filter) {
  return Guard<int32_t>("GetCount", kGrQueryFailed, -1, [&] {
    SqlFragment where = Conditions(FilterObject(filter));
    Ref<IDBMechanism> db = OpenMainConnection();
    return QueryCount(*db, FormatSql(kListSql, {SqlFragment("COUNT(*) AS zs"), V(djxh), where}), kGrQueryFailed);
  });
}

std::string TGrsbfjnDAO::GetData(const std::string& djxh, const std::string& filter, int32_t page, int32_t pageSize) {
  return Guard<std::string>("GetData", kGrQueryFailed, "[]", [&] {
    SqlFragment where = Conditions(FilterObject(filter));
    SqlFragment tail = SqlFragment(" ORDER BY id DESC") + PagingSuffix(page, pageSize, true);
    Ref<IDBMechanism> db = OpenMainConnection();
    return JsonText(Rows(*db, FormatSql(kListSql, {SqlFragment("*"), V(djxh), where + tail}), kGrQueryFailed));
  });
}

std::string TGrsbfjnDAO::GetAllDjfDataLb(const std::string& djxh, int32_t ddzt) {
  return Guard<std::string>("GetAllDjfDataLb", kGrQueryFailed, "[]", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return JsonText(Rows(*db,
                         FormatSql("select distinct spddh,zfddh from sb_grsbfjfjl where djxh='%s' and ddzt=%d",
                                   {V(djxh), ddzt}),
                         kGrQueryFailed));
  });
}

bool TGrsbfjnDAO::UpdateDdzt(const std::string& djxh, const std::string& spddh, const std::string& zfddh,
                             int32_t ddzt) {
  return Guard<bool>("UpdateDdzt", kGrUpdateFailed, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db,
                FormatSql("update sb_grsbfjfjl set ddzt=%d where djxh='%s' and spddh='%s' and zfddh='%s'",
                          {ddzt, V(djxh), V(spddh), V(zfddh)}),
                kGrUpdateFailed);
    return true;
  });
}

bool TGrsbfjnDAO::SaveDdZfData(const std::string& data) {
  return Guard<bool>("SaveDdZfData", kGrSaveFailed, false, [&] {
    Json d = FilterObject(data);
    if (Text(d, "orderId").empty()) throw Exception("支付数据缺少orderId。");
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db,
                FormatSql("insert into sb_grjfzfxxb(orderId, queryId, ddscsj, zfUrl, qrcodeStr, zffsDm)  "
                          "values(%s, %s, %s, %s, %s, %s)",
                          {Q(Text(d, "orderId")), Q(Text(d, "queryId")), Q(Text(d, "ddscsj")), Q(Text(d, "zfUrl")),
                           Q(Text(d, "qrcodeStr")), Q(Text(d, "zffsDm"))}),
                kGrSaveFailed);
    return true;
  });
}

std::string TGrsbfjnDAO::GetDdZfData(const std::string& orderId, const std::string& queryId) {
  return Guard<std::string>("GetDdZfData", kGrZfDataFailed, "{}", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Json rows = Rows(*db,
                     FormatSql("select ddscsj,zfUrl,qrcodeStr,zffsDm from sb_grjfzfxxb where orderId = %s and "
                               "queryId = %s ",
                               {Q(orderId), Q(queryId)}),
                     kGrZfDataFailed);
    return rows.empty() ? std::string("{}") : JsonText(rows.back());
  });
}

namespace {
void RegisterGrsbfjnDAO() { RegisterServiceClass(ServiceRowAt(kRowTGrsbfjnDAO).iid, &ClassOf<TGrsbfjnDAO>::Instance()); }
void UnregisterGrsbfjnDAO() { UnregisterServiceClass(ServiceRowAt(kRowTGrsbfjnDAO).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(24, velmor::RegisterGrsbfjnDAO, velmor::UnregisterGrsbfjnDAO)
