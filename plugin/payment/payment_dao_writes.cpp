// The payment store's writes: paid and vouchered lines, their states, timed-out deductions and
// certificate print records. Writes of several statements run in one transaction.
#include <algorithm>
#include <functional>

#include "business/date_time.h"
#include "codec/json_cursor.h"
#include "codec/json_object_reader.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "payment/payment_dao.h"
#include "payment/payment_line_insert.h"
#include "service/taxml_json.h"
#include "store/row_pipeline.h"
#include "store/sql_toolkit.h"

namespace velmor {

using payment::Json;
using service::Text;
using F = payment::LineTexts;

namespace payment {

namespace {

constexpr const char* kLineColumns =
    "djxh,hsjg,yzpzxh,yzpzmxxh,sbbm,sbjbjgDm,skssqq,skssqz,zsxmDm,zspmDm,zszmDm,yskmDm,ysfpblDm,yjjcDm,skgkDm,qfje,"
    "zsjgDm,zsuuid,jkqx,jkzt,jksj,sjje,dyzt,dysj,dzsphm,jkfs,jkzh,yhyywdMc,skgkMc,zsswjgMc,zhmc,yhhbmc,jfrlx,xm,zjlx,"
    "zjhm";
constexpr const char* kTimedOutColumns =
    "djxh,hsjg,yzpzxh,yzpzmxxh,sbbm,sbjbjgDm,skssqq,skssqz,zsxmDm,zspmDm,zszmDm,yskmDm,ysfpblDm,yjjcDm,skgkDm,qfje,"
    "zsjgDm,zsuuid,jkqx,jkzt,jksj,sjje,dyzt,dysj,yblsh,jkfs,jkzh,yhyywdMc,zhmc,yhhbmc,jfrlx,xm,zjlx,zjhm";

// "INSERT INTO table(columns) VALUES(?,...)" with one parameter per column.
std::string InsertSql(const char* table, std::string columns) {
  const size_t count = static_cast<size_t>(std::count(columns.begin(), columns.end(), ',')) + 1;
  std::string sql = std::string("INSERT INTO ") + table + "(" + columns + ") VALUES(";
  for (size_t i = 0; i < count; ++i) sql += i == 0 ? "?" : ",?";
  return sql + ")";
}

using F = LineTexts;

std::string_view Yhhbmc(const LineTexts& l) { return l[F::kYhhbMc].empty() ? l[F::kYhhbmc] : l[F::kYhhbMc]; }

// The members every line insert takes as they are, hsjg to jkqx.
void CommonTexts(const LineTexts& l, BoundValues& v) {
  for (int f = F::kHsjg; f <= F::kJkqx; ++f) v.Text(l[static_cast<F::Field>(f)]);
}

// Each line of a checked array, read with the cursor, never as a tree: `each` gets its texts
// (none for a line that is no object).
void ForEachLine(std::string_view lines, const std::function<void(const LineTexts&)>& each) {
  JsonCursor c(lines);
  JsonObjectReader reader;
  LineTexts texts;
  const LineTexts none;
  c.BeginArray();
  for (bool more = c.FirstElement(); more; more = c.NextElement()) {
    if (c.Peek() != JsonCursor::Kind::kObject) {
      c.Skip();
      each(none);
      continue;
    }
    reader.Read(c);
    texts.From(reader);
    each(texts);
  }
}

}  // namespace

const std::string& LineInsertSql(bool certificate) {
  static const std::string plain = InsertSql("sb_fkjnxxb", kLineColumns);
  static const std::string linked = InsertSql("sb_fkjnxxb", std::string(kLineColumns) + ",dzjfpzdyID");
  return certificate ? linked : plain;
}

void LineValues(const LineTexts& l, const LineFacts& f, BoundValues& v) {
  v.Text(f.djxh);
  CommonTexts(l, v);
  v.Int(f.jkzt).Text(f.jksj.empty() ? l[F::kJksj] : f.jksj).Money(l.Number(F::kSjje)).Int(f.dyzt);
  v.Text(f.dysj.empty() ? l[F::kDysj] : f.dysj).Text(l[F::kDzsphm]).Int(f.jkfs);
  for (F::Field key : {F::kJkzh, F::kYhyywdMc, F::kSkgkMc, F::kZsswjgMc, F::kZhmc}) v.Text(l[key]);
  v.Text(Yhhbmc(l)).Int(f.jfrlx).Text(f.xm).Text(f.zjlx).Text(f.zjhm);
}

const std::string& TimedOutInsertSql() {
  static const std::string sql = InsertSql("sb_jkcslsb", kTimedOutColumns);
  return sql;
}

void TimedOutValues(const LineTexts& l, const LineFacts& f, const std::string& yblsh, BoundValues& v) {
  v.Text(f.djxh);
  CommonTexts(l, v);
  v.Int(l.Int(F::kJkzt)).Text(l[F::kJksj]).Money(l.Number(F::kSjje)).Int(l.Int(F::kDyzt));
  v.Text(l[F::kDysj]).Text(yblsh).Int(f.jkfs);
  for (F::Field key : {F::kJkzh, F::kYhyywdMc, F::kZhmc}) v.Text(l[key]);
  v.Text(Yhhbmc(l)).Int(f.jfrlx).Text(f.xm).Text(f.zjlx).Text(f.zjhm);
}

namespace {

using LineVisitor = std::function<void(const LineTexts&)>;

// CommitData's store of the lines `lines(each)` hands over (on the pipeline's worker), each in
// place of the line it replaces, all in one transaction.
void StoreLines(const std::function<void(const LineVisitor&)>& lines, int32_t jkfs, int32_t jfrlx,
                const std::string& xm, const std::string& zjlx, const std::string& zjhm) {
  Ref<IDBMechanism> db = OpenMainConnection();
  Transaction tx(*db, "数据库执行失败");
  // A vouchered line replaces the one of its levy, any other the one of its voucher line.
  const std::string replaced = jkfs == 3 ? "delete from sb_fkjnxxb where djxh=? and zsuuid=?"
                                         : "delete from sb_fkjnxxb where djxh=? and yzpzxh=? and yzpzmxxh=?";
  const Payer payer;
  // The lines are read on a worker, each handed over as two rows: the key of the line it
  // replaces, then its own values.
  PipelineRows(
      [&](RowOut& out) {
        LineFacts f{{}, 0, jkfs == 3 ? 1 : 0, jkfs, jfrlx, xm, zjlx, zjhm, {}, {}};
        lines([&](const LineTexts& l) {
          f.djxh = l[F::kDjxh].empty() ? payer.Djxh() : std::string(l[F::kDjxh]);
          f.jkzt = l.Int(F::kJkzt);
          BoundValues& key = out.Row();
          key.Text(f.djxh);
          if (jkfs == 3) key.Text(l[F::kZsuuid]);
          else key.Text(l[F::kYzpzxh]).Text(l[F::kYzpzmxxh]);
          out.Emit();
          LineValues(l, f, out.Row());
          out.Emit();
        });
      },
      [&, isKey = true](const BoundValues& values) mutable {
        ExecBoundOrThrow(*db, isKey ? replaced : LineInsertSql(), values, "数据库执行失败");
        isKey = !isKey;
      });
  tx.Commit();
}

}  // namespace
}  // namespace payment

bool TPaymentDAO::CommitData(const std::string& lines, int32_t jkfs, int32_t jfrlx, const std::string& xm,
                             const std::string& zjlx, const std::string& zjhm) {
  return Guard("CommitData", "数据库执行失败", false, [&] {
    std::string normal;
    const std::string_view rows = payment::CheckedArray(lines, "缴费明细", normal);
    payment::StoreLines([&](const payment::LineVisitor& each) { payment::ForEachLine(rows, each); }, jkfs, jfrlx, xm,
                        zjlx, zjhm);
    return true;
  });
}

bool TPaymentDAO::CommitLines(const std::function<void(const LineEmit&)>& lines, int32_t jkfs, int32_t jfrlx,
                              const std::string& xm, const std::string& zjlx, const std::string& zjhm) {
  return Guard("CommitData", "数据库执行失败", false, [&] {
    payment::StoreLines(
        [&](const payment::LineVisitor& each) {
          JsonObjectReader reader;
          payment::LineTexts texts;
          lines([&](std::string_view line) {
            JsonCursor c(line);
            reader.Read(c);
            c.End();
            texts.From(reader);
            each(texts);
          });
        },
        jkfs, jfrlx, xm, zjlx, zjhm);
    return true;
  });
}

size_t payment::JoinedLinesRoom(size_t textSize, size_t count) {
  constexpr size_t kAddedMembersRoom = 256;  // about what the members a line gains take
  return textSize + count * kAddedMembersRoom + 2;
}

bool payment::CommitLinesTo(IPaymentDAO& store, const std::function<void(const TPaymentDAO::LineEmit&)>& lines,
                            size_t room, int32_t jkfs, int32_t jfrlx, const std::string& xm, const std::string& zjlx,
                            const std::string& zjhm) {
  if (auto* own = dynamic_cast<TPaymentDAO*>(&store)) return own->CommitLines(lines, jkfs, jfrlx, xm, zjlx, zjhm);
  std::string joined;
  joined.reserve(room);  // a text of 100,000 lines grown by doubling is copied into fresh pages at every step
  joined += '[';
  lines([&](std::string_view line) {
    if (joined.size() > 1) joined += ',';
    joined += line;
  });
  joined += ']';
  return store.CommitData(joined, jkfs, jfrlx, xm, zjlx, zjhm);
}

bool TPaymentDAO::UpdateDyzt(int32_t dyzt, const std::string& djxh, const std::string& dzsphm,
                             const std::string& zsjgDm) {
  return Guard("UpdateDyzt", "数据库执行异常", false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db,
                FormatSql("UPDATE sb_fkjnxxb set dyzt=%d WHERE djxh=%s AND dzsphm=%s AND zsjgDm=%s",
                          {dyzt, Q(payment::PayerOr(djxh)), Q(dzsphm), Q(zsjgDm)}),
                "数据库执行异常");
    return true;
  });
}

bool TPaymentDAO::UpdateJkzt(const std::string& djxh, const std::string& yzpzxh, int32_t jkzt) {
  return Guard("UpdateJkzt", "数据库执行异常", false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db,
                FormatSql("UPDATE sb_fkjnxxb set jkzt=%d WHERE djxh=%s AND yzpzxh=%s",
                          {jkzt, Q(payment::PayerOr(djxh)), Q(yzpzxh)}),
                "数据库执行异常");
    return true;
  });
}

bool TPaymentDAO::DeleteByDzsphm(const std::string& dzsphm) {
  return Guard("DeleteByDzsphm", "数据库执行失败", false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db, FormatSql("delete from sb_fkjnxxb where dzsphm='%s'", {V(dzsphm)}), "数据库执行失败");
    return true;
  });
}

bool TPaymentDAO::SaveCsjkxx(const std::string& lines, const std::string& yblsh, int32_t jkfs, int32_t jfrlx,
                             const std::string& xm, const std::string& zjlx, const std::string& zjhm) {
  return Guard("SaveCsjkxx", "数据库异常", false, [&] {
    std::string normal;
    const std::string_view rows = payment::CheckedArray(lines, "缴费明细", normal);
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, "数据库执行失败");
    const payment::Payer payer;
    PipelineRows(
        [&](RowOut& out) {
          payment::LineFacts f{{}, 0, 0, jkfs, jfrlx, xm, zjlx, zjhm, {}, {}};
          payment::ForEachLine(rows, [&](const payment::LineTexts& l) {
            f.djxh = l[F::kDjxh].empty() ? payer.Djxh() : std::string(l[F::kDjxh]);
            payment::TimedOutValues(l, f, yblsh, out.Row());
            out.Emit();
          });
        },
        [&](const BoundValues& values) {
          ExecBoundOrThrow(*db, payment::TimedOutInsertSql(), values, "数据库执行失败");
        });
    tx.Commit();
    return true;
  });
}

bool TPaymentDAO::DeleteCsjkxx(const std::string& yblsh) {
  return Guard("DeleteCsjkxx", "数据库删除失败。", false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db, FormatSql("delete from sb_jkcslsb where yblsh=%s", {Q(yblsh)}), "数据库删除失败。");
    return true;
  });
}

bool TPaymentDAO::SaveDzjfpz(const std::string& record) {
  return Guard("SaveDzjfpz", "数据库保存异常。", false, [&] {
    Json r = payment::ObjectOf(record, "电子缴费凭证");
    Json lines = r.contains("list") ? r["list"] : Json::array();
    if (!lines.is_array()) throw Exception("电子缴费凭证的明细不是JSON数组。");
    const std::string djxh = payment::PayerOr(Text(r, "djxh"));
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, "数据库插入失败。");
    ExecOrThrow(*db,
                FormatSql("insert into sb_dzjfpzdyjl(djxh,dysj,dycs,no,sign) values('%s','%s',%d,'%s','%s')",
                          {V(djxh), V(NowText()), payment::IntOf(r, "dycs"), V(Text(r, "no")), V(Text(r, "sign"))}),
                "数据库插入失败。");
    const int32_t id = QueryCount(*db, "select max(id) as maxid from sb_dzjfpzdyjl", "数据库查询失败。");
    for (const Json& l : lines)
      ExecOrThrow(*db, FormatSql("update sb_fkjnxxb set dzjfpzdyID=%d where id=%d", {id, payment::IntOf(l, "id")}),
                  "数据库更新失败。");
    tx.Commit();
    return true;
  });
}

bool TPaymentDAO::UpdateDzjfpzDy(int32_t id) {
  return Guard("UpdateDzjfpzDy", "数据库更新异常。", false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db, FormatSql("update sb_dzjfpzdyjl set dysj='%s', dycs=dycs+1 where id=%d", {V(NowText()), id}),
                "数据库更新失败。");
    return true;
  });
}

bool TPaymentDAO::UpdateJkzt(const std::string& djxh, const std::string& dzsphm, const std::string& zsjgDm,
                             int32_t jkzt) {
  return Guard("UpdateJkzt", "更新缴费状态异常：", true, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db,
                FormatSql("update sb_fkjnxxb set jkzt=%d where djxh=%s and dzsphm=%s and zsjgDm=%s",
                          {jkzt, Q(payment::PayerOr(djxh)), Q(dzsphm), Q(zsjgDm)}),
                "更新缴费状态失败。");
    return true;
  });
}

bool TPaymentDAO::UpdateJkzt(const std::string& djxh, const std::string& yzpzxh, const std::string& zsxmDm,
                             const std::string& zspmDm, const std::string& zszmDm, int32_t jkzt,
                             const std::string& sbyy) {
  return Guard("UpdateJkzt", "数据库执行异常", false, [&] {
    SqlFragment zszm;
    if (!zszmDm.empty() && zszmDm != "null") zszm = SqlFragment::Trusted(FormatSql(" and zszmDm=%s", {Q(zszmDm)}));
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db,
                FormatSql("UPDATE sb_fkjnxxb set jkzt=%d, sbyy=%s WHERE djxh=%s AND yzpzxh=%s and zsxmDm=%s and "
                          "zspmDm=%s%s",
                          {jkzt, Q(sbyy), Q(payment::PayerOr(djxh)), Q(yzpzxh), Q(zsxmDm), Q(zspmDm), zszm}),
                "数据库执行异常");
    return true;
  });
}

bool TPaymentDAO::UpdateJkztBy10305(const std::string& dzsphm, int32_t jkzt, const std::string& sbyy) {
  return Guard("UpdateJkztBy10305", "", true, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db, FormatSql("UPDATE sb_fkjnxxb set jkzt=%d, sbyy=%s WHERE dzsphm=%s ", {jkzt, Q(sbyy), Q(dzsphm)}),
                "数据库执行失败");
    return true;
  });
}

namespace {
void RegisterPaymentDAO() {
  RegisterServiceClass(ServiceRowAt(kRowTPaymentDAO).iid, &ClassOf<TPaymentDAO>::Instance());
}
void UnregisterPaymentDAO() { UnregisterServiceClass(ServiceRowAt(kRowTPaymentDAO).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(7, velmor::RegisterPaymentDAO, velmor::UnregisterPaymentDAO)
