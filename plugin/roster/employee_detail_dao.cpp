#include "roster/employee_detail_dao.h"

#include "business/date_time.h"
#include "framework/boundary.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "store/json_text.h"
#include "store/sql_filters.h"
#include "store/sql_toolkit.h"

namespace velmor {

namespace {

constexpr const char* kClass = "TEmployeeDetailDaoImpl";

template <class R, class F>
R Run(std::string& message, std::string_view op, F&& body) {
  message.clear();
  return Guarded<StoreError>({kClass, op, LogForm::kBracketed}, {kDbQueryFailed, false}, &message, R{},
                             std::forward<F>(body));
}

std::vector<std::string> Texts(const nlohmann::ordered_json& column) {
  std::vector<std::string> out;
  for (const auto& v : column) out.push_back(v.is_string() ? v.get<std::string>() : std::string());
  return out;
}

// The year condition of operations 1 and 2 on the enrolment's `column` (rybh or sbjbjgdm).
SqlFragment YearCondition(const SqlFragment& column, const std::string& year) {
  if (year.empty()) return {};
  return SqlFragment(" and ") + column +
         SqlFragment::Trusted(FormatSql(
             " in  (select %s from sb_rycbxmb  where sb_rycbxmb.rydjxh = sb_rycbjgxxb.rydjxh and sb_rycbxmb.rybh = "
             "sb_rycbjgxxb.rybh  and sb_rycbxmb.sbjbjgdm = sb_rycbjgxxb.sbjbjgdm and sb_rycbxmb.djnd = '%s') ",
             {column, V(year)}));
}

}  // namespace

SqlFragment CbxmDetailConditions(const CbxmDetailFilter& f, const std::string& month) {
  SqlFilters c;
  c.AddValue(" and a.rybh = '%s' ", f.rybh)
      .AddValue(" and a.sbjbjgdm = '%s' ", f.sbjbjgdm)
      .AddValue(" and a.djnd = '%s' ", f.djnd);
  if (f.validity == CbxmValidity::kValid)
    c.AddValue(" and a.yxbz ='Y' and b.yxbz ='Y' and a.tzjfyf >= '%s' ", month);
  else if (f.validity == CbxmValidity::kInvalid)
    c.AddValue("  and (a.yxbz='N' or a.yxbz is null or a.tzjfyf < '%s' ) ", month);
  return c.Build();
}

std::vector<std::string> TEmployeeDetailDaoImpl::getRybhData(const std::string& djxh, const std::string& rydjxh,
                                                             const std::string& year) {
  return Run<std::vector<std::string>>(ErrorMessage, "getRybhData", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return Texts(FirstColumn(
        *db, FormatSql(" select distinct rybh  from sb_rycbjgxxb  where djxh = '%s' and rydjxh = '%s' %s",
                       {V(djxh), V(rydjxh), YearCondition("rybh", year)})));
  });
}

std::vector<std::string> TEmployeeDetailDaoImpl::getSbjbjgData(const std::string& djxh, const std::string& rydjxh,
                                                               const std::string& rybh, const std::string& year) {
  return Run<std::vector<std::string>>(ErrorMessage, "getSbjbjgData", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    SqlFilters c;
    c.AddQuoted(" and rybh = ", rybh).Add(YearCondition("sbjbjgdm", year));
    return Texts(FirstColumn(
        *db, FormatSql(" select distinct sbjbjgdm  from sb_rycbjgxxb  where djxh = '%s' and rydjxh = '%s' %s ",
                       {V(djxh), V(rydjxh), c.Build()})));
  });
}

std::vector<TRycbmxEntity> TEmployeeDetailDaoImpl::getData(const std::string& djxh, const std::string& rydjxh,
                                                           const std::string& rybh, const std::string& sbjbjgdm) {
  return Run<std::vector<TRycbmxEntity>>(ErrorMessage, "getData", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    std::vector<TRycbmxEntity> out;
    const std::string sql = FormatSql(
        " select distinct sbhm, xzqhdm, sqhczdm, gxsj  from sb_rycbjgxxb  where djxh = '%s' and rydjxh = '%s' and "
        "rybh = '%s' and sbjbjgdm = '%s' ",
        {V(djxh), V(rydjxh), V(rybh), V(sbjbjgdm)});
    for (const auto& row : Rows(*db, sql))
      out.push_back({sbjbjgdm, rybh, RowText(row, "sbhm"), RowText(row, "xzqhdm"), RowText(row, "sqhczdm"),
                     RowText(row, "gxsj")});
    return out;
  });
}

std::vector<TRycbxmEntity> TEmployeeDetailDaoImpl::getCbxmData(const std::string& djxh, const std::string& rydjxh,
                                                               const CbxmDetailFilter& filter) {
  return Run<std::vector<TRycbxmEntity>>(ErrorMessage, "getCbxmData", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    const std::string sql = FormatSql(
        " select distinct a.rydjxh, a.rybh, a.sbjbjgdm, a.xzid, a.zsxmdm, a.zspmdm, a.zszmdm, a.tcqdm, a.xzjddm,     "
        "a.sqhczdm, a.cbrytslbdm, a.ksjfyf, a.tzjfyf, a.yxbz, a.gxsj, a.xzlxdm, b.yxbz as cbjgYxbz, a.djnd, a.yjfe  "
        "from sb_rycbxmb a left outer join sb_rycbjgxxb b on a.djxh = b.djxh and a.rydjxh = b.rydjxh  and a.rybh = "
        "b.rybh and a.sbjbjgdm = b.sbjbjgdm  where a.djxh = '%s' and a.rydjxh = '%s' and a.rybh <> '' %s ",
        {V(djxh), V(rydjxh), CbxmDetailConditions(filter, CurrentMonth())});
    std::vector<TRycbxmEntity> out;
    for (const auto& r : Rows(*db, sql)) {
      TRycbxmEntity e;
      e.rydjxh = RowText(r, "rydjxh");
      e.rybh = RowText(r, "rybh");
      e.sbjbjgdm = RowText(r, "sbjbjgdm");
      e.xzid = RowText(r, "xzid");
      e.zsxmdm = RowText(r, "zsxmdm");
      e.zspmdm = RowText(r, "zspmdm");
      e.zszmdm = RowText(r, "zszmdm");
      e.tcqdm = RowText(r, "tcqdm");
      e.xzjddm = RowText(r, "xzjddm");
      e.sqhczdm = RowText(r, "sqhczdm");
      e.cbrytslbdm = RowText(r, "cbrytslbdm");
      e.ksjfyf = RowText(r, "ksjfyf");
      e.tzjfyf = RowText(r, "tzjfyf");
      e.yxbz = RowText(r, "yxbz");
      e.gxsj = RowText(r, "gxsj");
      e.xzlxdm = RowText(r, "xzlxdm");
      e.cbjgYxbz = RowText(r, "cbjgYxbz");
      e.djnd = RowText(r, "djnd");
      e.yjfe = RowText(r, "yjfe");
      out.push_back(std::move(e));
    }
    return out;
  });
}

namespace {
void RegisterDetailDao() {
  RegisterServiceClass(ServiceRowAt(kRowTEmployeeDetailDaoImpl).iid, &ClassOf<TEmployeeDetailDaoImpl>::Instance());
}
void UnregisterDetailDao() { UnregisterServiceClass(ServiceRowAt(kRowTEmployeeDetailDaoImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(15, velmor::RegisterDetailDao, velmor::UnregisterDetailDao)
