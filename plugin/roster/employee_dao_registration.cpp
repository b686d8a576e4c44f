// RegistrationWriter, and the two store operations that take registration documents:
// addOrUpdateYgcbxx (the registration download) and saveWbry (outside persons).
#include "roster/employee_dao_registration.h"

#include <memory>

#include "business/date_time.h"
#include "framework/registry.h"
#include "roster/employee_dao.h"
#include "roster/employee_dao_guard.h"
#include "roster/ry_extra_data.h"
#include "framework/host_access.h"
#include "store/sql.h"
#include "store/sql_filters.h"
#include "velmor/sys_param_dao.h"

namespace velmor {
namespace {

constexpr int kPersonsPerCommit = 2000;
constexpr const char* kNoSysParamDao = "创建接口[ISysParamDAO]失败！";

std::string Month(const std::string& v) { return v.size() > 7 ? v.substr(0, 7) : v; }

bool IsY(const std::string& flag) {
  size_t i = flag.find_first_not_of(" \t");
  return i != std::string::npos && (flag[i] == 'Y' || flag[i] == 'y');
}

}  // namespace

std::unordered_map<std::string, TRyExtraData> ReadRyExtraData(IDBMechanism& db, const std::string& djxh) {
  std::unordered_map<std::string, TRyExtraData> out;
  Ref<IDBDataSet> ds = QueryOrThrow(
      db, FormatSql("select rydjxh, phonenumber, fzid, fullpath from sb_ryjbxxb where djxh = %s", {Q(djxh)}));
  for (; !ds->Eof(); ds->Next()) {
    Ref<IDBField> fzid = ds->Fields()->FieldByName("fzid");
    TRyExtraData extra{FieldText(*ds, "phonenumber"), fzid->IsNull() ? -1 : fzid->AsInteger(), FieldText(*ds, "fullpath")};
    out.try_emplace(FieldText(*ds, "rydjxh"), std::move(extra));
  }
  return out;
}

RegistrationWriter::RegistrationWriter(IDBMechanism& db, std::string djxh, std::string month)
    : db_(db), djxh_(std::move(djxh)), month_(std::move(month)) {
  Ref<IDBDataSet> ds = QueryOrThrow(db_, "select zspmdm, pmlx from sb_pmlxb");
  for (; !ds->Eof(); ds->Next()) pmlx_.try_emplace(FieldText(*ds, "zspmdm"), FieldText(*ds, "pmlx"));
}

bool RegistrationWriter::Store(const RegPerson& p) {
  // 1. What the stored server person keeps.
  TRyExtraData extra;
  {
    Ref<IDBDataSet> ds = QueryOrThrow(
        db_, FormatSql("select phonenumber, fzid, fullpath from sb_ryjbxxb where djxh = '%s' and rydjxh = '%s' %s",
                       {V(djxh_), V(p.djxh), SqlFragment(kServerOriginFilter)}));
    if (!ds->Eof()) {
      Ref<IDBField> fzid = ds->Fields()->FieldByName("fzid");
      extra = {FieldText(*ds, "phonenumber"), fzid->IsNull() ? -1 : fzid->AsInteger(), FieldText(*ds, "fullpath")};
    }
  }
  // 2. Out with the old rows.
  ExecOrThrow(db_,
              FormatSql(" delete from sb_rycbxmb where djxh = '%0:s' and rydjxh = '%1:s' ;  delete from sb_rycbjgxxb "
                        "where djxh = '%0:s' and rydjxh = '%1:s' ;  delete from sb_ryjbxxb where djxh = '%0:s' and "
                        "rydjxh = '%1:s' %2:s ",
                        {V(djxh_), V(p.djxh), SqlFragment(kServerOriginFilter)}),
              kDbDeleteFailed);
  // 3. Valid enrolments with their running items.
  int stored = 0;
  for (const RegEnrolment& e : p.enrolments) {
    if (!IsY(e.yxbz)) continue;
    int items = 0;
    for (const RegItem& i : e.items) {
      if (!IsY(i.yxbz) || Month(i.tzjfyf) < month_) continue;
      auto pm = pmlx_.find(i.zspmDm);
      ExecOrThrow(db_, FormatSql(" insert into sb_rycbxmb (djxh, rydjxh, sbjbjgdm, rybh, xzid, zsxmdm, zspmdm, zszmdm, "
                                 "tcqdm, xzjddm, sqhczdm, cbrytslbdm, ksjfyf, tzjfyf, gxsj, pmlx, yxbz) values ('%s', "
                                 "'%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', "
                                 "'%s', 'Y') ",
                                 {V(djxh_), V(p.djxh), V(e.sbjbjgDm), V(e.rybh), V(i.id), V(i.zsxmDm), V(i.zspmDm),
                                  V(i.zszmDm), V(i.tcqBm), V(i.jdxzDm), V(i.sqczDm), V(i.cbrytslbDm),
                                  V(Month(i.ksjfyf)), V(Month(i.tzjfyf)), V(i.gxsj),
                                  V(pm == pmlx_.end() ? std::string() : pm->second)}));
      ++items;
    }
    if (items == 0) continue;
    ExecOrThrow(db_, FormatSql(" insert into sb_rycbjgxxb (djxh, rydjxh, sbjbjgdm, rybh, sbhm, xzqhdm, sqhczdm, gxsj, "
                               "yxbz) values ('%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', 'Y') ",
                               {V(djxh_), V(p.djxh), V(e.sbjbjgDm), V(e.rybh), V(e.sbhm), V(e.ssxzqhDm), V(e.sqczDm),
                                V(e.gxsj)}));
    ++stored;
  }
  if (stored == 0) return false;
  // 4. The person, with what it keeps.
  ExecOrThrow(db_, FormatSql(" insert into sb_ryjbxxb (djxh, rydjxh, xm, zjlx, zjhm, gjdqdm, csrq, xb, rynsrsbh, "
                             "phonenumber, fzid, fullpath, ly, djzt, cbzt, updateFlag) values ('%s', '%s', '%s', '%s', "
                             "'%s', '%s', '%s', '%s', '%s', '%s', %d, %s, '0', '1', '1', 1) ",
                             {V(djxh_), V(p.djxh), V(p.xm), V(p.sfzjlx), V(p.sfzjhm), V(p.gjDm), V(p.csrq), V(p.sex),
                              V(p.jfrsbh), V(extra.phonenumber), extra.fzid, Q(extra.fullpath)}));
  return true;
}

bool TEmployeeDaoImpl::addOrUpdateYgcbxx(const std::string& djxh, const std::string& xml, std::string& message) {
  bool ok = Guard("addOrUpdateYgcbxx", LogForm::kTrailing, "", false, [&] {
    RegistrationDoc doc = ParseRegistrationDoc(xml);
    if (!doc.ok()) {
      ErrorMessage = "【" + doc.code + "】" + doc.message;
      return false;
    }
    Ref<IDBMechanism> db = OpenMainConnection();
    {
      Transaction tx(*db);
      RegistrationWriter writer(*db, djxh, CurrentMonth());
      int count = 0;
      for (const RegPerson& p : doc.persons) {
        writer.Store(p);
        if (++count % kPersonsPerCommit == 0) tx.CommitAndReopen();
      }
      tx.Commit();
    }
    Ref<ISysParamDAO> params = CreatePluginService<ISysParamDAO>(kNoSysParamDao);
    if (!params->setData(djxh, "ygcbxx_gxsj", doc.gxsj) || !params->setData(djxh, "ygcbxx_maxid", doc.maxid))
      throw Exception("保存系统参数[ygcbxx_gxsj]失败");
    return true;
  });
  message = ErrorMessage;
  return ok;
}

bool TEmployeeDaoImpl::saveWbry(const std::string& djxh, const std::vector<WbryEntry>& entries,
                                std::string& message) {
  bool ok = Guard("saveWbry", LogForm::kTrailing, kDbUpdateFailed, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db);
    std::unique_ptr<RegistrationWriter> writer;
    const std::string today = Today();
    for (const WbryEntry& e : entries) {
      const size_t start = e.response.find_first_not_of(" \t\r\n");
      if (start != std::string::npos && e.response[start] == '<') {
        // The server's registration document of the person: stored as the download stores it.
        RegistrationDoc doc = ParseRegistrationDoc(e.response);
        if (!doc.ok()) continue;
        if (!writer) writer = std::make_unique<RegistrationWriter>(*db, djxh, CurrentMonth());
        for (const RegPerson& p : doc.persons) writer->Store(p);
        continue;
      }
      if (e.state != "1" && e.state != "2") continue;
      // A local person: what its earlier row had carries over.
      std::string rydjxh, phone, fullpath = e.fullpath, bzxx = e.bzxx;
      int32_t fzid = e.fzid;
      {
        Ref<IDBDataSet> ds = QueryOrThrow(
            *db, FormatSql("select rydjxh, phonenumber, fzid, fullpath, bzxx from sb_ryjbxxb  where djxh = '%s' and "
                           "xm = '%s' and zjlx = '%s' and zjhm = '%s' %s",
                           {V(djxh), V(e.xm), V(e.zjlx), V(e.zjhm), SqlFragment(kLocalOriginFilter)}));
        if (!ds->Eof()) {
          rydjxh = FieldText(*ds, "rydjxh");
          phone = FieldText(*ds, "phonenumber");
          if (fzid == -1) {
            Ref<IDBField> f = ds->Fields()->FieldByName("fzid");
            fzid = f->IsNull() ? -1 : f->AsInteger();
            fullpath = FieldText(*ds, "fullpath");
          }
          if (bzxx.empty()) bzxx = FieldText(*ds, "bzxx");
        }
      }
      ExecOrThrow(*db,
                  FormatSql("delete from sb_ryjbxxb where djxh = '%s' and xm = '%s' and zjlx = '%s' and zjhm = '%s' %s",
                            {V(djxh), V(e.xm), V(e.zjlx), V(e.zjhm), SqlFragment(kLocalOriginFilter)}),
                  kDbDeleteFailed);
      ExecOrThrow(*db, FormatSql(" insert into sb_ryjbxxb (djxh, rydjxh, xm, zjlx, zjhm, ly, djzt, fzid, fullpath, drrq, "
                                 "bzxx, cbzt, hh, phonenumber) values ('%s', '%s', '%s', '%s', '%s', '1', '0', %d, '%s', "
                                 "'%s', %s, '3', '%s', '%s' ) ",
                                 {V(djxh), V(rydjxh), V(e.xm), V(e.zjlx), V(e.zjhm), fzid, V(fullpath), V(today),
                                  Q(bzxx), V(e.hh), V(phone)}));
    }
    tx.Commit();
    return true;
  });
  message = ErrorMessage;
  return ok;
}

}  // namespace velmor
