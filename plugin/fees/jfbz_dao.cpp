#include "fees/jfbz_dao.h"

#include <optional>

#include "fees/jfbz_rule.h"
#include "framework/boundary.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "store/db_access.h"
#include "store/json_text.h"
#include "store/sql.h"
#include "store/sql_toolkit.h"
#include "codec/json_parse.h"

namespace velmor {

namespace {

using Json = nlohmann::ordered_json;

enum Order { kAsStored, kSpecificFirst, kSpecificGroup };

// A rule the caller sent that cannot be stored: its text names the row and stands as it is.
class RuleError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "RuleError"; }
};

// A member of a rule row by column name, letter case ignored ("zspmDm" fills zspmdm).
const Json* Member(const Json& row, std::string_view column) {
  if (!row.is_object()) return nullptr;
  for (auto it = row.begin(); it != row.end(); ++it) {
    const std::string& k = it.key();
    if (k.size() != column.size()) continue;
    bool same = true;
    for (size_t i = 0; i < k.size() && same; ++i) same = std::tolower(static_cast<unsigned char>(k[i])) == column[i];
    if (same) return &it.value();
  }
  return nullptr;
}

std::string Str(const Json& row, std::string_view column) {
  const Json* v = Member(row, column);
  if (!v || v->is_null()) return {};
  return v->is_string() ? v->get<std::string>() : v->dump();
}

int Int(const Json& row, std::string_view column, const std::string& where) {
  const Json* v = Member(row, column);
  if (!v || v->is_null() || (v->is_string() && v->get<std::string>().empty())) return -1;
  if (v->is_number_integer()) return v->get<int>();
  try {
    size_t used = 0;
    const std::string s = Str(row, column);
    int n = std::stoi(s, &used);
    if (used == s.size()) return n;
  } catch (const std::exception&) {
  }
  throw RuleError(where + std::string(column) + "[" + Str(row, column) + "]不是整数");
}

double Amount(const Json& row, std::string_view column, const std::string& where) {
  const Json* v = Member(row, column);
  std::optional<long long> cents = v ? fees::Cents(*v) : std::nullopt;
  if (!cents) throw RuleError(where + std::string(column) + "[" + Str(row, column) + "]不是金额");
  return static_cast<double>(*cents) / 100.0;
}

std::string Date(const Json& row, std::string_view column, const std::string& where) {
  std::optional<std::string> d = fees::NormalDate(Str(row, column));
  if (!d) throw RuleError(where + std::string(column) + "[" + Str(row, column) + "]不是日期");
  return *d;
}

const Json* List(const Json& gz, const char* name) {
  const Json* list = Member(gz, name);
  if (!list) return nullptr;
  if (!list->is_array()) throw RuleError(std::string("缴费标准规则") + name + "不是数组");
  return list;
}

void SavePmlx(IDBMechanism& db, const Json& rows) {
  ExecOrThrow(db, "delete from sb_pmlxb", kPmlxClearFailed);
  for (const Json& r : rows)
    ExecOrThrow(db, FormatSql("insert into sb_pmlxb(zspmdm,pmlx) values('%s','%s')", {V(Str(r, "zspmdm")), V(Str(r, "pmlx"))}),
                kPmlxInsertFailed);
}

void SaveJffs(IDBMechanism& db, const Json& rows) {
  ExecOrThrow(db, "delete from sb_jffsb", kJfbzSaveFailed);
  for (const Json& r : rows)
    ExecOrThrow(db,
                FormatSql("insert into sb_jffsb(zsxmdm,zspmdm,zszmdm,sbjbjgdm,jffs) values('%s','%s','%s','%s','%s')",
                          {V(Str(r, "zsxmdm")), V(Str(r, "zspmdm")), V(Str(r, "zszmdm")), V(Str(r, "sbjbjgdm")),
                           V(Str(r, "jffs"))}),
                kJfbzSaveFailed);
}

// Limits (sxx) and grades (dc) share the keys, validity, ages and sex.
void SaveRanged(IDBMechanism& db, const Json& rows, bool grades) {
  ExecOrThrow(db, grades ? "delete from sb_jfdcb" : "delete from sb_jfsxxb", kJfbzSaveFailed);
  int n = 0;
  for (const Json& r : rows) {
    const std::string where = std::string(grades ? "缴费档次" : "缴费上下限") + "规则第" + std::to_string(++n) + "行：";
    const std::string head = FormatSql("'%s','%s','%s','%s','%s','%s',%d,%d,'%s'",
                                       {V(Str(r, "zsxmdm")), V(Str(r, "zspmdm")), V(Str(r, "zszmdm")),
                                        V(Str(r, "sbjbjgdm")), V(Date(r, "yxqq", where)), V(Date(r, "yxqz", where)),
                                        Int(r, "nldq", where), Int(r, "nldz", where), V(Str(r, "xb"))});
    const std::string sql =
        grades ? FormatSql("insert into sb_jfdcb(zsxmdm,zspmdm,zszmdm,sbjbjgdm,yxqq,yxqz,nldq,nldz,xb,dcdm,dcje) "
                           "values(%s,'%s',%f)",
                           {SqlFragment::Trusted(head), V(Str(r, "dcdm")), Amount(r, "dcje", where)})
               : FormatSql("insert into sb_jfsxxb(zsxmdm,zspmdm,zszmdm,sbjbjgdm,yxqq,yxqz,nldq,nldz,xb,xxje,sxje) "
                           "values(%s,%f,%f)",
                           {SqlFragment::Trusted(head), Amount(r, "xxje", where), Amount(r, "sxje", where)});
    ExecOrThrow(db, sql, kJfbzSaveFailed);
  }
}

// The part of a lookup every rule query shares: item, sub-item, agency and detail.
SqlFragment KeyCondition(const JfbzKey& key) {
  return fees::CodeCondition("sbjbjgdm", key.sbjbjgdm) + fees::CodeCondition("zszmdm", key.zszmdm);
}

std::string RangedSql(const char* table, const JfbzKey& key, const char* order) {
  std::optional<std::string> rq = fees::NormalDate(key.rq);
  if (!rq) throw RuleError("日期[" + key.rq + "]格式错误");
  return FormatSql("select * from %s where zsxmdm = '%s' and zspmdm = '%s' and yxqq <= '%s' and yxqz >= '%s' and 1=1 %s%s%s",
                   {SqlFragment::Trusted(table), V(key.zsxmdm), V(key.zspmdm), V(*rq), V(*rq), KeyCondition(key),
                    fees::PersonCondition(key), SqlFragment::Trusted(order)});
}

}  // namespace

bool TJfbzDAOImpl::Query(std::string_view op, const std::string& sql, std::string& rows, int order, bool bySex) {
  ErrorMessage.clear();
  rows = "[]";
  return Guarded<StoreError, RuleError>({"TJfbzDAOImpl", op}, {kDbQueryFailed, false}, &ErrorMessage, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Json found = Rows(*db, sql);
    if (order == kSpecificFirst) found = fees::MostSpecificFirst(std::move(found), bySex);
    else if (order == kSpecificGroup) found = fees::MostSpecificGroup(found, bySex);
    rows = JsonText(found);
    return true;
  });
}

bool TJfbzDAOImpl::SaveJfbz(const std::string& rule) {
  ErrorMessage.clear();
  return Guarded<RuleError, StoreError>({"TJfbzDAOImpl", "SaveJfbz"}, {kJfbzSaveFailed, false}, &ErrorMessage, false, [&] {
    Json gz = ParseOutsideJson<Json>(rule, false);
    const Json* lists = gz.is_object() ? Member(gz, "gzlb") : nullptr;
    if (!lists || !lists->is_object()) throw RuleError(kJfbzNullRule);
    const Json* pmlx = List(*lists, "pmlxlb");
    const Json* jffs = List(*lists, "jffslb");
    const Json* jfsxx = List(*lists, "jfsxxlb");
    const Json* jfdc = List(*lists, "jfdclb");
    if (pmlx && pmlx->empty()) throw RuleError(kPmlxEmpty);
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kJfbzSaveFailed);
    if (pmlx) SavePmlx(*db, *pmlx);
    if (jffs) SaveJffs(*db, *jffs);
    if (jfsxx) SaveRanged(*db, *jfsxx, false);
    if (jfdc) SaveRanged(*db, *jfdc, true);
    tx.Commit();
    return true;
  });
}

std::string TJfbzDAOImpl::GetAllPmlxList() {
  std::string rows;
  ErrorMessage.clear();
  Guarded<StoreError>({"TJfbzDAOImpl", "GetAllPmlxList"}, {kPmlxListFailed, false}, &ErrorMessage, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    rows = JsonText(Rows(*db, "select * from sb_pmlxb", kPmlxListFailed));
    return true;
  });
  return rows.empty() ? "[]" : rows;
}

bool TJfbzDAOImpl::GetJfdcList(const JfbzKey& key, std::string& rows) {
  std::string sql;
  try {
    sql = RangedSql("sb_jfdcb", key, " order by dcje");
  } catch (const std::exception& e) {
    ErrorMessage = e.what();
    rows = "[]";
    return false;
  }
  return Query("GetJfdcList", sql, rows, kSpecificGroup, key.xb == "1" || key.xb == "2");
}

bool TJfbzDAOImpl::GetJfsxxList(const JfbzKey& key, std::string& rows) {
  std::string sql;
  try {
    sql = RangedSql("sb_jfsxxb", key, "");
  } catch (const std::exception& e) {
    ErrorMessage = e.what();
    rows = "[]";
    return false;
  }
  return Query("GetJfsxxList", sql, rows, kSpecificFirst, key.xb == "1" || key.xb == "2");
}

bool TJfbzDAOImpl::GetJffsList(const JfbzKey& key, std::string& rows) {
  return Query("GetJffsList",
               FormatSql("select * from sb_jffsb where zsxmdm = '%s' and zspmdm = '%s' %s",
                         {V(key.zsxmdm), V(key.zspmdm), KeyCondition(key)}),
               rows, kSpecificFirst, false);
}

bool TJfbzDAOImpl::GetZspmList(const std::string& pmlx, const std::string& sbjbjgdm, std::string& rows) {
  // The agency condition without its leading " and ".
  std::string agency = fees::CodeCondition("sbjbjgdm", sbjbjgdm).str();
  if (agency.rfind(" and ", 0) == 0) agency = agency.substr(5);
  if (agency.empty()) agency = "1=1";
  return Query("GetZspmList",
               FormatSql("SELECT DISTINCT * FROM(SELECT zspmdm from sb_pmlxb where pmlx = '%s') A INNER JOIN (SELECT "
                         "zsxmdm, zspmdm as pmdm, zszmdm, jffs from sb_jffsb where %s and (jffs = '%s' or jffs = '%s')) B "
                         "on A.zspmdm = B.pmdm",
                         {V(pmlx), SqlFragment::Trusted(agency), V("05"), V("04")}),
               rows, kAsStored, false);
}

namespace {
void RegisterJfbzDAO() { RegisterServiceClass(ServiceRowAt(kRowTJfbzDAOImpl).iid, &ClassOf<TJfbzDAOImpl>::Instance()); }
void UnregisterJfbzDAO() { UnregisterServiceClass(ServiceRowAt(kRowTJfbzDAOImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(19, velmor::RegisterJfbzDAO, velmor::UnregisterJfbzDAO)
