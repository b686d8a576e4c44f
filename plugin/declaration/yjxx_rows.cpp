#include "declaration/yjxx_rows.h"

#include "store/sql_filters.h"

namespace velmor::declaration {

namespace {
// A list of texts as "'a','b'" (each quote-doubled); raises for anything but an array of texts.
std::string QuotedList(const Json& list) {
  if (!list.is_array()) throw StoreError("查询征集信息表失败。", "：zjtzlshList不是数组");
  std::string out;
  for (const Json& v : list) {
    if (!v.is_string()) throw StoreError("查询征集信息表失败。", "：zjtzlshList含非文本值");
    if (!out.empty()) out += ",";
    out += QuotedStr(v.get<std::string>());
  }
  return out;
}
}  // namespace

PagedSelect YjxxSelect(const Json& qc) {
  const std::string djxh = Text(qc, "djxh");
  if (djxh.empty()) throw StoreError("查询征集信息表失败。", "：缺少djxh");
  SqlFilters person;
  person.AddQuoted(" and zjlx = ", Text(qc, "zjlx"))
      .AddLike(" and zjhm like ", Text(qc, "zjhm"))
      .AddLike(" and xm like ", Text(qc, "xm"))
      .AddLike(" and zjtzlsh like ", Text(qc, "zjtzlsh"))
      .AddValue(" and (xzjddm = '%s' or xzjddm = '') ", Text(qc, "xzjddm"))
      .AddValue(" and (sqhczdm = '%s' or sqhczdm = '') ", Text(qc, "sqhczdm"));
  SqlFilters period;
  period.AddQuoted(" and substr(fkssqq, 1, 4) = ", Text(qc, "jfnd"))
      .AddQuoted(" and fkssqz >= ", Text(qc, "fkssqq"))
      .AddQuoted(" and fkssqq <= ", Text(qc, "fkssqz"))
      .AddQuoted(" and zsxmDm = ", Text(qc, "zsxmdm"))
      .AddQuoted(" and zspmDm = ", Text(qc, "zspmdm"))
      .AddQuoted(" and zszmDm = ", Text(qc, "zszmdm"));
  auto list = qc.find("zjtzlshList");
  if (list != qc.end() && !list->is_null()) {
    const std::string in = QuotedList(*list);
    period.Add(SqlFragment::Trusted(in.empty() ? " and 1 = 0 " : " and zjtzlsh in (" + in + ") "));
  }
  return PagedSelect(
      "select %s from (select a.id, a.djxh, a.cxjmhdid, a.sjly, a.jhsx, a.zjtzlsh, a.sblsh, a.xxh, a.sbjbjgDm, "
      "a.cxjmsbbm, a.tcqBm, a.fkssqq, a.fkssqz, a.zsxmDm, a.zspmDm, ifnull(a.zszmDm, '') as zszmDm, a.sjscrq, "
      "a.yjfe, ifnull(a.zjyxrq, '') as zjyxrq, ifnull(a.bz, '') as bz, ifnull(a.xzjddm, '') as xzjddm, "
      "ifnull(a.sqhczdm, ifnull(a.sqczdm, '')) as sqhczdm, ifnull(b.rydjxh, ifnull(a.rydjxh, '')) as rydjxh, "
      "ifnull(c.xm, ifnull(a.xm, '')) as xm, ifnull(c.zjlx, ifnull(a.zjlx, '')) as zjlx, "
      "ifnull(c.zjhm, ifnull(a.zjhm, '')) as zjhm, ifnull(b.tzjfyf, '') as tzjfyf from sb_dzzjxxb a "
      "left join (select rydjxh, sbjbjgdm, rybh, zsxmdm, zspmdm, max(tzjfyf) as tzjfyf from sb_rycbxmb "
      "where djxh = %s group by rydjxh, sbjbjgdm, rybh, zsxmdm, zspmdm) b on b.sbjbjgdm = a.sbjbjgDm and "
      "b.rybh = a.cxjmsbbm and b.zsxmdm = a.zsxmDm and b.zspmdm = a.zspmDm "
      "left join sb_ryjbxxb c on c.djxh = a.djxh and c.rydjxh = b.rydjxh where a.djxh = %s) t "
      " where 1 = 1 %s %s ",
      {Q(djxh), Q(djxh), person.Build(), period.Build()});
}

const std::string& YjxxInsertSql() {
  static const std::string sql =
      " insert into sb_dzzjxxb (djxh, cxjmhdid, sjly, jhsx, zjtzlsh, sblsh, xxh, sbjbjgDm, cxjmsbbm, tcqBm,  fkssqq, "
      "fkssqz, zsxmDm, zspmDm, zszmDm, sjscrq, yjfe, zjyxrq, bz, xzjddm, sqczdm, rydjxh, xm, zjlx, zjhm)  values "
      "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ";
  return sql;
}

namespace {
// The members an insert reads, in the order of its values after djxh.
enum YjxxMember : size_t { kFirstText = 0, kLastText = 14, kYjfe, kZjyxrq, kBz, kSqczdm = 19, kRydjxh, kZjhm = 23 };
}  // namespace

RowMembers YjxxRowMembers() {
  return RowMembers{"cxjmhdid", "sjly",   "jhsx",   "zjtzlsh", "sblsh",  "xxh",    "sbjbjgDm", "cxjmsbbm",
                    "tcqBm",    "fkssqq", "fkssqz", "zsxmDm",  "zspmDm", "zszmDm", "sjscrq",   "yjfe",
                    "zjyxrq",   "bz",     "xzjddm", "sqczdm",  "rydjxh", "xm",     "zjlx",     "zjhm"};
}

void YjxxInsertValues(const std::string& djxh, const Json& r, bool person, bool zjyxrq, RowMembers& members,
                      BoundValues& v) {
  v.Clear();
  v.Text(djxh);
  for (size_t i = kFirstText; i <= kLastText; ++i) v.Text(members.Text(r, i));
  v.Money(AmountOf(members.Find(r, kYjfe), "yjfe"));
  v.Text(zjyxrq ? members.Text(r, kZjyxrq) : std::string_view());
  for (size_t i = kBz; i <= kSqczdm; ++i) v.Text(members.Text(r, i));
  for (size_t i = kRydjxh; i <= kZjhm; ++i) v.Text(person ? members.Text(r, i) : std::string_view());
}

}  // namespace velmor::declaration
