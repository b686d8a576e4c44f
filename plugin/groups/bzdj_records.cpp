// The payer's declarations as the server lists them ("0053", stored as records with their list
// entries in one transaction) and the persons of a declared voucher ("0081").
#include "codec/taxml_exchange.h"
#include "groups/bzdj_ops.h"
#include "groups/bzdj_store.h"
#include "service/server_call.h"
#include "store/db_access.h"
#include "store/sql_toolkit.h"

namespace velmor::groups {

namespace {

using service::Json;
using service::Text;

constexpr service::OpRow kList{kClassName, "synSbqdCx", "0053", "", "", "sbqkxxList"};
constexpr service::OpRow kPersons{kClassName, "synSbmxjlCx", "0081", ""};

constexpr const char* kEntryColumns[] = {
    "zgswjgDm", "sbjbjgDm", "sbbm",  "sjly",  "jhsx", "sblsh",  "xxh",   "fkssqq", "fkssqz",    "zsxmDm",
    "zspmDm",   "zszmDm",   "jfrs",  "jfjs",  "jfbl", "yjfe",   "yjfje", "ybtfe",  "sfczmx",    "hzmxxh",
    "zjtzlsh",  "zggzze",   "jmfe",  "zdl",   "jfbz", "sbxz",   "swjgslrDm", "slswjgDm", "bz", "xzlxdm"};

// The server's state of a listed declaration as the record's: voided entries (yxbz "N") are
// voided; the states this client knows pass; anything else counts as declared.
std::string LocalState(const Json& row) {
  if (Text(row, "yxbz") == "N") return kSbztVoided;
  const std::string s = Text(row, "sbzt");
  if (s == "1" || s == "2" || s == "3" || s == "5" || s == "6") return s;
  return kSbztAccepted;
}

void StoreEntry(IDBMechanism& db, int32_t zbid, const Json& e) {
  const std::string sblsh = Text(e, "sblsh"), xxh = Text(e, "xxh");
  const int32_t known = QueryCount(db, FormatSql(" select count(1) from ds_jtbzhsbjlqdb where zbid = %d and sblsh = '%s' "
                                                 "and xxh = '%s' ",
                                                 {zbid, V(sblsh), V(xxh)}));
  if (known > 0) {
    ExecOrThrow(db, FormatSql("update ds_jtbzhsbjlqdb set hzmxxh = '%s' where zbid = %d and sblsh = '%s' and xxh = '%s'",
                              {V(Text(e, "hzmxxh")), zbid, V(sblsh), V(xxh)}));
    return;
  }
  std::string columns = "zbid", values = std::to_string(zbid);
  for (const char* c : kEntryColumns) {
    columns += std::string(", ") + c;
    values += ", " + QuotedStr(Text(e, c));
  }
  ExecOrThrow(db, " insert into ds_jtbzhsbjlqdb(" + columns + ")  values(" + values + ") ");
}

void StoreListed(IDBMechanism& db, const std::string& djxh, const std::string& jfrlx, const Json& row) {
  const std::string yzpzxh = Text(row, "yzpzxh");
  if (yzpzxh.empty()) return;
  Json found = Rows(db, FormatSql(" select id, jkzt from ds_jtbzhsbjlb where djxh = '%s' and yzpzxh = '%s' order by id "
                                  "limit 1 ",
                                  {V(djxh), V(yzpzxh)}));
  const std::string sbzt = LocalState(row), sbrq = Text(row, "sbrq").substr(0, 10);
  int32_t id = 0;
  if (found.empty()) {
    const std::string jkzt = Text(row, "jkzt").empty() ? "0" : Text(row, "jkzt");
    ExecOrThrow(db, FormatSql(" insert into ds_jtbzhsbjlb (djxh, jfrlxDm, yzpzzlDm, yjfehj, yzpzxh, sbrq, sbzt, jkzt)  "
                              "values('%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s') ",
                              {V(djxh), V(jfrlx), V(Text(row, "yzpzzlDm")), V(Text(row, "yjfehj")), V(yzpzxh), V(sbrq),
                               V(sbzt), V(jkzt)}));
    id = QueryCount(db, " select max(id) as zbid from ds_jtbzhsbjlb");
  } else {
    id = std::stoi(Text(found[0], "id"));
    // The payment state is the deduction query's; the list brings it only when it has one.
    const std::string jkzt = Text(row, "jkzt").empty() ? Text(found[0], "jkzt") : Text(row, "jkzt");
    ExecOrThrow(db, FormatSql(" update ds_jtbzhsbjlb set jfrlxDm = '%s', yzpzzlDm = '%s', yjfehj = '%s',  sbrq = '%s', "
                              "sbzt = '%s', jkzt = '%s' where id = %d ",
                              {V(jfrlx), V(Text(row, "yzpzzlDm")), V(Text(row, "yjfehj")), V(sbrq), V(sbzt), V(jkzt), id}));
  }
  if (row.contains("sbDetailList"))
    for (const Json& e : row["sbDetailList"]) StoreEntry(db, id, e);
}

}  // namespace

bool BzDjOps::DeclarationList(const std::string& sbrqq, const std::string& sbrqz, IProgressView* progress) {
  return service::RunOp(kList, error_, [&] {
    const std::string djxh = Djxh(), jfrlx = Jfrlx();
    service::OpCall call{djxh,
                         Json{{"djxh", ""}, {"jfrlx", jfrlx}, {"zgswjgdm", ""}, {"sbrqq", sbrqq}, {"sbrqz", sbrqz}},
                         progress};
    Json answer = service::Exchange(kList, call);
    try {
      Ref<IDBMechanism> db = OpenMainConnection();
      Transaction tx(*db);
      for (const Json& row : answer["sbqkxxList"]) StoreListed(*db, djxh, jfrlx, row);
      tx.Commit();
    } catch (const StoreError& e) {
      throw taxml::Failure(kSaveFailed + e.UserText() + e.EngineText());
    }
  });
}

bool BzDjOps::RecordPersons(const std::string& yzpzxh, IProgressView* progress, std::string& persons) {
  persons = "[]";
  return service::RunOp(kPersons, error_, [&] {
    if (yzpzxh.empty()) throw service::OpRefusal("应征凭证序号为空。");
    if (progress) progress->SetMessage("人数较多时下载时间较长，请耐心等待");
    service::OpCall call{Djxh(), Json{{"djxh", ""}, {"yzpzxh", yzpzxh}}, progress};
    Json answer = service::Exchange(kPersons, call);
    const std::string code = Text(answer, "cljgcode");
    if (code == "30062") return;  // the server holds no persons for it
    if (!code.empty() && code != "00000") throw taxml::Failure("【" + code + "】" + Text(answer, "cljgmsg"));
    persons = (answer.contains("sbfRysbMxList") ? answer["sbfRysbMxList"] : Json::array()).dump();
  });
}

}  // namespace velmor::groups
