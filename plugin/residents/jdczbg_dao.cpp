#include "residents/jdczbg_dao.h"

#include "framework/boundary.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "store/paging.h"
#include "store/sql_filters.h"
#include "store/sql_toolkit.h"

namespace velmor {

namespace {

constexpr const char* kClass = "TJdczbgDaoImpl";

template <class R, class F>
R Run(std::string& message, std::string_view op, const char* failText, R fallback, F&& body) {
  message.clear();
  return Guarded<StoreError>({kClass, op, LogForm::kBracketed}, {failText, false}, &message, std::move(fallback),
                             std::forward<F>(body));
}

std::string Col(const nlohmann::ordered_json& row, const char* name) {
  auto it = row.find(name);
  return it == row.end() || !it->is_string() ? std::string() : it->get<std::string>();
}

}  // namespace

std::string JdczbgInsertSql(const JdczbgEntity& e) {
  // Free text (xm, lxdz, hjszd) is quoted like every other value.
  return FormatSql(
      " insert into sb_jdczbgb (djxh, xm, zjlx, zjhm, xzjddm, sqhczdm, xzlxdm, sbjbjgdm, rybh, lxdh, lxdz,  "
      "hjszd, bgid, bgsj, bgzt, cxbz, sjlx, hh) values ( %s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%d,%s) ",
      {Q(e.djxh), Q(e.xm), Q(e.zjlx), Q(e.zjhm), Q(e.xzjddm), Q(e.sqhczdm), Q(e.xzlxdm), Q(e.sbjbjgdm), Q(e.rybh),
       Q(e.lxdh), Q(e.lxdz), Q(e.hjszd), Q(e.bgid), Q(e.bgsj), Q(e.bgzt), Q(e.cxbz), e.sjlx, Q(e.hh)});
}

SqlFragment JdczbgConditions(const JdczbgFilter& f) {
  SqlFilters c;
  c.AddNumber(f.sjlx >= 0, " and sjlx = %d ", f.sjlx)
      .AddLike(" and xm like ", f.xm)
      .AddQuoted(" and zjlx = ", f.zjlx)
      .AddLike(" and zjhm like ", f.zjhm)
      .AddQuoted(" and xzlxdm = ", f.xzlxdm)
      .AddQuoted(" and xzjddm = ", f.xzjddm)
      .AddQuoted(" and sqhczdm = ", f.sqhczdm)
      .AddQuoted(" and substr(bgsj,1,10) >= ", f.bgsjq)
      .AddQuoted(" and substr(bgsj,1,10) <= ", f.bgsjz);
  return c.Build();
}

JdczbgEntity JdczbgFromRow(const nlohmann::ordered_json& row) {
  JdczbgEntity e;
  const std::string id = Col(row, "id"), sjlx = Col(row, "sjlx");
  e.id = id.empty() ? 0 : std::stoll(id);
  e.sjlx = sjlx.empty() ? kJdczbgLocal : std::stoi(sjlx);
  e.djxh = Col(row, "djxh");
  e.xm = Col(row, "xm");
  e.zjlx = Col(row, "zjlx");
  e.zjhm = Col(row, "zjhm");
  e.xzjddm = Col(row, "xzjddm");
  e.sqhczdm = Col(row, "sqhczdm");
  e.xzlxdm = Col(row, "xzlxdm");
  e.sbjbjgdm = Col(row, "sbjbjgdm");
  e.rybh = Col(row, "rybh");
  e.lxdh = Col(row, "lxdh");
  e.lxdz = Col(row, "lxdz");
  e.hjszd = Col(row, "hjszd");
  e.bgid = Col(row, "bgid");
  e.bgsj = Col(row, "bgsj");
  e.bgzt = Col(row, "bgzt");
  e.cxbz = Col(row, "cxbz");
  e.hh = Col(row, "hh");
  return e;
}

bool TJdczbgDaoImpl::insertData(const JdczbgEntity& entity, int64_t& id) {
  return Run(ErrorMessage, "insertData", kDbUpdateFailed, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db);
    ExecOrThrow(*db, JdczbgInsertSql(entity));
    id = QueryCount(*db, " select max(id) as id from sb_jdczbgb ");
    tx.Commit();
    return true;
  });
}

bool TJdczbgDaoImpl::delData(int64_t id) {
  return Run(ErrorMessage, "delData", kDbUpdateFailed, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db, FormatSql(" delete from sb_jdczbgb where id = %d ", {id}));
    return true;
  });
}

bool TJdczbgDaoImpl::replaceDownloaded(const std::string& djxh, const std::string& bgsjq, const std::string& bgsjz,
                                       const std::vector<JdczbgEntity>& entities) {
  return Run(ErrorMessage, "replaceDownloaded", kDbUpdateFailed, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db);
    // Once per download, before any entry: deleting per entry would keep only the last one.
    ExecOrThrow(*db, FormatSql(" delete from sb_jdczbgb where djxh = '%s'  and substr(bgsj,1,10) >= '%s' and "
                               "substr(bgsj,1,10) <= '%s' and sjlx = 1 ",
                               {V(djxh), V(bgsjq), V(bgsjz)}));
    for (JdczbgEntity e : entities) {
      e.djxh = djxh;
      e.sjlx = kJdczbgDownloaded;
      ExecOrThrow(*db, JdczbgInsertSql(e));
    }
    tx.Commit();
    return true;
  });
}

int32_t TJdczbgDaoImpl::getCount(const std::string& djxh, const JdczbgFilter& filter) {
  return Run(ErrorMessage, "getData", kDbQueryFailed, int32_t{-1}, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return QueryCount(*db, FormatSql(" select %s from sb_jdczbgb where djxh = '%s' %s %s ",
                                     {SqlFragment(" count(id) as zs "), V(djxh), JdczbgConditions(filter),
                                      SqlFragment()}));
  });
}

bool TJdczbgDaoImpl::getData(const std::string& djxh, const JdczbgFilter& filter, int32_t page, int32_t pageSize,
                             std::vector<JdczbgEntity>& rows) {
  rows.clear();
  return Run(ErrorMessage, "getData", kDbQueryFailed, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    const std::string sql =
        FormatSql(" select %s from sb_jdczbgb where djxh = '%s' %s %s ",
                  {SqlFragment(" * "), V(djxh), JdczbgConditions(filter) + " order by bgsj desc, id desc ",
                   PagingSuffix(page, pageSize)});
    for (const auto& row : Rows(*db, sql)) rows.push_back(JdczbgFromRow(row));
    return true;
  });
}

namespace {
void RegisterJdczbgDao() {
  RegisterServiceClass(ServiceRowAt(kRowTJdczbgDaoImpl).iid, &ClassOf<TJdczbgDaoImpl>::Instance());
}
void UnregisterJdczbgDao() { UnregisterServiceClass(ServiceRowAt(kRowTJdczbgDaoImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(31, velmor::RegisterJdczbgDao, velmor::UnregisterJdczbgDao)
