// TRcsbDAO: saving a declaration (alone, or with its submission outcome), recording a
// submission's outcome, removing masters, replacing a master's persons and removing
// declarations without fee period. Each runs in one transaction, so a failure at
// any statement leaves the tables as they were.
#include "business/date_time.h"
#include <optional>

#include "declaration/dao_support.h"
#include "declaration/parsed_declaration.h"
#include "declaration/rcsb_dao.h"
#include "declaration/rcsb_dao_person_row.h"
#include "store/row_pipeline.h"
#include "store/sql.h"

namespace velmor {

using namespace declaration;

namespace {
constexpr const char* kExecFailed = "数据库执行失败";
constexpr const char* kExecException = "数据库执行异常";

std::string JoinIds(const Json& ids) {
  std::string out;
  for (const Json& v : ids) {
    const std::string text = v.get<std::string>();
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
      throw Exception("无效的记录号：" + text);
    }
    if (!out.empty()) out += ",";
    out += text;
  }
  return out;
}

// Deletes masters with their details and persons.
void DeleteMasters(IDBMechanism& db, const std::string& ids) {
  SqlFragment list = SqlFragment::Trusted(ids);
  ExecOrThrow(db,
              FormatSql(" delete from ds_sbzb where id in (%s);  delete from ds_sbmxb where zbid in (%s);  delete from "
                        "ds_sbrymxb where mxbid in (%s); ",
                        {list, list, list}),
              kExecFailed);
}

// Inserts the master row of declaration `sb`; answers its id.
int32_t InsertMaster(IDBMechanism& db, const Json& sb) {
  ExecOrThrow(
      db,
      FormatSql("INSERT INTO ds_sbzb(djxh, yblsh, sblx, swjgdm, zrs, zje, sbsj, sbzt, jkzt, jywyid, bz, yjfjeHj, "
                "ybtfeHJ) VALUES (%s, %s, %s, %s, %d, %f, %s, %d, %d, %s, %s, %f, %f)",
                {Q(Text(sb, "djxh")), Q(Text(sb, "yblsh")), Q(Text(sb, "sblx")), Q(Text(sb, "swjgdm")), Int(sb, "zrs"),
                 Amount(sb, "zje"), Q(NowText()), Int(sb, "sbzt"), Int(sb, "jkzt"), Q(Text(sb, "jywyid")),
                 Q(Text(sb, "bz")), Amount(sb, "yjfjeHj"), Amount(sb, "ybtfeHJ")}),
      "保存申报主表失败。");
  // The transaction holds the write lock, so the highest id is the row just inserted.
  const int32_t zbid = QueryCount(db, "SELECT MAX(ID) AS max_id FROM ds_sbzb", "获取主表ID失败。");
  if (zbid <= 0) throw StoreError("获取主表ID失败。", "");
  return zbid;
}

// Inserts detail row `mx` of master `zbid`.
void InsertDetail(IDBMechanism& db, int32_t zbid, const Json& mx) {
  ExecOrThrow(db,
              FormatSql("INSERT INTO ds_sbmxb(zbid, zrs, zje, jfnd, zsxmdm, zspmdm, zszmdm,sjly, dwbh, sbjbjgdm, "
                        "sfyrymx, sfyxzrymx, fkssqq, fkssqz, yjfjeHj, ybtfeHJ) VALUES (%d, %d, %f, %s, %s, %s, %s, "
                        "%s, %s, %s, %d, %d, %s, %s, %f, %f)",
                        {zbid, Int(mx, "zrs"), Amount(mx, "zje"), Q(Text(mx, "jfnd")), Q(Text(mx, "zsxmdm")),
                         Q(Text(mx, "zspmdm")), Q(Text(mx, "zszmdm")), Q(Text(mx, "sjly")), Q(Text(mx, "dwbh")),
                         Q(Text(mx, "sbjbjgdm")), Int(mx, "sfyrymx"), Int(mx, "sfyxzrymx"), Q(Text(mx, "fkssqq")),
                         Q(Text(mx, "fkssqz")), Amount(mx, "yjfjeHj"), Amount(mx, "ybtfeHJ")}),
              "保存申报明细表失败。");
  if (QueryCount(db, "SELECT MAX(ID) AS max_id FROM ds_sbmxb", "获取明细表ID失败。") <= 0) {
    throw StoreError("获取明细表ID失败。", "");
  }
}

// Inserts persons [0, count) of master `zbid`, `person(i)` giving each: their values are made on
// a worker (a declaration of a roster has 200,000) while the statement prepared once runs here.
template <class PersonAt>
void InsertPersons(IDBMechanism& db, int32_t zbid, size_t count, const PersonAt& person) {
  PipelineRows(
      [&](RowOut& out) {
        for (size_t i = 0; i < count; ++i) {
          BindPerson(out.Row(), zbid, person(i));
          out.Emit();
        }
      },
      [&](const BoundValues& values) { ExecBoundOrThrow(db, kPersonInsert, values, "保存申报人员明细表失败。"); });
}

// Inserts master, details and persons of one declaration; answers the master id.
int32_t InsertDeclaration(IDBMechanism& db, const Json& sb) {
  const int32_t zbid = InsertMaster(db, sb);
  auto details = sb.find("details");
  if (details != sb.end() && !details->is_null()) {
    if (!details->is_array()) throw StoreError(kExecException, "：details不是数组");
    for (const Json& mx : *details) {
      InsertDetail(db, zbid, mx);
      auto persons = mx.find("persons");
      if (persons == mx.end() || persons->is_null()) continue;
      if (!persons->is_array()) throw StoreError(kExecException, "：persons不是数组");
      InsertPersons(db, zbid, persons->size(), [&](size_t i) -> const Json& { return (*persons)[i]; });
    }
  }
  return zbid;
}

int32_t InsertDeclaration(IDBMechanism& db, const ParsedDeclaration& sb) {
  const int32_t zbid = InsertMaster(db, sb.master);
  for (const ParsedDetail& mx : sb.details) {
    InsertDetail(db, zbid, mx.members);
    InsertPersons(db, zbid, mx.personCount, [&](size_t i) { return sb.Person(mx.firstPerson + i); });
  }
  return zbid;
}

const Json& Master(const Json& sb) { return sb; }
const Json& Master(const ParsedDeclaration& sb) { return sb.master; }

// Runs `save(sb)` on the declaration in `text`, read once (or as the general parser's tree when
// it has another shape).
template <class Save>
auto WithDeclaration(const std::string& text, Save&& save) {
  if (std::optional<ParsedDeclaration> sb = ParsedDeclaration::Read(text)) return save(*sb);
  return save(ParseObject(text, kExecException));
}

// The voucher number of master `id` (earlier copies of the voucher go) and its persons in error.
void ApplyFeedback(IDBMechanism& db, int32_t id, const std::string& yzpzxh, const Json& list) {
  if (!yzpzxh.empty()) {
    ExecOrThrow(db, FormatSql("UPDATE ds_sbzb SET yzpzxh = %s WHERE id = %d", {Q(yzpzxh), id}), kExecFailed);
    // An earlier copy of the same voucher (a list download, a repeated fetch) goes with its rows.
    Json others =
        FirstColumn(db, FormatSql("select id from ds_sbzb where yzpzxh = %s and id <> %d", {Q(yzpzxh), id}),
                    kExecFailed);
    if (!others.empty()) DeleteMasters(db, JoinIds(others));
  }
  for (const Json& e : list) {
    Json ids = FirstColumn(
        db, FormatSql("select id from ds_sbrymxb where mxbid = %d and mxxh = %s", {id, Q(Text(e, "jfmxxh"))}),
        kExecFailed);
    for (const Json& personId : ids) {
      ExecOrThrow(db,
                  FormatSql("UPDATE ds_sbrymxb SET sbyy =%s, jyzt=%d WHERE id = %s",
                            {Q(Text(e, "sbyy")), 1, V(personId.get<std::string>())}),
                  kExecFailed);
    }
  }
}

// State and reason of master `id`, then its voucher and persons in error.
void ApplyOutcome(IDBMechanism& db, int32_t id, int32_t sbzt, const std::string& sbyy, const std::string& yzpzxh,
                  const Json& errors) {
  ExecOrThrow(db, FormatSql("UPDATE ds_sbzb set sbzt=%d, sbyy=%s, zfsj=%s WHERE ID=%d", {sbzt, Q(sbyy), Q(""), id}),
              kExecFailed);
  if (sbzt == 2 || sbzt == 6) {
    ExecOrThrow(db, FormatSql("UPDATE ds_sbzb set jkzt=%d WHERE ID=%d and zje=0", {8, id}), kExecFailed);
  }
  ApplyFeedback(db, id, yzpzxh, errors);
}

// A new declaration in one transaction; `id` is set only once it is committed.
template <class Declaration>
bool StoreNew(const Declaration& sb, int32_t& id) {
  Ref<IDBMechanism> db = OpenMainConnection();
  Transaction tx(*db, kExecException);
  const int32_t zbid = InsertDeclaration(*db, sb);
  tx.Commit();
  id = zbid;
  return true;
}
}  // namespace

bool TRcsbDAO::SaveSbData(const std::string& declaration, int32_t& id) {
  return GuardDao("SaveSbData", &ErrorMessage, kExecException, false,
                  [&] { return WithDeclaration(declaration, [&](const auto& sb) { return StoreNew(sb, id); }); });
}

bool TRcsbDAO::SaveSbData(const ParsedDeclaration& sb, int32_t& id) {
  return GuardDao("SaveSbData", &ErrorMessage, kExecException, false, [&] { return StoreNew(sb, id); });
}

bool TRcsbDAO::SaveSbDataFk(const std::string& declaration, const std::string& sbyy, const std::string& yzpzxh,
                            const std::string& errors, int32_t& id) {
  return GuardDao("SaveSbDataFk", &ErrorMessage, kExecException, false, [&] {
    return WithDeclaration(declaration, [&](const auto& sb) {
      Json list = errors.empty() ? Json::array() : ParseArray(errors, kExecException);
      Ref<IDBMechanism> db = OpenMainConnection();
      Transaction tx(*db, kExecException);
      const int32_t zbid = InsertDeclaration(*db, sb);
      ApplyOutcome(*db, zbid, Int(Master(sb), "sbzt"), sbyy, yzpzxh, list);
      tx.Commit();
      id = zbid;
      return true;
    });
  });
}

bool TRcsbDAO::UpdateSbztFk(int32_t id, int32_t sbzt, const std::string& sbyy, const std::string& yzpzxh,
                            const std::string& errors) {
  return GuardDao("UpdateSbztFk", &ErrorMessage, kExecException, false, [&] {
    Json list = errors.empty() ? Json::array() : ParseArray(errors, kExecException);
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kExecException);
    ApplyOutcome(*db, id, sbzt, sbyy, yzpzxh, list);
    tx.Commit();
    return true;
  });
}

bool TRcsbDAO::UpdateSbyyFk(int32_t id, const std::string& sbyy, const std::string& errors) {
  return GuardDao("UpdateSbyyFk", &ErrorMessage, kExecException, false, [&] {
    Json list = errors.empty() ? Json::array() : ParseArray(errors, kExecException);
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kExecException);
    ExecOrThrow(*db, FormatSql("UPDATE ds_sbzb set sbyy=%s WHERE ID=%d", {Q(sbyy), id}), kExecFailed);
    ApplyFeedback(*db, id, "", list);
    tx.Commit();
    return true;
  });
}

bool TRcsbDAO::DeleteSbData(int32_t id) {
  return GuardDao("DeleteSbData", &ErrorMessage, kExecException, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kExecException);
    DeleteMasters(*db, std::to_string(id));
    tx.Commit();
    return true;
  });
}

bool TRcsbDAO::SaveSbrymxb(int32_t mxbid, const std::string& persons) {
  return GuardDao("SaveSbrymxb", &ErrorMessage, kExecException, false, [&] {
    Json list = ParseArray(persons, kExecException);
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kExecException);
    ExecOrThrow(*db, FormatSql(" delete from ds_sbrymxb where mxbid = %d ", {mxbid}), kExecFailed);
    BoundValues values;
    for (const Json& p : list) {
      values.Clear();
      BindPerson(values, mxbid, p);
      ExecBoundOrThrow(*db, kPersonInsert, values, kExecFailed);
    }
    tx.Commit();
    return true;
  });
}

bool TRcsbDAO::UpdateSbFk(int32_t id, const std::string& yzpzxh, const std::string& errors) {
  return GuardDao("UpdateSbFk", &ErrorMessage, kExecException, false, [&] {
    Json list = errors.empty() ? Json::array() : ParseArray(errors, kExecException);
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kExecException);
    ApplyFeedback(*db, id, yzpzxh, list);
    tx.Commit();
    return true;
  });
}

bool TRcsbDAO::CleanSbWithoutFkssq(const std::string& djxh, int32_t& removed) {
  return GuardDao("CleanSbWithoutFkssq", &ErrorMessage, kExecException, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kExecException);
    Json ids = FirstColumn(*db,
                           FormatSql("select distinct zb.id from ds_sbzb zb inner join ds_sbmxb mxb on mxb.zbid = zb.id "
                                     "where zb.djxh = %s and zb.sblx = '00' and zb.sbzt = 2 and "
                                     "(mxb.fkssqq is null or mxb.fkssqq = '') order by zb.id",
                                     {Q(djxh)}),
                           kExecFailed);
    if (!ids.empty()) DeleteMasters(*db, JoinIds(ids));
    tx.Commit();
    removed = static_cast<int32_t>(ids.size());
    return true;
  });
}

}  // namespace velmor
