#include "roster/employee_unpaid_dao.h"

#include "framework/boundary.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "store/json_text.h"
#include "store/paging.h"
#include "store/sql_filters.h"
#include "store/sql_toolkit.h"

namespace velmor {

namespace {

// Only items the payer still pays for can be unpaid: the item must be valid and its payment
// months must reach into the year asked (an item stopped years ago is not unpaid this year, nor
// is one that starts next year). Months compare by their year part; an open end counts as open.
SqlFragment ValidInYear(const std::string& jfnd) {
  SqlFilters c;
  c.Add(" and ryb.xzyxbz = 'Y' ");
  if (!jfnd.empty()) {
    c.AddValue(" and (ryb.ksjfyf is null or ryb.ksjfyf = '' or substr(ryb.ksjfyf,1,4) <= '%s') ", jfnd)
        .AddValue(" and (ryb.tzjfyf is null or ryb.tzjfyf = '' or substr(ryb.tzjfyf,1,4) >= '%s') ", jfnd);
  }
  return c.Build();
}

}  // namespace

std::string UnpaidListSql(const std::string& djxh, const UnpaidFilter& f, int32_t page, int32_t pageSize) {
  SqlFilters year;
  year.AddQuoted(" where jfnd = ", f.jfnd);
  SqlFilters c;
  c.AddLike(" and ryb.xm like ", f.xm)
      .AddQuoted(" and ryb.zjlx = ", f.zjlx)
      .AddLike(" and ryb.zjhm like ", f.zjhm);
  if (f.fzid != -1) c.AddQuoted(" and ryb.fullpath like", "%," + std::to_string(f.fzid) + ",%");
  c.AddQuoted(" and ryb.pmlx = ", f.pmlx)
      .AddValue(" and ryb.xzjddm = '%s'", f.xzjddm)
      .AddValue(" and ryb.sqhczdm = '%s'", f.sqhczdm)
      .Add(ValidInYear(f.jfnd));
  return FormatSql(
      "SELECT ryb.*,djb.jfnd FROM  (SELECT e.*,f.fullname FROM  (SELECT c.*,d.zsxmdm,d.zspmdm,d.zszmdm,d.pmlx,"
      "d.xzjddm,d.sqhczdm,d.cbrytslbdm,d.xzid,d.yxbz as xzyxbz,d.ksjfyf,d.tzjfyf FROM  (SELECT a.*,b.sbjbjgdm,b.rybh "
      "FROM sb_ryjbxxb a INNER JOIN sb_rycbjgxxb b on a.djxh=b.djxh and a.rydjxh=b.rydjxh)  c INNER JOIN sb_rycbxmb d "
      "on c.djxh=d.djxh and c.rydjxh=d.rydjxh and c.rybh = d.rybh and c.sbjbjgdm=d.sbjbjgdm) e  LEFT JOIN sb_fzxxb f "
      "on e.fzid=f.id) ryb  LEFT JOIN (SELECT djxh, rydjxh, zsxmdm, zspmdm, zszmdm, jfnd from ds_sbjfrydjxxb %s) djb  "
      "on ryb.djxh=djb.djxh and ryb.rydjxh=djb.rydjxh and ryb.zsxmdm=djb.zsxmdm and ryb.zspmdm=djb.zspmdm and "
      "ryb.zszmdm=djb.zszmdm  WHERE ryb.djxh='%s' and djb.jfnd is null %s %s %s ",
      {year.Build(), V(djxh), c.Build(), SqlFragment("ORDER BY ryb.xm asc,ryb.zspmdm asc"),
       PagingSuffix(page, pageSize)});
}

bool TEmployeeUnpaidDaoImpl::getData(const std::string& djxh, const UnpaidFilter& filter, int32_t page,
                                     int32_t pageSize, std::vector<TEmployeeUnpaidEntity>& rows) {
  rows.clear();
  ErrorMessage.clear();
  return Guarded<StoreError>({"TEmployeeUnpaidDaoImpl", "getData", LogForm::kBracketed}, {kDbQueryFailed, false},
                             &ErrorMessage, false, [&] {
                               Ref<IDBMechanism> db = OpenMainConnection();
                               for (const auto& r : Rows(*db, UnpaidListSql(djxh, filter, page, pageSize))) {
                                 TEmployeeUnpaidEntity e;
                                 e.rydjxh = RowText(r, "rydjxh");
                                 e.xm = RowText(r, "xm");
                                 e.zjlx = RowText(r, "zjlx");
                                 e.zjhm = RowText(r, "zjhm");
                                 e.phonenumber = RowText(r, "phonenumber");
                                 e.fullname = RowText(r, "fullname");
                                 e.sbjbjgdm = RowText(r, "sbjbjgdm");
                                 e.rybh = RowText(r, "rybh");
                                 e.xzid = RowText(r, "xzid");
                                 e.zsxmdm = RowText(r, "zsxmdm");
                                 e.zspmdm = RowText(r, "zspmdm");
                                 e.zszmdm = RowText(r, "zszmdm");
                                 e.pmlx = RowText(r, "pmlx");
                                 e.xzjddm = RowText(r, "xzjddm");
                                 e.sqhczdm = RowText(r, "sqhczdm");
                                 e.cbrytslbdm = RowText(r, "cbrytslbdm");
                                 e.ksjfyf = RowText(r, "ksjfyf");
                                 e.tzjfyf = RowText(r, "tzjfyf");
                                 rows.push_back(std::move(e));
                               }
                               return true;
                             });
}

namespace {
void RegisterUnpaidDao() {
  RegisterServiceClass(ServiceRowAt(kRowTEmployeeUnpaidDaoImpl).iid, &ClassOf<TEmployeeUnpaidDaoImpl>::Instance());
}
void UnregisterUnpaidDao() { UnregisterServiceClass(ServiceRowAt(kRowTEmployeeUnpaidDaoImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(17, velmor::RegisterUnpaidDao, velmor::UnregisterUnpaidDao)
