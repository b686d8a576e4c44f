// TEmployeeDaoImpl: updates and deletes of persons, enrolments and items.
#include "roster/employee_dao.h"
#include "roster/employee_dao_guard.h"
#include "store/sql_filters.h"

namespace velmor {

bool TEmployeeDaoImpl::delInvalidData(const std::string& djxh, const std::string& rydjxh, const std::string& month) {
  // One ExecSQL: the three statements succeed or fail together.
  return Exec("delInvalidData",
              FormatSql(" delete from sb_rycbxmb where djxh = '%0:s' and rydjxh = '%1:s' and tzjfyf < '%2:s' ; "
                        " delete from sb_rycbjgxxb where djxh = '%0:s' and rydjxh = '%1:s' and not exists (select 1 "
                        "from sb_rycbxmb where sb_rycbxmb.djxh = '%0:s' and sb_rycbxmb.rydjxh = '%1:s') ; "
                        " delete from sb_ryjbxxb where djxh = '%0:s' and rydjxh = '%1:s' and not exists (select 1 "
                        "from sb_rycbxmb where sb_rycbxmb.djxh = '%0:s' and sb_rycbxmb.rydjxh = '%1:s') ",
                        {V(djxh), V(rydjxh), V(month)}),
              kDbDeleteFailed);
}

bool TEmployeeDaoImpl::UpdatePhoneNumber(const std::string& djxh, const std::string& rydjxh, const std::string& phone) {
  return Exec("UpdatePhoneNumber",
              FormatSql("update sb_ryjbxxb set phonenumber='%s' where djxh = '%s' and rydjxh = '%s' ",
                        {V(phone), V(djxh), V(rydjxh)}));
}

bool TEmployeeDaoImpl::UpdateGroupInfo(const std::string& djxh, const std::string& rydjxh, int32_t fzid,
                                       const std::string& fullpath) {
  return Exec("UpdateGroupInfo",
              FormatSql("update sb_ryjbxxb set fzid=%d, fullpath=%s where djxh = '%s' and rydjxh = '%s' ",
                        {fzid, Q(fullpath), V(djxh), V(rydjxh)}));
}

bool TEmployeeDaoImpl::delData(const std::string& djxh, const std::vector<std::string>& rydjxhs) {
  return Guard("delData", LogForm::kTrailing, kDbDeleteFailed, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kDbDeleteFailed);
    for (const std::string& rydjxh : rydjxhs) {
      ExecOrThrow(*db,
                  FormatSql(" delete from sb_rycbxmb where djxh = '%0:s' and rydjxh = '%1:s' ;  delete from "
                            "sb_rycbjgxxb where djxh = '%0:s' and rydjxh = '%1:s' ;  delete from sb_ryjbxxb where "
                            "djxh = '%0:s' and rydjxh = '%1:s' ",
                            {V(djxh), V(rydjxh)}),
                  kDbDeleteFailed);
    }
    tx.Commit();
    return true;
  });
}

bool TEmployeeDaoImpl::ExecSQL(const std::string& sql) { return Exec("ExecSQL", sql); }

bool TEmployeeDaoImpl::DelDataById(const std::string& djxh, const std::vector<int32_t>& ids, std::string& message) {
  bool ok = Guard("DelDataById", LogForm::kTrailing, kDbDeleteFailed, false, [&] {
    if (ids.empty()) return true;
    SqlFragment list;
    for (size_t i = 0; i < ids.size(); ++i) {
      list += SqlFragment::Trusted((i ? ", " : "") + std::to_string(ids[i]));
    }
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kDbDeleteFailed);
    ExecOrThrow(*db, FormatSql("delete from sb_ryjbxxb where djxh = '%s' and id in (%s)", {V(djxh), list}),
                kDbDeleteFailed);
    ExecOrThrow(*db,
                FormatSql("DELETE from sb_rycbjgxxb where djxh=%0:s and (not exists(select 1 from sb_ryjbxxb a where "
                          "a.djxh=%0:s and a.rydjxh=sb_rycbjgxxb.rydjxh))",
                          {Q(djxh)}),
                "删除人员参保机构信息失败。");
    ExecOrThrow(*db,
                FormatSql("DELETE from sb_rycbxmb where djxh=%0:s and (not exists(select 1 from sb_ryjbxxb a where "
                          "a.djxh=%0:s and a.rydjxh=sb_rycbxmb.rydjxh))",
                          {Q(djxh)}),
                "删除人员参保信息失败。");
    tx.Commit();
    return true;
  });
  message = ErrorMessage;
  return ok;
}

bool TEmployeeDaoImpl::ClearInvalidFzxx(const std::string& djxh) {
  return Exec("ClearInvalidFzxx",
              FormatSql("UPDATE sb_ryjbxxb set fzid=-1, fullpath='' WHERE djxh=%s and fzid > 0 and not exists "
                        "(select 1 from sb_fzxxb where sb_fzxxb.id = sb_ryjbxxb.fzid)",
                        {Q(djxh)}));
}

bool TEmployeeDaoImpl::UpdateBzxx(const std::string& djxh, const std::string& rydjxh, const std::string& bzxx) {
  return Exec("UpdateBzxx", FormatSql("update sb_ryjbxxb set bzxx=%s where djxh = '%s' and rydjxh = '%s' ",
                                      {Q(bzxx), V(djxh), V(rydjxh)}));
}

bool TEmployeeDaoImpl::delBy4Elements(const std::string& djxh, const std::string& xm, const std::string& zjlx,
                                      const std::string& zjhm, RyOrigin ly) {
  return Exec("delBy4Elements",
              FormatSql("delete from sb_ryjbxxb where djxh = '%s' and xm = '%s' and zjlx = '%s' and zjhm = '%s' %s ",
                        {V(djxh), V(xm), V(zjlx), V(zjhm), OriginFilter(ly)}),
              kDbDeleteFailed);
}

bool TEmployeeDaoImpl::UpdateBzxxById(int32_t id, const std::string& bzxx) {
  return Exec("UpdateBzxx", FormatSql("update sb_ryjbxxb set bzxx=%s where id= %d ", {Q(bzxx), id}));
}

bool TEmployeeDaoImpl::UpdateGroupInfoById(int32_t id, int32_t fzid, const std::string& fullpath) {
  return Exec("UpdateGroupInfo",
              FormatSql("update sb_ryjbxxb set fzid=%d, fullpath=%s where id=%d ", {fzid, Q(fullpath), id}));
}

bool TEmployeeDaoImpl::UpdatePhoneNumberById(int32_t id, const std::string& phone) {
  return Exec("UpdatePhoneNumber", FormatSql("update sb_ryjbxxb set phonenumber='%s' where id=%d ", {V(phone), id}));
}

}  // namespace velmor
