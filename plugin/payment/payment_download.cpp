// SaveJfmxList: payment lines downloaded from the server take the place of the local ones they
// stand for, in one transaction. Two rules keep local knowledge the server's list lacks: a line
// whose bank outcome is still pending (jkzt 5, 6) is never swept by the range delete, and a line
// that a printed certificate covers keeps its dzjfpzdyID.
#include <map>

#include "business/debug_log.h"
#include "payment/payment_dao.h"
#include "payment/payment_line_insert.h"
#include "service/taxml_json.h"
#include "store/sql_toolkit.h"

namespace velmor {

using payment::Json;
using service::Text;

namespace {

std::string NotNull(const std::string& s) { return s == "null" ? std::string() : s; }
std::string DatePart(const std::string& s) { return NotNull(s).substr(0, 10); }

// The delete of the refreshed range; empty when the download names no range (then only the
// lines it carries are replaced, by zsuuid).
SqlFragment RangeDelete(const std::string& djxh, const std::string& skssqq, const std::string& skssqz,
                        const std::string& jkrqq, const std::string& jkrqz) {
  std::string range;
  if (!skssqq.empty() && !skssqz.empty())
    range += FormatSql(" and skssqq <= %s and skssqz >= %s", {Q(skssqz), Q(skssqq)});
  if (!jkrqq.empty() && !jkrqz.empty())
    range += FormatSql(" and substr(jksj, 1, 10) >= %s and substr(jksj, 1, 10) <= %s", {Q(jkrqq), Q(jkrqz)});
  if (range.empty()) return {};
  return SqlFragment::Trusted(FormatSql("delete from sb_fkjnxxb where djxh=%s %s and ifnull(jkzt, 0) not in (5, 6)",
                                        {Q(djxh), SqlFragment::Trusted(range)}));
}

}  // namespace

bool TPaymentDAO::SaveJfmxList(const std::string& lines, const std::string& djxh, const std::string& skssqq,
                               const std::string& skssqz, const std::string& jkrqq, const std::string& jkrqz) {
  return Guard("SaveJfmxList", "保存缴费明细异常：", true, [&] {
    Json rows = payment::ArrayOf(lines, "缴费明细");
    const std::string payer = payment::PayerOr(djxh);
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, "保存缴费明细失败。");

    const std::string printed =
        FormatSql("select zsuuid, dzjfpzdyID from sb_fkjnxxb where djxh=%s and dzjfpzdyID is not null", {Q(payer)});
    WriteBusinessLogNoThrow("获取电子缴费凭证打印记录：" + printed);
    std::map<std::string, std::string> certificateOf;
    for (const Json& r : Rows(*db, printed, "初始化dzjfpzdyID列表失败。"))
      certificateOf[Text(r, "zsuuid")] = Text(r, "dzjfpzdyID");

    if (SqlFragment del = RangeDelete(payer, skssqq, skssqz, jkrqq, jkrqz); !del.empty()) {
      WriteBusinessLogNoThrow("删除缴费记录：" + del.str());
      ExecOrThrow(*db, del.str(), "删除失败。");
    }

    BoundValues key, line;
    payment::LineTexts texts;
    for (const Json& in : rows) {
      const std::string zsuuid = Text(in, "zsuuid");
      key.Clear();
      ExecBoundOrThrow(*db, "delete from sb_fkjnxxb where djxh=? and zsuuid=?", key.Text(payer).Text(zsuuid),
                       "删除失败。");
      Json l = in;
      l["skssqq"] = DatePart(Text(in, "skssqq"));
      l["skssqz"] = DatePart(Text(in, "skssqz"));
      l["jkqx"] = DatePart(Text(in, "jkqx"));
      l["jkzh"] = NotNull(Text(in, "jkzh"));
      l["skgkMc"] = NotNull(Text(in, "skgkMc"));
      l.erase("jksj");
      l.erase("dysj");
      payment::LineFacts f{payer, 0, 0, 0, payment::IntOf(in, "jfrlx"), Text(in, "xm"), Text(in, "zjlx"),
                           Text(in, "zjhm"), NotNull(Text(in, "sjrq")), NotNull(Text(in, "kjrq"))};
      const bool deducted = Text(in, "skjnfsDm") == "51";
      if (deducted) {
        f.jkfs = 1;
        f.dyzt = 0;
        f.jkzt = f.jksj.empty() ? 7 : 3;
      } else {
        const std::string tzlx = Text(in, "tzlxDm");
        f.jkfs = 3;
        f.jkzt = 0;
        f.dyzt = (tzlx == "1" || tzlx == "4") ? 1 : 3;
      }
      auto cert = certificateOf.find(zsuuid);
      const bool linked = cert != certificateOf.end() && !cert->second.empty();
      line.Clear();
      texts.From(l);
      payment::LineValues(texts, f, line);
      if (linked) line.Int(std::stoi(cert->second));
      ExecBoundOrThrow(*db, payment::LineInsertSql(linked), line, "保存缴费明细失败。");
      if (!deducted) {
        key.Clear();
        key.Int(f.dyzt).Text(f.dysj).Text(Text(in, "hsjg")).Text(Text(in, "zsjgDm")).Text(payer);
        ExecBoundOrThrow(*db, "update sb_fkjnxxb set dyzt=?, dysj=?, hsjg=?, zsjgDm=? where djxh=? and dzsphm = ?",
                         key.Text(Text(in, "dzsphm")), "更新银行端缴费凭证状态失败。");
      }
    }
    tx.Commit();
    return true;
  });
}

}  // namespace velmor
