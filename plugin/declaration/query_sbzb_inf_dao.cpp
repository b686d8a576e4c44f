#include "declaration/query_sbzb_inf_dao.h"

#include "declaration/dao_support.h"
#include "framework/host_access.h"
#include "store/paging.h"
#include "store/sql_filters.h"

namespace velmor {

using namespace declaration;

namespace {
constexpr const char* kPackQueryFailed = "数据库查询失败";
constexpr const char* kPackQueryException = "数据库查询异常";

// The distinct declared persons of the condition, as the inner select of the count and the page.
std::string PersonSelect(const Json& c) {
  std::string djxh = Text(c, "djxh");
  if (djxh.empty()) djxh = CurrentDjxh();
  SqlFilters person;
  person.AddLike(" and ryb.xm like ", Text(c, "xm"))
      .AddQuoted(" and ryb.zjlx = ", Text(c, "zjlx"))
      .AddLike(" and ryb.zjhm like ", Text(c, "zjhm"))
      .AddQuoted(" and ryb.jfnd = ", Text(c, "jfnd"))
      .AddQuoted(" and ryb.xz_xzjddm = ", Text(c, "xzjddm"))
      .AddQuoted(" and ryb.xz_sqhczdm = ", Text(c, "sqhczdm"));
  SqlFilters codes;
  codes.AddQuoted(" and ryb.zsxmdm = ", Text(c, "zsxmdm"))
      .AddQuoted(" and ryb.zspmdm = ", Text(c, "zspmdm"))
      .AddQuoted(" and ryb.zszmdm = ", Text(c, "zszmdm"));
  SqlFilters days;
  days.AddQuoted(" and substr(zb.sbsj, 1, 10) >= ", Text(c, "sbrqq"))
      .AddQuoted(" and substr(zb.sbsj, 1, 10) <= ", Text(c, "sbrqz"))
      .AddQuoted(" and ryb.fkssqz >= ", Text(c, "fkssqq"))
      .AddQuoted(" and ryb.fkssqq <= ", Text(c, "fkssqz"));
  const std::string fzid = Text(c, "fzid");
  const bool anyGroup = fzid.empty() || fzid == "-1";
  SqlFilters group;
  group.AddLike(" and jb.fullpath like ", "," + fzid + ",");
  return FormatSql(
      "select distinct ryb.xm, ryb.zjlx, ryb.zjhm, ryb.sbjbjgdm, ryb.rybh, ryb.xz_xzjddm, ryb.xz_sqhczdm, "
      "ryb.jfnd, ryb.zsxmdm, ryb.zspmdm, ryb.zszmdm, ryb.fkssqq, ryb.fkssqz, ryb.jfje, substr(zb.sbsj, 1, 10) as "
      "sbrq, zb.yzpzxh, fz.fullname from ds_sbrymxb ryb inner join ds_sbzb zb on zb.id = ryb.mxbid %s join "
      "sb_ryjbxxb jb on jb.djxh = zb.djxh and jb.xm = ryb.xm and jb.zjlx = ryb.zjlx and jb.zjhm = ryb.zjhm %s "
      "left join sb_fzxxb fz on fz.id = jb.fzid where zb.djxh = %s and zb.sbzt in(2,6) %s %s %s",
      {SqlFragment::Trusted(anyGroup ? "left" : "inner"), anyGroup ? SqlFragment{} : group.Build(), Q(djxh),
       person.Build(), codes.Build(), days.Build()});
}
}  // namespace

TQuerySbzbInfDAO::TQuerySbzbInfDAO() : TBasePackDataImp("TQuerySbzbInfDAO") {}

bool TQuerySbzbInfDAO::Query(const std::string& condition, int32_t page, int32_t pageSize) {
  Clear();
  total_ = 0;
  return Guarded<StoreError>({"TQuerySbzbInfDAO", "Query"}, {kPackQueryException, false}, &errorMessage_, false, [&] {
    const Json c = ParseObject(condition, kPackQueryFailed);
    const std::string inner = PersonSelect(c);
    Ref<IDBMechanism> db = OpenMainConnection();
    const int32_t total = QueryCount(*db, "select COUNT(*) AS zs from (" + inner + ")", kPackQueryFailed);
    Json rows = Rows(*db,
                     inner + " order by ryb.zjhm, ryb.zspmdm, ryb.fkssqq" +
                         std::string(PagingSuffix(page, pageSize, true).str()),
                     kPackQueryFailed);
    for (Json& row : rows) Add(std::move(row));
    total_ = total;
    errorMessage_.clear();
    return true;
  });
}

std::string TQuerySbzbInfDAO::GetKey(const Data& data) const {
  return data.value("zjlx", "") + "|" + data.value("zjhm", "");
}

int TQuerySbzbInfDAO::CompareData(const Data& a, const Data& b) const {
  return a.value("zjhm", "").compare(b.value("zjhm", ""));
}

}  // namespace velmor
