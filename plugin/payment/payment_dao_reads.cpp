// The payment store's reads: payment lines, the voucher summary, timed-out deductions,
// certificate print records and the code lists of the status jobs.
#include <cstdio>
#include <map>

#include "business/date_time.h"
#include "codec/text_utils.h"
#include "payment/payment_dao.h"
#include "service/taxml_json.h"
#include "store/json_text.h"
#include "store/sql_filters.h"
#include "store/sql_toolkit.h"

namespace velmor {

using payment::Json;
using service::Text;

namespace {

// The filter of the payment lines: the payer, two methods, overlapping periods, the payer type.
SqlFragment LineWhere(const Json& c, int32_t jkfs1, int32_t jkfs2) {
  SqlFilters f;
  f.AddQuoted(" AND skssqz>=", TrimBlanks(Text(c, "skssqq"))).AddQuoted(" AND skssqq<=", TrimBlanks(Text(c, "skssqz")));
  const int32_t jfrlx = payment::IntOf(c, "jfrlx");
  SqlFragment where = SqlFragment::Trusted(
      FormatSql(" djxh=%s AND jkfs in(%d,%d)", {Q(payment::PayerOr(Text(c, "djxh"))), jkfs1, jkfs2}));
  where += f.Build();
  where += payment::JfrlxClause("jfrlx", jfrlx);
  if (jfrlx != 0) {
    SqlFilters p;
    p.AddLike(" and xm like ", Text(c, "xm"))
        .AddQuoted(" and zjlx=", Text(c, "zjlx"))
        .AddLike(" and zjhm like ", Text(c, "zjhm"));
    where += p.Build();
  }
  return where;
}

// The payment lines of a query as text, each shaped as LineRow shapes it, written row by row: the
// day's listing at 100,000 persons (200,000 lines) is never a tree.
std::string LineRowsText(IDBMechanism& db, const std::string& sql, const char* failText) {
  return RowsJson(db, sql, payment::LineShape(), failText);
}

// The voucher summary: one row per voucher. Its lines may differ in jkzt (some paid, some not)
// or dysj; the least paid status and the latest issue stand for the voucher.
std::string PrintSummary(const Json& c, int32_t jkfs, const SqlFragment& columns, const SqlFragment& tail) {
  SqlFilters inner;
  inner.AddQuoted(" AND date(dysj) >= ", Text(c, "dyrqq")).AddQuoted(" AND date(dysj) <= ", Text(c, "dyrqz"));
  SqlFragment in =
      SqlFragment::Trusted(FormatSql(" djxh=%s AND jkfs = %d", {Q(payment::PayerOr(Text(c, "djxh"))), jkfs}));
  in += inner.Build();
  SqlFilters outer;
  outer.AddQuoted(" and min_skssqq<=", Text(c, "fkssqz")).AddQuoted(" and max_skssqz>=", Text(c, "fkssqq"));
  SqlFragment out = SqlFragment(" and 1=1 ") + outer.Build();
  return FormatSql(
      "SELECT %s FROM (SELECT dzsphm, sum(round(abs(sjje),2)) as zje, min(skssqq) AS min_skssqq, max(skssqz) AS "
      "max_skssqz   FROM sb_fkjnxxb where %s GROUP BY dzsphm) A INNER JOIN (SELECT max(zsjgdm) AS zsjgdm, dzsphm, "
      "max(dysj) AS dysj, max(dyzt) AS dyzt, min(jkzt) AS jkzt FROM sb_fkjnxxb where %s GROUP BY dzsphm) B ON "
      "A.dzsphm=B.dzsphm %s %s %s",
      {columns, in, in, out, tail.empty() ? SqlFragment() : tail, SqlFragment()});
}

std::string Amount2(const std::string& text) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", std::strtod(text.c_str(), nullptr));
  return buf;
}

SqlFragment PrintRecordWhere(const Json& c) {
  SqlFilters f;
  f.AddQuoted(" AND date(dysj)>=", Text(c, "dyrqq")).AddQuoted(" AND date(dysj)<=", Text(c, "dyrqz"));
  return SqlFragment::Trusted(FormatSql(" djxh=%s", {Q(payment::PayerOr(Text(c, "djxh")))})) + f.Build();
}

}  // namespace

bool TPaymentDAO::GetData(const std::string& condition, int32_t jkfs1, int32_t jkfs2, int32_t page, int32_t pageSize,
                          std::string& rows) {
  return Guard("GetData", "数据库查询异常", false, [&] {
    SqlFragment where = LineWhere(payment::ObjectOf(condition, "查询条件"), jkfs1, jkfs2);
    Ref<IDBMechanism> db = OpenMainConnection();
    rows = LineRowsText(*db,
                        FormatSql("SELECT %s FROM sb_fkjnxxb where %s %s %s",
                                  {SqlFragment("*"), where, SqlFragment("ORDER BY jksj DESC, id DESC"),
                                   payment::PageClause(page, pageSize)}),
                        "数据库查询错误");
    return true;
  });
}

bool TPaymentDAO::GetCount(const std::string& condition, int32_t jkfs1, int32_t jkfs2, int32_t& count) {
  return Guard("GetCount", "数据库查询失败", false, [&] {
    SqlFragment where = LineWhere(payment::ObjectOf(condition, "查询条件"), jkfs1, jkfs2);
    Ref<IDBMechanism> db = OpenMainConnection();
    count = QueryCount(*db, FormatSql("SELECT %s FROM sb_fkjnxxb where %s", {SqlFragment("COUNT(*) AS zs"), where}),
                       "数据库查询失败");
    return true;
  });
}

bool TPaymentDAO::GetPrintData(const std::string& condition, int32_t jkfs, int32_t page, int32_t pageSize,
                               std::string& rows) {
  return Guard("GetPrintData", "数据库查询失败", false, [&] {
    Json c = payment::ObjectOf(condition, "查询条件");
    Ref<IDBMechanism> db = OpenMainConnection();
    Json found =
        Rows(*db,
             PrintSummary(c, jkfs,
                          "B.zsjgdm AS zsjgdm, A.dzsphm AS dzsphm, B.dysj AS dysj, A.zje AS zje, B.dyzt AS "
                          "dyzt, B.jkzt AS jkzt, A.min_skssqq AS min_skssqq, A.max_skssqz AS max_skssqz",
                          SqlFragment("ORDER BY dysj DESC, A.dzsphm DESC") + payment::PageClause(page, pageSize)),
             "数据库查询失败");
    Json out = Json::array();
    for (const Json& r : found)
      out.push_back({{"zsjgDm", r["zsjgdm"]},
                     {"dzsphm", r["dzsphm"]},
                     {"dysj", r["dysj"]},
                     {"zje", Amount2(r["zje"].get<std::string>())},
                     {"dyzt", r["dyzt"]},
                     {"jkzt", r["jkzt"]},
                     {"fkssqq", r["min_skssqq"]},
                     {"fkssqz", r["max_skssqz"]}});
    rows = JsonText(out);
    return true;
  });
}

bool TPaymentDAO::GetPrintCount(const std::string& condition, int32_t jkfs, int32_t& count) {
  return Guard("GetPrintCount", "数据库查询失败", false, [&] {
    Json c = payment::ObjectOf(condition, "查询条件");
    Ref<IDBMechanism> db = OpenMainConnection();
    count = QueryCount(*db, PrintSummary(c, jkfs, "COUNT(*) AS zs", {}), "数据库查询失败");
    return true;
  });
}

bool TPaymentDAO::GetWjkYhjkpzLb(const std::string& djxh, int32_t jkfs, int32_t jkzt1, int32_t jkzt2, int32_t jkzt3,
                                 int32_t dyzt, std::string& list) {
  return Guard("GetWjkYhjkpzLb", "数据库查询异常", false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    list = JsonText(Rows(*db,
                         FormatSql("SELECT DISTINCT yzpzxh FROM sb_fkjnxxb WHERE djxh = '%s' AND jkfs = %d AND jkzt "
                                   "in (%d, %d, %d) and dyzt = %d",
                                   {V(payment::PayerOr(djxh)), jkfs, jkzt1, jkzt2, jkzt3, dyzt}),
                         "数据库查询失败"));
    return true;
  });
}

bool TPaymentDAO::GetDataByDzsphm(const std::string& djxh, const std::string& dzsphm, std::string& rows) {
  return Guard("GetDataByDzsphm", "数据库查询失败", false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    rows = LineRowsText(*db,
                        FormatSql("SELECT * FROM sb_fkjnxxb WHERE djxh = '%s' AND dzsphm = '%s' ORDER BY id",
                                  {V(payment::PayerOr(djxh)), V(dzsphm)}),
                        "数据库查询失败");
    return true;
  });
}

bool TPaymentDAO::GetCsjkxx(const std::string& djxh, int32_t jfrlx, std::string& groups) {
  return Guard("GetCsjkxx", "数据库查询失败", false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Json rows = Rows(*db,
                     FormatSql("select * from sb_jkcslsb where djxh=%s %s order by rowid",
                               {Q(payment::PayerOr(djxh)), payment::JfrlxClause("jfrlx", jfrlx)}),
                     "数据库查询失败");
    Json out = Json::array();
    std::map<std::string, size_t> at;  // yblsh -> its group, in the order first seen
    for (Json& r : rows) {
      const std::string yblsh = Text(r, "yblsh");
      auto [it, fresh] = at.emplace(yblsh, out.size());
      if (fresh) out.push_back({{"yblsh", yblsh}, {"jkfs", r["jkfs"]}, {"mxlb", Json::array()}});
      out[it->second]["mxlb"].push_back(payment::LineRow(std::move(r)));
    }
    groups = JsonText(out);
    return true;
  });
}

bool TPaymentDAO::GetWdySfxyjkJl(const std::string& djxh, const std::string& fkssqq, const std::string& fkssqz,
                                 int32_t jkfs, int32_t jkzt, std::string& rows) {
  return Guard("GetWdySfxyjkJl", "数据库查询失败。", false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    rows = LineRowsText(*db,
                        FormatSql("select * from sb_fkjnxxb where djxh='%s' and skssqq>='%s' and skssqz<='%s' and "
                                  "jkfs=%d and jkzt=%d and dzjfpzdyID is null ORDER BY skssqq ,dzsphm desc",
                                  {V(payment::PayerOr(djxh)), V(fkssqq), V(fkssqz), jkfs, jkzt}),
                        "数据库查询失败。");
    return true;
  });
}

bool TPaymentDAO::GetMaxDzjfpzNo(const std::string& djxh, std::string& maxNo) {
  return Guard("GetMaxDzjfpzNo", "数据库查询异常。", false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Json found = Rows(*db,
                      FormatSql("select substr(max(no),9,8) as maxno FROM sb_dzjfpzdyjl WHERE djxh='%s' and "
                                "substr(no, 1, 8)='%s'",
                                {V(payment::PayerOr(djxh)), V(LocalTimeText("%Y%m%d"))}),
                      "数据库查询异常。");
    maxNo = found.empty() ? "" : Text(found[0], "maxno");
    return true;
  });
}

bool TPaymentDAO::GetDzjfpzJlCount(const std::string& condition, int32_t& count) {
  return Guard("GetDzjfpzJlCount", "数据库查询失败", false, [&] {
    SqlFragment where = PrintRecordWhere(payment::ObjectOf(condition, "查询条件"));
    Ref<IDBMechanism> db = OpenMainConnection();
    count = QueryCount(*db, FormatSql("SELECT %s FROM sb_dzjfpzdyjl where %s", {SqlFragment("COUNT(*) AS zs"), where}),
                       "数据库查询失败");
    return true;
  });
}

bool TPaymentDAO::GetDzjfpzJlData(const std::string& condition, int32_t page, int32_t pageSize, std::string& rows) {
  return Guard("GetDzjfpzJlData", "数据库查询异常。", false, [&] {
    SqlFragment where = PrintRecordWhere(payment::ObjectOf(condition, "查询条件"));
    Ref<IDBMechanism> db = OpenMainConnection();
    rows = JsonText(
        Rows(*db,
             FormatSql("SELECT %s FROM sb_dzjfpzdyjl where %s %s %s",
                       {SqlFragment("id, substr(dysj, 1, 10) AS dysj, dycs, \"no\" AS no, \"sign\" AS sign"), where,
                        SqlFragment("ORDER BY sb_dzjfpzdyjl.dysj DESC, id DESC"), payment::PageClause(page, pageSize)}),
             "数据库查询失败。"));
    return true;
  });
}

bool TPaymentDAO::GetDzjfpzMxData(int32_t id, std::string& rows) {
  return Guard("GetDzjfpzMxData", "数据库查询异常。", false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    rows = LineRowsText(*db, FormatSql("select * from sb_fkjnxxb where dzjfpzdyID=%d order by id", {id}),
                        "数据库查询失败。");
    return true;
  });
}

bool TPaymentDAO::GetZspmdmList(const std::string& djxh, int32_t jkfs, const std::string& jkztList, int32_t jfrlx,
                                std::string& list) {
  return Guard("GetZspmdmList", "查询应征凭证序号列表失败：", true, [&] {
    SqlFragment statuses = payment::StatusList(jkztList);
    Ref<IDBMechanism> db = OpenMainConnection();
    list = JsonText(
        FirstColumn(*db,
                    FormatSql("select distinct yzpzxh from sb_fkjnxxb where djxh=%s and jkfs=%d and jkzt "
                              "in (%s)%s",
                              {Q(payment::PayerOr(djxh)), jkfs, statuses, payment::JfrlxClause("jfrlx", jfrlx)}),
                    "查询应征凭证序号列表失败。"));
    return true;
  });
}

bool TPaymentDAO::GetZs10305CxList(int32_t jkfs, const std::string& jkztList, int32_t dyzt, std::string& list) {
  return Guard("GetZs10305CxList", "查询电子税票号码失败：", true, [&] {
    SqlFragment statuses = payment::StatusList(jkztList);
    Ref<IDBMechanism> db = OpenMainConnection();
    Json found = Rows(*db,
                      FormatSql("select distinct dzsphm, zsjgDm from sb_fkjnxxb where jkfs=%d and jkzt in (%s) and "
                                "dyzt = %d",
                                {jkfs, statuses, dyzt}),
                      "查询电子税票号码失败。");
    Json out = Json::array();
    for (const Json& r : found)
      out.push_back({{"dzsphm", r["dzsphm"]}, {"zsjgDm", r["zsjgDm"]}, {"skssswjgDm", r["zsjgDm"]}});
    list = JsonText(out);
    return true;
  });
}

}  // namespace velmor
