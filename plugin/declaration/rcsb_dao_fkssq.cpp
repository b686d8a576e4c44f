// TRcsbDAO.FillNullFkssq: declared details stored without fee period (a list download that
// brought none) get it from their persons, whose rows carry the period of each fee.
#include "declaration/dao_support.h"
#include "declaration/rcsb_dao.h"
#include "store/sql.h"

namespace velmor {

using namespace declaration;

namespace {
constexpr const char* kExecFailed = "数据库执行失败";
constexpr const char* kExecException = "数据库执行异常";
}  // namespace

bool TRcsbDAO::FillNullFkssq(const std::string& djxh, int32_t& filled) {
  filled = 0;
  return GuardDao("FillNullFkssq", &ErrorMessage, kExecException, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kExecException);
    // Persons of the same sub-item, and of the same year when the detail names one.
    Json found = Rows(*db,
                      FormatSql("select mxb.id as id, min(ryb.fkssqq) as fkssqq, max(ryb.fkssqz) as fkssqz from "
                                "ds_sbmxb mxb inner join ds_sbzb zb on zb.id = mxb.zbid inner join ds_sbrymxb ryb on "
                                "ryb.mxbid = zb.id and ryb.zspmdm = mxb.zspmdm and ifnull(ryb.fkssqq, '') <> '' and "
                                "ifnull(ryb.fkssqz, '') <> '' and (ifnull(mxb.jfnd, '') = '' or ryb.jfnd = mxb.jfnd) "
                                "where zb.djxh = %s and zb.sbzt in (2, 6) and ifnull(mxb.fkssqq, '') = '' "
                                "group by mxb.id order by mxb.id",
                                {Q(djxh)}),
                      kExecFailed);
    for (const Json& r : found) {
      ExecOrThrow(*db,
                  FormatSql("update ds_sbmxb set fkssqq = %s, fkssqz = %s where id = %d",
                            {Q(Text(r, "fkssqq")), Q(Text(r, "fkssqz")), Int(r, "id")}),
                  kExecFailed);
    }
    tx.Commit();
    filled = static_cast<int32_t>(found.size());
    return true;
  });
}

}  // namespace velmor
