// The payment store's writes: paid and vouchered lines, their states, timed-out deductions and
// certificate print records. Writes of several statements run in one transaction.
#include "business/date_time.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "payment/payment_dao.h"
#include "payment/payment_line_insert.h"
#include "service/taxml_json.h"
#include "store/sql_toolkit.h"

namespace velmor {

using payment::Json;
using service::Text;

namespace payment {

namespace {
std::string MemberOr(const Json& line, const char* key, const std::string& given) {
  return given.empty() ? Text(line, key) : given;
}
}  // namespace

std::string LineInsert(const Json& l, const LineFacts& f, const SqlFragment& extraColumn,
                       const SqlFragment& extraValue) {
  const std::string yhhbmc = Text(l, "yhhbMc").empty() ? Text(l, "yhhbmc") : Text(l, "yhhbMc");
  return FormatSql(
      "INSERT INTO sb_fkjnxxb(djxh,hsjg,yzpzxh,yzpzmxxh,sbbm,sbjbjgDm,skssqq,skssqz,zsxmDm,zspmDm,zszmDm,yskmDm,"
      "ysfpblDm,yjjcDm,skgkDm,qfje,zsjgDm,zsuuid,jkqx,jkzt,jksj,sjje,dyzt,dysj,dzsphm,jkfs,jkzh,yhyywdMc,skgkMc,"
      "zsswjgMc,zhmc,yhhbmc,jfrlx,xm,zjlx,zjhm %s) VALUES(%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%d,"
      "%s,%f,%d,%s,%s,%d,%s,%s,%s,%s,%s,%s,%d,%s,%s,%s %s)",
      {extraColumn, Q(f.djxh), Q(Text(l, "hsjg")), Q(Text(l, "yzpzxh")), Q(Text(l, "yzpzmxxh")), Q(Text(l, "sbbm")),
       Q(Text(l, "sbjbjgDm")), Q(Text(l, "skssqq")), Q(Text(l, "skssqz")), Q(Text(l, "zsxmDm")),
       Q(Text(l, "zspmDm")), Q(Text(l, "zszmDm")), Q(Text(l, "yskmDm")), Q(Text(l, "ysfpblDm")),
       Q(Text(l, "yjjcDm")), Q(Text(l, "skgkDm")), Q(Text(l, "qfje")), Q(Text(l, "zsjgDm")), Q(Text(l, "zsuuid")),
       Q(Text(l, "jkqx")), f.jkzt, Q(MemberOr(l, "jksj", f.jksj)), NumberOf(l, "sjje"), f.dyzt,
       Q(MemberOr(l, "dysj", f.dysj)), Q(Text(l, "dzsphm")), f.jkfs, Q(Text(l, "jkzh")), Q(Text(l, "yhyywdMc")),
       Q(Text(l, "skgkMc")), Q(Text(l, "zsswjgMc")), Q(Text(l, "zhmc")), Q(yhhbmc), f.jfrlx, Q(f.xm), Q(f.zjlx),
       Q(f.zjhm), extraValue});
}

std::string TimedOutInsert(const Json& l, const LineFacts& f, const std::string& yblsh) {
  const std::string yhhbmc = Text(l, "yhhbMc").empty() ? Text(l, "yhhbmc") : Text(l, "yhhbMc");
  return FormatSql(
      "INSERT INTO sb_jkcslsb(djxh,hsjg,yzpzxh,yzpzmxxh,sbbm,sbjbjgDm,skssqq,skssqz,zsxmDm,zspmDm,zszmDm,yskmDm,"
      "ysfpblDm,yjjcDm,skgkDm,qfje,zsjgDm,zsuuid,jkqx,jkzt,jksj,sjje,dyzt,dysj,yblsh,jkfs,jkzh,yhyywdMc,zhmc,yhhbmc,"
      "jfrlx,xm,zjlx,zjhm) VALUES(%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%d,%s,%f,%d,%s,%s,%d,%s,%s,"
      "%s,%s,%d,%s,%s,%s)",
      {Q(f.djxh), Q(Text(l, "hsjg")), Q(Text(l, "yzpzxh")), Q(Text(l, "yzpzmxxh")), Q(Text(l, "sbbm")),
       Q(Text(l, "sbjbjgDm")), Q(Text(l, "skssqq")), Q(Text(l, "skssqz")), Q(Text(l, "zsxmDm")),
       Q(Text(l, "zspmDm")), Q(Text(l, "zszmDm")), Q(Text(l, "yskmDm")), Q(Text(l, "ysfpblDm")),
       Q(Text(l, "yjjcDm")), Q(Text(l, "skgkDm")), Q(Text(l, "qfje")), Q(Text(l, "zsjgDm")), Q(Text(l, "zsuuid")),
       Q(Text(l, "jkqx")), IntOf(l, "jkzt"), Q(Text(l, "jksj")), NumberOf(l, "sjje"), IntOf(l, "dyzt"),
       Q(Text(l, "dysj")), Q(yblsh), f.jkfs, Q(Text(l, "jkzh")), Q(Text(l, "yhyywdMc")), Q(Text(l, "zhmc")),
       Q(yhhbmc), f.jfrlx, Q(f.xm), Q(f.zjlx), Q(f.zjhm)});
}

}  // namespace payment

bool TPaymentDAO::CommitData(const std::string& lines, int32_t jkfs, int32_t jfrlx, const std::string& xm,
                             const std::string& zjlx, const std::string& zjhm) {
  return Guard("CommitData", "数据库执行失败", false, [&] {
    Json rows = payment::ArrayOf(lines, "缴费明细");
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, "数据库执行失败");
    for (const Json& l : rows) {
      payment::LineFacts f{payment::PayerOr(Text(l, "djxh")), payment::IntOf(l, "jkzt"), jkfs == 3 ? 1 : 0,
                           jkfs, jfrlx, xm, zjlx, zjhm, {}, {}};
      if (jkfs == 3)
        ExecOrThrow(*db, FormatSql("delete from sb_fkjnxxb where djxh=%s and zsuuid=%s", {Q(f.djxh), Q(Text(l, "zsuuid"))}),
                    "数据库执行失败");
      else
        ExecOrThrow(*db,
                    FormatSql("delete from sb_fkjnxxb where djxh=%s and yzpzxh=%s and yzpzmxxh=%s",
                              {Q(f.djxh), Q(Text(l, "yzpzxh")), Q(Text(l, "yzpzmxxh"))}),
                    "数据库执行失败");
      ExecOrThrow(*db, payment::LineInsert(l, f), "数据库执行失败");
    }
    tx.Commit();
    return true;
  });
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
    Json rows = payment::ArrayOf(lines, "缴费明细");
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, "数据库执行失败");
    for (const Json& l : rows) {
      payment::LineFacts f{payment::PayerOr(Text(l, "djxh")), 0, 0, jkfs, jfrlx, xm, zjlx, zjhm, {}, {}};
      ExecOrThrow(*db, payment::TimedOutInsert(l, f, yblsh), "数据库执行失败");
    }
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
