// The writes of the scheme-account store: the replacement of the account and the collection
// modes, each in one transaction (nothing half-written when a statement fails).
#include <string>

#include "residents/xnh_dao.h"
#include "residents/xnh_dao_guard.h"
#include "store/sql.h"
#include "store/sql_toolkit.h"

namespace velmor {

std::string TranslateZjms(std::string_view serverCode) {
  if (serverCode == "00") return "01";
  if (serverCode == "01") return "02";
  return "00";
}

namespace {

// The next free id of a table (ids are chosen by the writer so that children can name them).
int64_t NextId(IDBMechanism& db, const char* table) {
  Ref<IDBDataSet> ds = QueryOrThrow(db, std::string("select ifnull(max(id), 0) from ") + table, kXnhDbExecFailed);
  return ds->Eof() ? 1 : ds->Fields()->FieldByIndex(0)->AsInteger() + 1;
}

}  // namespace

bool TXnhDAO::SaveXnhDjxx(const std::string& djxh, const std::vector<XnhJbxx>& offices, std::string& message) {
  bool ok = Guard(std::string_view("SaveXnhDjxx"), kXnhUpdateException, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kXnhDbExecFailed);
    ExecOrThrow(*db, FormatSql("DELETE FROM sb_xnhjbxxb WHERE djxh = '%s'", {V(djxh)}), kXnhDbExecFailed);
    ExecOrThrow(*db, FormatSql("DELETE FROM sb_xnhcbjgxxb WHERE djxh = '%s'", {V(djxh)}), kXnhDbExecFailed);
    ExecOrThrow(*db, FormatSql("DELETE FROM sb_xnhcbxmb WHERE djxh = '%s'", {V(djxh)}), kXnhDbExecFailed);
    int64_t officeId = NextId(*db, "sb_xnhjbxxb"), unitId = NextId(*db, "sb_xnhcbjgxxb"),
            itemId = NextId(*db, "sb_xnhcbxmb");
    for (const XnhJbxx& o : offices) {
      const std::string oid = std::to_string(officeId++);
      ExecOrThrow(*db,
                  FormatSql("INSERT INTO sb_xnhjbxxb(id, djxh, swjgdm, jfrztdm, zgswksDm, zgswksMc, glbz, flbsdm) "
                            "VALUES ('%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s')",
                            {V(oid), V(djxh), V(o.swjgdm), V(o.jfrztdm), V(o.zgswksDm), V(o.zgswksMc), V(o.glbz),
                             V(o.flbsdm)}),
                  kXnhDbExecFailed);
      for (const XnhCbjg& u : o.units) {
        const std::string uid = std::to_string(unitId++);
        ExecOrThrow(*db,
                    FormatSql("INSERT INTO sb_xnhcbjgxxb(id, djxh, swjgdm, yxbz, sbjbjgdm, dwbh, xzqhdm, lxrxm, lxdh, lxdz, "
                              "dwcbztdm, tsdwlbdm, djzclxdm, zbid) VALUES ('%s', '%s', '%s', '%s', '%s', '%s', '%s', "
                              "'%s', '%s', '%s', '%s','%s', '%s', '%s')",
                              {V(uid), V(djxh), V(o.swjgdm), V(u.yxbz), V(u.sbjbjgdm), V(u.dwbh), V(u.xzqhdm), V(u.lxrxm),
                               V(u.lxdh), V(u.lxdz), V(u.dwcbztdm), V(u.tsdwlbdm), V(u.djzclxdm), V(oid)}),
                    kXnhDbExecFailed);
        for (const XnhCbxm& i : u.items) {
          const std::string iid = std::to_string(itemId++);
          ExecOrThrow(*db,
                      FormatSql("INSERT INTO sb_xnhcbxmb(id, djxh, sbjbjgdm, xzid, xzlxDm, zsxmdm, zspmdm, zszmdm, tcqdm, "
                                "xzjddm, sqhczdm, dwcbtslbdm, ksjfyf, tzjfyf, dwbh, zbid) VALUES ('%s', '%s', '%s', '%s', "
                                "'%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s')",
                                {V(iid), V(djxh), V(u.sbjbjgdm), V(i.xzid), V(i.xzlxDm), V(i.zsxmdm), V(i.zspmdm),
                                 V(i.zszmdm), V(i.tcqdm), V(i.xzjddm), V(i.sqhczdm), V(i.dwcbtslbdm), V(i.ksjfyf),
                                 V(i.tzjfyf), V(u.dwbh), V(uid)}),
                      kXnhDbExecFailed);
        }
      }
    }
    tx.Commit();
    return true;
  });
  message = ErrorMessage;
  return ok;
}

bool TXnhDAO::saveZjms(const std::string& djxh, const std::vector<XnhZjmsEntry>& entries, std::string& message) {
  bool ok = Guard(std::string_view("saveZjms"), kXnhUpdateException, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db);
    for (const XnhZjmsEntry& e : entries) {
      ExecOrThrow(*db, FormatSql(" update sb_xnhcbxmb set zjms = '%s' where djxh = '%s' and sbjbjgdm = '%s'  and zsxmdm = "
                                 "'%s' and zspmdm = '%s' and zszmdm = '%s' ",
                                 {V(TranslateZjms(e.zjms)), V(djxh), V(e.sbjbjgdm), V(e.zsxmdm), V(e.zspmdm), V(e.zszmdm)}));
    }
    ExecOrThrow(*db, FormatSql(" update sb_xnhcbxmb set zjms = '00' where djxh = '%s' and (zjms = '' or zjms is null) ",
                               {V(djxh)}));
    tx.Commit();
    return true;
  });
  message = ErrorMessage;
  return ok;
}

}  // namespace velmor
