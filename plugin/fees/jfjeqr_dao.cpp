#include "fees/jfjeqr_dao.h"

#include "business/date_time.h"
#include "fees/jfjeqr_dao_guard.h"
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

// An amount member as a number (0 for none); a text that is no number raises.
double AmountOf(const Json& row, const char* key) {
  auto it = row.find(key);
  if (it == row.end() || it->is_null()) return 0;
  if (it->is_number()) return it->get<double>();
  const std::string s = Text(row, key);
  if (s.empty()) return 0;
  size_t used = 0;
  double v = std::stod(s, &used);
  if (used != s.size()) throw Exception(std::string(key) + "[" + s + "]不是金额");
  return v;
}

SqlFragment JfjeqrWhere(const Json& f) {
  SqlFilters w;
  w.AddLike(" and xm like ", Text(f, "xm"))
      .AddQuoted(" and zjlx=", Text(f, "zjlx"))
      .AddLike(" and zjhm like ", Text(f, "zjhm"))
      .AddQuoted(" and tjsj >= ", Text(f, "tjsjq"))
      .AddQuoted(" and tjsj <= ", Text(f, "tjsjz"))
      .AddQuoted(" and pmlx = ", Text(f, "pmlx"))
      .AddQuoted(" and sxnd = ", Text(f, "sxnd"));
  return w.Build();
}

SqlFragment SbfkfsqWhere(const Json& f) {
  SqlFilters w;
  w.AddLike(" and xm like ", Text(f, "xm"))
      .AddQuoted(" and zjlx=", Text(f, "zjlx"))
      .AddLike(" and zjhm like ", Text(f, "zjhm"))
      .AddQuoted(" and wtrq >= ", Text(f, "sqsjq"))
      .AddQuoted(" and wtrq <= ", Text(f, "sqsjz"));
  const std::string zt = Text(f, "zt");
  if (zt == "0" || zt == "1") w.AddNumber(true, " and zt=%d", zt == "1" ? 1 : 0);
  return w.Build();
}

}  // namespace

const TJfjeqrDAOImpl::ListQuery TJfjeqrDAOImpl::kJfjeqrList{"sb_grjfjeqrb", JfjeqrWhere, "数据库查询异常：",
                                                             kDbQueryFailed};
const TJfjeqrDAOImpl::ListQuery TJfjeqrDAOImpl::kSbfkfsqList{"sb_grsbfkfsqb", SbfkfsqWhere, "数据库查询异常：",
                                                              kDbQueryFailed};

std::string TJfjeqrDAOImpl::Page(std::string_view op, const ListQuery& q, const std::string& djxh,
                                 const std::string& filter, int32_t page, int32_t pageSize) {
  return Guard<std::string>(op, q.prefixError, true, "[]", [&] {
    SqlFragment where = q.where(FilterObject(filter));
    Ref<IDBMechanism> db = OpenMainConnection();
    return JsonText(Rows(*db,
                         FormatSql("select %s from %s where djxh = %s %s %s %s",
                                   {SqlFragment("*"), SqlFragment::Trusted(q.table), Q(djxh), where,
                                    SqlFragment(" order by id desc"), PagingSuffix(page, pageSize, true)}),
                         q.failText));
  });
}

int32_t TJfjeqrDAOImpl::CountOf(std::string_view op, const ListQuery& q, const std::string& djxh,
                                const std::string& filter) {
  return Guard<int32_t>(op, q.prefixError, true, -1, [&] {
    SqlFragment where = q.where(FilterObject(filter));
    Ref<IDBMechanism> db = OpenMainConnection();
    return QueryCount(*db,
                      FormatSql("select %s from %s where djxh = %s %s",
                                {SqlFragment("COUNT(*) AS zs"), SqlFragment::Trusted(q.table), Q(djxh), where}),
                      q.failText);
  });
}

bool TJfjeqrDAOImpl::SaveJfjeqr(const std::string& djxh, const std::string& lines) {
  return Guard<bool>("SaveJfjeqr", kJfjeqrSaveError, true, false, [&] {
    Json rows = ParseOutsideJson<Json>(lines);
    if (!rows.is_array()) throw Exception("缴费金额确认列表不是数组。");
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kJfjeqrSaveFailed);
    const std::string now = NowText();
    for (const Json& r : rows) {
      ExecOrThrow(*db,
                  FormatSql("insert into sb_grjfjeqrb(djxh,rydjxh,xm,zjlx,zjhm,sbjbjgdm,cxjmsbbm,pmlx,zsxmdm,zspmdm,"
                            "zszmdm,jffsdm,sxnd,yjfedc,yjfe,tjsj) values ('%s', '%s', '%s', '%s', '%s', '%s', '%s', "
                            "'%s', '%s', '%s', '%s', '%s', '%s','%s', %f, '%s')",
                            {V(djxh), V(Text(r, "rydjxh")), V(Text(r, "xm")), V(Text(r, "zjlx")), V(Text(r, "zjhm")),
                             V(Text(r, "sbjbjgdm")), V(Text(r, "rybh")), V(Text(r, "pmlx")), V(Text(r, "zsxmdm")),
                             V(Text(r, "zspmdm")), V(Text(r, "zszmdm")), V(Text(r, "jffs")), V(Text(r, "jfnd")),
                             V(Text(r, "jfjedc")), AmountOf(r, "jfje"), V(now)}),
                  kJfjeqrSaveFailed);
    }
    tx.Commit();
    return true;
  });
}

int32_t TJfjeqrDAOImpl::GetJfjeqrCount(const std::string& djxh, const std::string& filter) {
  return CountOf("GetJfjeqrCount", kJfjeqrList, djxh, filter);
}

std::string TJfjeqrDAOImpl::GetData(const std::string& djxh, const std::string& filter, int32_t page,
                                    int32_t pageSize) {
  return Page("GetData", kJfjeqrList, djxh, filter, page, pageSize);
}

bool TJfjeqrDAOImpl::SaveSbfkfsq(const std::string& djxh, const std::string& authorisation) {
  return Guard<bool>("SaveSbfkfsq", kSbfkfsqSaveError, false, false, [&] {
    Json a = ParseOutsideJson<Json>(authorisation);
    if (!a.is_object()) throw Exception("授权信息不是JSON对象。");
    // The account bank comes back from the server as khhyhdm/khhyhmc and is stored as khyhdm/khyhmc.
    const std::string khyhdm = Text(a, "khyhdm").empty() ? Text(a, "khhyhdm") : Text(a, "khyhdm");
    const std::string khyhmc = Text(a, "khyhmc").empty() ? Text(a, "khhyhmc") : Text(a, "khyhmc");
    const std::string rydjxh = Text(a, "rydjxh");
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kSbfkfsqSaveFailed);
    ExecOrThrow(*db, FormatSql("delete from sb_grsbfkfsqb where djxh='%s' and rydjxh='%s' and zt=0", {V(djxh), V(rydjxh)}),
                kSbfkfsqDeleteFailed);
    ExecOrThrow(*db,
                FormatSql("insert into sb_grsbfkfsqb(djxh,rydjxh,xm,zjlx,zjhm,yhdm,yhzldm,khyhdm,khyhmc,fkzh,xysh,wtrq,zt) "
                          "values('%s','%s','%s','%s','%s','%s','%s','%s','%s','%s','%s','%s',%d)",
                          {V(djxh), V(rydjxh), V(Text(a, "xm")), V(Text(a, "zjlx")), V(Text(a, "zjhm")),
                           V(Text(a, "yhdm")), V(Text(a, "yhzldm")), V(khyhdm), V(khyhmc), V(Text(a, "fkzh")),
                           V(Text(a, "xysh")), V(Text(a, "wtrq")), 0}),
                kSbfkfsqSaveFailed);
    tx.Commit();
    return true;
  });
}

int32_t TJfjeqrDAOImpl::GetSbfkfsqCount(const std::string& djxh, const std::string& filter) {
  return CountOf("GetSbfkfsqCount", kSbfkfsqList, djxh, filter);
}

std::string TJfjeqrDAOImpl::GetSbfkfsqData(const std::string& djxh, const std::string& filter, int32_t page,
                                           int32_t pageSize) {
  return Page("GetSbfkfsqData", kSbfkfsqList, djxh, filter, page, pageSize);
}

bool TJfjeqrDAOImpl::SbfkfsqZf(int32_t id) {
  return Guard<bool>("SbfkfsqZf", kSbfkfsqZfError, false, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db, FormatSql("update sb_grsbfkfsqb set zt=1 where id=%d", {id}), kSbfkfsqZfFailed);
    return true;
  });
}

namespace {
void RegisterJfjeqrDAO() {
  RegisterServiceClass(ServiceRowAt(kRowTJfjeqrDAOImpl).iid, &ClassOf<TJfjeqrDAOImpl>::Instance());
}
void UnregisterJfjeqrDAO() { UnregisterServiceClass(ServiceRowAt(kRowTJfjeqrDAOImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(26, velmor::RegisterJfjeqrDAO, velmor::UnregisterJfjeqrDAO)
