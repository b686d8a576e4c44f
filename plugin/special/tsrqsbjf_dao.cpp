#include "special/tsrqsbjf_dao.h"

#include <cstdlib>

#include <nlohmann/json.hpp>

#include "framework/boundary.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "service/taxml_json.h"
#include "store/json_text.h"
#include "store/paging.h"
#include "store/sql_filters.h"
#include "store/sql_toolkit.h"
#include "codec/json_parse.h"

namespace velmor {

namespace {

using Json = nlohmann::ordered_json;
using service::Text;

// The grouped list: one row per declaration and line, whatever copies the table holds.
constexpr const char kListSql[] =
    " select %s from (select distinct djxh, rydjxh, xm, zjlx, zjhm, sbjbjgdm, rybh,  zsxmdm, zspmdm, zszmdm, "
    "cbrytslbDm, cbrytslbMc, sblx, sbrq, yzpzxh,  sbzt, jfzt, cwxx, jfns, jfys, max(jfje) jfje, max(jfdc) jfdc,  "
    "max(fkssqq) fkssqq, max(fkssqz) fkssqz  from ds_tsrqsbjlb  where %s group by djxh, rydjxh, xm, zjlx, zjhm, "
    "sbjbjgdm, rybh,  zsxmdm, zspmdm, zszmdm, cbrytslbDm, cbrytslbMc, sblx, sbrq, yzpzxh,  sbzt, jfzt, jfns, jfys, "
    "cwxx ) %s %s ";

// "2,6" as the SQL list "2, 6"; anything but integers raises (the text goes into the statement).
SqlFragment IntegerList(const std::string& text, const char* key) {
  std::string out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    std::string part = text.substr(start, end - start);
    while (!part.empty() && part.front() == ' ') part.erase(0, 1);
    while (!part.empty() && part.back() == ' ') part.pop_back();
    if (part.empty() || part.find_first_not_of("0123456789") != std::string::npos || part.size() > 9)
      throw Exception(std::string("查询条件") + key + "[" + text + "]不是整数列表。");
    out += (out.empty() ? "" : ", ") + part;
    start = end + 1;
  }
  return SqlFragment::Trusted(out);
}

SqlFragment WhereOf(const std::string& djxh, const Json& f) {
  SqlFilters w;
  w.AddLike(" and xm like ", Text(f, "xm"))
      .AddQuoted(" and zjlx = ", Text(f, "zjlx"))
      .AddLike(" and zjhm like ", Text(f, "zjhm"))
      .AddQuoted(" and sbjbjgdm = ", Text(f, "sbjbjgdm"))
      .AddQuoted(" and sblx = ", Text(f, "sblx"));
  for (const char* key : {"sbzt", "jfzt"}) {
    const std::string v = Text(f, key);
    if (v.empty()) continue;
    w.Add(SqlFragment::Trusted(std::string(" and ") + key + " in (" + IntegerList(v, key).str() + ")"));
  }
  return SqlFragment::Trusted(FormatSql(" djxh = %s", {Q(djxh)})) + w.Build();
}

// A member as an integer (0 when absent or empty); a text that is no integer raises.
int32_t IntOf(const Json& row, const char* key) {
  const std::string s = Text(row, key);
  if (s.empty()) return 0;
  char* end = nullptr;
  long v = std::strtol(s.c_str(), &end, 10);
  if (*end) throw Exception(std::string(key) + "[" + s + "]不是整数。");
  return static_cast<int32_t>(v);
}

// A member as a number (0 when absent or empty); a text that is no number raises.
double NumberOf(const Json& row, const char* key) {
  const std::string s = Text(row, key);
  if (s.empty()) return 0;
  char* end = nullptr;
  double v = std::strtod(s.c_str(), &end);
  if (*end) throw Exception(std::string(key) + "[" + s + "]不是数字。");
  return v;
}

}  // namespace

template <class R, class F>
R TTsrqsbjfDAOImpl::Guard(std::string_view op, const char* text, R fallback, F&& body) {
  ErrorMessage.clear();
  return Guarded<StoreError>({"TTsrqsbjfDAOImpl", op}, {text, false}, &ErrorMessage, std::move(fallback),
                             std::forward<F>(body));
}

int32_t TTsrqsbjfDAOImpl::GetCount(const std::string& djxh, const std::string& filter) {
  return Guard<int32_t>("GetCount", kTsrqListFailed, -1, [&] {
    SqlFragment where = WhereOf(djxh, FilterObject(filter));
    Ref<IDBMechanism> db = OpenMainConnection();
    return QueryCount(*db, FormatSql(kListSql, {SqlFragment("COUNT(*) AS zs"), where, SqlFragment(), SqlFragment()}),
                      kTsrqListFailed);
  });
}

std::string TTsrqsbjfDAOImpl::GetData(const std::string& djxh, const std::string& filter, int32_t page,
                                      int32_t pageSize) {
  return Guard<std::string>("GetData", kTsrqListFailed, "[]", [&] {
    SqlFragment where = WhereOf(djxh, FilterObject(filter));
    Ref<IDBMechanism> db = OpenMainConnection();
    return JsonText(Rows(*db,
                         FormatSql(kListSql, {SqlFragment("*"), where, SqlFragment(" order by sbrq desc, xm"),
                                              PagingSuffix(page, pageSize, true)}),
                         kTsrqListFailed));
  });
}

bool TTsrqsbjfDAOImpl::UpdateSbzt(const std::string& oldYzpzxh, int32_t sbzt, const std::string& yzpzxh,
                                  const std::string& cwxx, const std::string& sbrq) {
  return Guard<bool>("UpdateSbzt", kTsrqSbztFailed, false, [&] {
    // The verdict's date replaces the submission's: a late verdict is dated by the server.
    SqlFragment date = sbrq.empty() ? SqlFragment() : SqlFragment::Trusted(FormatSql(", sbrq=%s", {Q(sbrq)}));
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db,
                FormatSql("update ds_tsrqsbjlb set sbzt=%d, yzpzxh=%s, cwxx=%s%s where yzpzxh = %s",
                          {sbzt, Q(yzpzxh), Q(cwxx), date, Q(oldYzpzxh)}),
                kTsrqSbztFailed);
    return true;
  });
}

bool TTsrqsbjfDAOImpl::UpdateJfzt(const std::string& yzpzxh, const std::string& zsxmdm, const std::string& zspmdm,
                                  const std::string& zszmdm, int32_t jfzt, const std::string& cwxx) {
  return Guard<bool>("UpdateJfzt", kTsrqJfztFailed, false, [&] {
    SqlFilters w;
    w.AddQuoted(" yzpzxh=", yzpzxh).AddQuoted(" and zsxmdm=", zsxmdm).AddQuoted(" and zspmdm=", zspmdm);
    if (zszmdm != "null") w.AddQuoted(" and zszmdm=", zszmdm);
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db, FormatSql("update ds_tsrqsbjlb set jfzt=%d, cwxx=%s where %s", {jfzt, Q(cwxx), w.Build()}),
                kTsrqJfztFailed);
    return true;
  });
}

std::string TTsrqsbjfDAOImpl::getByYzpzxh(const std::string& yzpzxh) {
  return Guard<std::string>("getByYzpzxh", kTsrqQueryFailed, "[]", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return JsonText(
        Rows(*db, FormatSql(" select * from ds_tsrqsbjlb where yzpzxh = '%s' ", {V(yzpzxh)}), kTsrqQueryFailed));
  });
}

bool TTsrqsbjfDAOImpl::UpdateLjeJfzt(const std::string& yzpzxh, int32_t jfzt) {
  return Guard<bool>("UpdateLjeJfzt", kTsrqJfztFailed, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db,
                FormatSql(" update ds_tsrqsbjlb set jfzt = %d where yzpzxh in  (select yzpzxh from  (select yzpzxh, "
                          "sum(jfje) jfje from ds_tsrqsbjlb where yzpzxh = '%s' and sbzt in (2, 6)  group by "
                          "yzpzxh) where jfje = 0) ",
                          {jfzt, V(yzpzxh)}),
                kTsrqJfztFailed);
    return true;
  });
}

bool TTsrqsbjfDAOImpl::SaveSbjl(const std::string& rows) {
  return Guard<bool>("SaveSbjl", kTsrqSaveFailed, false, [&] {
    Json lines = ParseOutsideJson<Json>(rows, false);
    if (!lines.is_array()) throw Exception("申报记录不是JSON数组。");
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kTsrqSaveFailed);
    for (const Json& r : lines) {
      if (!r.is_object()) throw Exception("申报记录不是JSON对象。");
      ExecOrThrow(*db,
                  FormatSql(" insert into ds_tsrqsbjlb (djxh, rydjxh, xm, zjlx, zjhm, sbjbjgdm, rybh,  zsxmdm, zspmdm, "
                            "zszmdm, cbrytslbDm, cbrytslbMc, fkssqq, fkssqz, sbrq, yzpzxh, sblx, sbzt, jfzt, jfje, "
                            "jfdc, jfns, jfys) values (%s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s, "
                            "%s, %d, %d, %d, %f, %f, %f, %f) ",
                            {Q(Text(r, "djxh")), Q(Text(r, "rydjxh")), Q(Text(r, "xm")), Q(Text(r, "zjlx")),
                             Q(Text(r, "zjhm")), Q(Text(r, "sbjbjgdm")), Q(Text(r, "rybh")), Q(Text(r, "zsxmdm")),
                             Q(Text(r, "zspmdm")), Q(Text(r, "zszmdm")), Q(Text(r, "cbrytslbDm")),
                             Q(Text(r, "cbrytslbMc")), Q(Text(r, "fkssqq")), Q(Text(r, "fkssqz")), Q(Text(r, "sbrq")),
                             Q(Text(r, "yzpzxh")), IntOf(r, "sblx"), IntOf(r, "sbzt"), IntOf(r, "jfzt"),
                             NumberOf(r, "jfje"), NumberOf(r, "jfdc"), NumberOf(r, "jfns"), NumberOf(r, "jfys")}),
                  kTsrqSaveFailed);
    }
    tx.Commit();
    return true;
  });
}

namespace {
void RegisterTsrqsbjfDAO() {
  RegisterServiceClass(ServiceRowAt(kRowTTsrqsbjfDAOImpl).iid, &ClassOf<TTsrqsbjfDAOImpl>::Instance());
}
void UnregisterTsrqsbjfDAO() { UnregisterServiceClass(ServiceRowAt(kRowTTsrqsbjfDAOImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(37, velmor::RegisterTsrqsbjfDAO, velmor::UnregisterTsrqsbjfDAO)
