// The writes of the scheme-account store: the replacement of the account and the collection
// modes, each in one transaction (nothing half-written when a statement fails).
#include <map>
#include <string>

#include <strings.h>

#include <nlohmann/json.hpp>

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

// The payer's previous rows, by their keys, so that a replacement keeps what its download lacks.
struct PreviousAccount {
  std::map<std::string, nlohmann::ordered_json> offices, units, items;

  static std::string UnitKey(const std::string& sbjbjgdm, const std::string& dwbh) { return sbjbjgdm + '\x1f' + dwbh; }
  static std::string ItemKey(const std::string& unit, const XnhCbxm& i) {
    return unit + '\x1f' + i.xzlxDm + '\x1f' + i.zsxmdm + '\x1f' + i.zspmdm + '\x1f' + i.zszmdm;
  }

  void Load(IDBMechanism& db, const std::string& djxh) {
    for (auto& r : Rows(db, FormatSql("select * from sb_xnhjbxxb where djxh = '%s'", {V(djxh)}), kXnhDbExecFailed))
      offices[Col(r, "swjgdm")] = r;
    for (auto& r : Rows(db, FormatSql("select * from sb_xnhcbjgxxb where djxh = '%s'", {V(djxh)}), kXnhDbExecFailed))
      units[UnitKey(Col(r, "sbjbjgdm"), Col(r, "dwbh"))] = r;
    for (auto& r : Rows(db, FormatSql("select * from sb_xnhcbxmb where djxh = '%s'", {V(djxh)}), kXnhDbExecFailed)) {
      XnhCbxm i;
      i.xzlxDm = Col(r, "xzlxDm");
      i.zsxmdm = Col(r, "zsxmdm");
      i.zspmdm = Col(r, "zspmdm");
      i.zszmdm = Col(r, "zszmdm");
      items[ItemKey(UnitKey(Col(r, "sbjbjgdm"), Col(r, "dwbh")), i)] = r;
    }
  }

  static std::string Col(const nlohmann::ordered_json& row, const char* name) {
    for (auto it = row.begin(); it != row.end(); ++it)
      if (strcasecmp(it.key().c_str(), name) == 0 && it->is_string()) return it->get<std::string>();
    return {};
  }
  static const nlohmann::ordered_json* Find(const std::map<std::string, nlohmann::ordered_json>& m,
                                            const std::string& key) {
    auto it = m.find(key);
    return it == m.end() ? nullptr : &it->second;
  }
};

// Fills the fields `source` does not carry from the previous rows.
void KeepMissing(std::vector<XnhJbxx>& offices, XnhSource source, const PreviousAccount& prev) {
  const bool fromAccount = source == XnhSource::kAccount;
  for (XnhJbxx& o : offices) {
    if (!fromAccount) {
      if (const auto* r = PreviousAccount::Find(prev.offices, o.swjgdm)) {
        o.zgswksMc = PreviousAccount::Col(*r, "zgswksMc");
        o.glbz = PreviousAccount::Col(*r, "glbz");
        o.flbsdm = PreviousAccount::Col(*r, "flbsdm");
      }
    }
    for (XnhCbjg& u : o.units) {
      const std::string unit = PreviousAccount::UnitKey(u.sbjbjgdm, u.dwbh);
      if (const auto* r = PreviousAccount::Find(prev.units, unit)) {
        if (fromAccount) {
          u.sshydlDm = PreviousAccount::Col(*r, "sshydlDm");
          u.lxdzyx = PreviousAccount::Col(*r, "lxdzyx");
          u.jdxzDm = PreviousAccount::Col(*r, "jdxzDm");
        } else {
          u.lxdz = PreviousAccount::Col(*r, "lxdz");
          u.dwcbztdm = PreviousAccount::Col(*r, "dwcbztdm");
          u.tsdwlbdm = PreviousAccount::Col(*r, "tsdwlbdm");
        }
      }
      for (XnhCbxm& i : u.items) {
        const auto* r = PreviousAccount::Find(prev.items, PreviousAccount::ItemKey(unit, i));
        if (!r || fromAccount) continue;
        i.xzid = PreviousAccount::Col(*r, "xzid");
        i.tcqdm = PreviousAccount::Col(*r, "tcqdm");
        i.dwcbtslbdm = PreviousAccount::Col(*r, "dwcbtslbdm");
        i.ksjfyf = PreviousAccount::Col(*r, "ksjfyf");
        i.tzjfyf = PreviousAccount::Col(*r, "tzjfyf");
      }
    }
  }
}

}  // namespace

bool TXnhDAO::SaveXnhDjxx(const std::string& djxh, const std::vector<XnhJbxx>& offices, std::string& message) {
  return SaveXnhDjxxFrom(djxh, offices, XnhSource::kAccount, message);
}

bool TXnhDAO::SaveXnhDjxxFrom(const std::string& djxh, const std::vector<XnhJbxx>& given, XnhSource source,
                              std::string& message) {
  bool ok = Guard(std::string_view("SaveXnhDjxx"), kXnhUpdateException, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kXnhDbExecFailed);
    PreviousAccount prev;
    prev.Load(*db, djxh);
    std::vector<XnhJbxx> offices = given;
    KeepMissing(offices, source, prev);
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
                              "dwcbztdm, tsdwlbdm, djzclxdm, zbid, sshydlDm, lxdzyx, jdxzDm) VALUES ('%s', '%s', '%s', "
                              "'%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s','%s', '%s', '%s', '%s', '%s', '%s')",
                              {V(uid), V(djxh), V(o.swjgdm), V(u.yxbz), V(u.sbjbjgdm), V(u.dwbh), V(u.xzqhdm), V(u.lxrxm),
                               V(u.lxdh), V(u.lxdz), V(u.dwcbztdm), V(u.tsdwlbdm), V(u.djzclxdm), V(oid), V(u.sshydlDm),
                               V(u.lxdzyx), V(u.jdxzDm)}),
                    kXnhDbExecFailed);
        for (const XnhCbxm& i : u.items) {
          const std::string iid = std::to_string(itemId++);
          ExecOrThrow(*db,
                      FormatSql("INSERT INTO sb_xnhcbxmb(id, djxh, sbjbjgdm, xzid, xzlxDm, zsxmdm, zspmdm, zszmdm, tcqdm, "
                                "xzjddm, sqhczdm, dwcbtslbdm, ksjfyf, tzjfyf, dwbh, zbid, dsXzqhDm) VALUES ('%s', "
                                "'%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', "
                                "'%s', '%s')",
                                {V(iid), V(djxh), V(u.sbjbjgdm), V(i.xzid), V(i.xzlxDm), V(i.zsxmdm), V(i.zspmdm),
                                 V(i.zszmdm), V(i.tcqdm), V(i.xzjddm), V(i.sqhczdm), V(i.dwcbtslbdm), V(i.ksjfyf),
                                 V(i.tzjfyf), V(u.dwbh), V(uid), V(i.dsXzqhDm)}),
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
