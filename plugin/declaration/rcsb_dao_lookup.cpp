// TRcsbDAO: masters with their details by voucher, the voucher / summary-line pairs of a period,
// and the names of persons downloaded without one, filled from the roster.
#include <string>

#include "declaration/dao_support.h"
#include "declaration/rcsb_dao.h"
#include "store/db_access.h"
#include "store/json_text.h"
#include "store/sql.h"

namespace velmor {

using namespace declaration;

namespace {
constexpr const char* kExecFailed = "数据库执行失败";
constexpr const char* kExecException = "数据库执行异常";
constexpr const char* kLookupFailed = "数据库查询失败";
constexpr const char* kLookupException = "数据库查询异常";

// "'a', 'b'" from a JSON array of texts, every value quote-doubled; raises for other input.
std::string QuotedList(const std::string& array, const char* userText) {
  Json list = ParseArray(array, userText);
  std::string out;
  for (const Json& v : list) {
    if (!v.is_string()) throw StoreError(userText, "：列表值不是文本");
    out += (out.empty() ? "" : ", ") + FormatSql("%s", {Q(v.get<std::string>())});
  }
  return out;
}
}  // namespace

bool TRcsbDAO::QuerySbzbDatas(const std::string& djxh, const std::string& yzpzxhs, const std::string& zspmdms,
                              std::string& rows) {
  return GuardDao("QuerySbzbDatas", &ErrorMessage, kLookupException, false, [&] {
    const std::string vouchers = QuotedList(yzpzxhs, kLookupException);
    const std::string items = zspmdms.empty() ? "" : QuotedList(zspmdms, kLookupException);
    Json out = Json::array();
    if (vouchers.empty()) {
      rows = JsonText(out);
      return true;
    }
    Ref<IDBMechanism> db = OpenMainConnection();
    const std::string itemFilter = items.empty() ? "" : " and zspmdm in (" + items + ")";
    Json masters = Rows(*db,
                        FormatSql("select * from ds_sbzb where djxh = %s and yzpzxh in (%s) order by id",
                                  {Q(djxh), SqlFragment::Trusted(vouchers)}),
                        kLookupFailed);
    for (Json& m : masters) {
      Json details = Rows(*db,
                          FormatSql("select * from ds_sbmxb where zbid = %d%s order by id",
                                    {Int(m, "id"), SqlFragment::Trusted(itemFilter)}),
                          kLookupFailed);
      if (details.empty()) continue;
      m["details"] = std::move(details);
      out.push_back(std::move(m));
    }
    rows = JsonText(out);
    return true;
  });
}

bool TRcsbDAO::getAllJfrlxYzmxList(const std::string& djxh, const std::string& sbrqq, const std::string& sbrqz,
                                   std::string& rows) {
  return GuardDao("getAllJfrlxYzmxList", &ErrorMessage, kLookupException, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    rows = JsonText(Rows(
        *db,
        FormatSql("select zb.yzpzxh as yzpzxh, mxb.hzmxxh as hzmxxh from ds_sbzb zb inner join ds_sbmxb mxb on "
                  "mxb.zbid = zb.id where zb.djxh = %s and zb.sbzt in (2, 6) and ifnull(zb.yzpzxh, '') <> '' and "
                  "substr(zb.sbsj, 1, 10) >= %s and substr(zb.sbsj, 1, 10) <= %s"
                  " union all "
                  "select jl.yzpzxh as yzpzxh, qd.hzmxxh as hzmxxh from ds_jtbzhsbjlb jl inner join "
                  "ds_jtbzhsbjlqdb qd on qd.zbid = jl.id where jl.djxh = %s and ifnull(jl.yzpzxh, '') <> '' and "
                  "substr(jl.sbrq, 1, 10) >= %s and substr(jl.sbrq, 1, 10) <= %s",
                  {Q(djxh), Q(sbrqq), Q(sbrqz), Q(djxh), Q(sbrqq), Q(sbrqz)}),
        kLookupFailed));
    return true;
  });
}

bool TRcsbDAO::DealNullXm(const std::string& djxh, int32_t& filled) {
  return GuardDao("DealNullXm", &ErrorMessage, kExecException, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kExecException);
    Json found = Rows(
        *db,
        FormatSql("select ryb.id as id, jb.xm as xm, jb.zjlx as zjlx, jb.zjhm as zjhm, jb.jdxzDm as jdxz, "
                  "jb.sqczDm as sqcz, jb.tsrylbDm as tslb from ds_sbrymxb ryb inner join ds_sbzb zb on zb.id = "
                  "ryb.mxbid inner join sb_rycbjgxxb jg on jg.djxh = zb.djxh and jg.sbjbjgdm = ryb.sbjbjgdm and "
                  "jg.rybh = ryb.rybh inner join sb_ryjbxxb jb on jb.djxh = jg.djxh and jb.rydjxh = jg.rydjxh "
                  "where zb.djxh = %s and ifnull(ryb.xm, '') = '' and ifnull(jb.xm, '') <> '' group by ryb.id "
                  "order by ryb.id",
                  {Q(djxh)}),
        kExecFailed);
    for (const Json& r : found) {
      ExecOrThrow(*db,
                  FormatSql("update ds_sbrymxb set xm = %s, zjlx = %s, zjhm = %s, xz_xzjddm = %s, xz_sqhczdm = %s, "
                            "cbrytslbdm = %s where id = %d",
                            {Q(Text(r, "xm")), Q(Text(r, "zjlx")), Q(Text(r, "zjhm")), Q(Text(r, "jdxz")),
                             Q(Text(r, "sqcz")), Q(Text(r, "tslb")), Int(r, "id")}),
                  kExecFailed);
    }
    tx.Commit();
    filled = static_cast<int32_t>(found.size());
    return true;
  });
}

}  // namespace velmor
