// TEmployeeDaoImpl: rows given by the caller (saveCbryxx) and the payment states of a year.
#include <algorithm>
#include <set>

#include <nlohmann/json.hpp>

#include "roster/employee_dao.h"
#include "roster/employee_dao_guard.h"
#include "roster/ry_extra_data.h"
#include "codec/json_parse.h"

namespace velmor {
namespace {

// The columns a caller may give for each table (the row id is the store's).
const std::set<std::string, std::less<>>& Columns(std::string_view table) {
  static const std::set<std::string, std::less<>> persons = {
      "djxh", "rydjxh", "xm", "zjlx", "zjhm", "gjdqdm", "csrq", "xb", "rynsrsbh", "phonenumber", "fzid",
      "fullpath", "bzxx", "drrq", "ly", "djzt", "cbzt", "hh", "updateFlag", "hjxzDm", "hjszdxzqhDm", "hjdz", "czdz",
      "jdxzDm", "sqczDm", "yzbm", "lxdzyj", "lxdh", "rysfDm", "tsrylbDm", "shbzhm"};
  static const std::set<std::string, std::less<>> enrolments = {
      "djxh", "rydjxh", "sbjbjgdm", "rybh", "sbhm", "xzqhdm", "sqhczdm", "gxsj", "yxbz", "swjgDm", "updateFlag"};
  static const std::set<std::string, std::less<>> items = {
      "djxh",    "rydjxh", "sbjbjgdm", "rybh",   "xzid",   "zsxmdm", "zspmdm",  "zszmdm",     "tcqdm",
      "xzjddm",  "sqhczdm", "cbrytslbdm", "ksjfyf", "tzjfyf", "gxsj",  "pmlx",    "xzlxdm",     "yxbz",
      "djnd",    "yjfe",   "swjgDm",   "updateFlag", "jfdxzqhDm", "dwbh"};
  if (table == "sb_ryjbxxb") return persons;
  if (table == "sb_rycbjgxxb") return enrolments;
  return items;
}

std::string Text(const nlohmann::json& v) {
  if (v.is_string()) return v.get<std::string>();
  if (v.is_null()) return {};
  return v.dump();
}

using Row = std::vector<std::pair<std::string, std::string>>;  // column, value; djxh first

Row ReadRow(const nlohmann::json& object, std::string_view table, const std::string& djxh) {
  if (!object.is_object()) throw Exception("数据格式错误：" + std::string(table) + "的行不是对象");
  const auto& allowed = Columns(table);
  Row row{{"djxh", djxh}};
  for (const auto& [key, value] : object.items()) {
    auto it = allowed.find(key);
    if (it == allowed.end()) throw Exception("未知字段：" + std::string(table) + "." + key);
    if (key != "djxh") row.emplace_back(*it, Text(value));
  }
  return row;
}

std::string Value(const Row& row, std::string_view column) {
  for (const auto& [c, v] : row)
    if (c == column) return v;
  return {};
}
bool Has(const Row& row, std::string_view column) {
  return std::any_of(row.begin(), row.end(), [&](const auto& cv) { return cv.first == column; });
}
void Set(Row& row, std::string_view column, std::string value) {
  for (auto& [c, v] : row)
    if (c == column) {
      v = std::move(value);
      return;
    }
  row.emplace_back(std::string(column), std::move(value));
}

// " insert into <table> (c1, c2) values ('v1', 'v2') " (columns from the allowed list).
std::string Insert(std::string_view table, const Row& row) {
  std::string cols, values;
  for (const auto& [c, v] : row) {
    if (!cols.empty()) {
      cols += ", ";
      values += ", ";
    }
    cols += c;
    values += QuotedStr(v);
  }
  return " insert into " + std::string(table) + " (" + cols + ") values (" + values + ") ";
}

const nlohmann::json& List(const nlohmann::json& doc, const char* key) {
  static const nlohmann::json empty = nlohmann::json::array();
  auto it = doc.find(key);
  if (it == doc.end()) return empty;
  if (!it->is_array()) throw Exception(std::string("数据格式错误：") + key + "不是数组");
  return *it;
}

}  // namespace

bool TEmployeeDaoImpl::saveCbryxx(const std::string& djxh, const std::string& json, std::string& message) {
  bool ok = Guard("saveCbryxx", LogForm::kTrailing, kDbUpdateFailed, false, [&] {
    nlohmann::json doc = ParseOutsideJson<nlohmann::json>(json, false);
    if (doc.is_discarded() || !doc.is_object()) throw Exception("数据格式错误：不是JSON对象");
    Ref<IDBMechanism> db = OpenMainConnection();
    const auto extras = ReadRyExtraData(*db, djxh);
    Transaction tx(*db);
    for (const auto& object : List(doc, "persons")) {
      Row row = ReadRow(object, "sb_ryjbxxb", djxh);
      const std::string rydjxh = Value(row, "rydjxh");
      if (auto it = extras.find(rydjxh); it != extras.end()) {
        if (Value(row, "phonenumber").empty()) Set(row, "phonenumber", it->second.phonenumber);
        if (!Has(row, "fzid")) Set(row, "fzid", std::to_string(it->second.fzid));
        if (!Has(row, "fullpath")) Set(row, "fullpath", it->second.fullpath);
      }
      ExecOrThrow(*db, FormatSql(" delete from sb_ryjbxxb where djxh = '%s' and rydjxh = '%s' ", {V(djxh), V(rydjxh)}));
      ExecOrThrow(*db, Insert("sb_ryjbxxb", row));
    }
    for (const auto& object : List(doc, "enrolments")) {
      Row row = ReadRow(object, "sb_rycbjgxxb", djxh);
      ExecOrThrow(*db, FormatSql(" delete from sb_rycbjgxxb where djxh = '%s' and rydjxh = '%s' and sbjbjgdm = '%s' and "
                                 "rybh = '%s' ",
                                 {V(djxh), V(Value(row, "rydjxh")), V(Value(row, "sbjbjgdm")), V(Value(row, "rybh"))}));
      ExecOrThrow(*db, Insert("sb_rycbjgxxb", row));
    }
    for (const auto& object : List(doc, "items")) {
      Row row = ReadRow(object, "sb_rycbxmb", djxh);
      ExecOrThrow(*db, FormatSql(" delete from sb_rycbxmb where djxh = '%s' and xzid = '%s' ", {V(djxh), V(Value(row, "xzid"))}));
      ExecOrThrow(*db, Insert("sb_rycbxmb", row));
    }
    tx.Commit();
    return true;
  });
  message = ErrorMessage;
  return ok;
}

bool TEmployeeDaoImpl::SaveRyjfztxx(const std::string& djxh, const std::string& jfnd,
                                    const std::vector<RyjfztEntry>& entries, std::string& message) {
  bool ok = Guard("SaveRyjfztxx", LogForm::kTrailing, "保存数据失败。", false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, "保存数据失败。");
    ExecOrThrow(*db, FormatSql("delete from ds_ryjfztb where djxh=%s and jfnd=%s", {Q(djxh), Q(jfnd)}), "删除数据失败。");
    for (const RyjfztEntry& e : entries) {
      ExecOrThrow(*db,
                  FormatSql(" insert into ds_ryjfztb (djxh, rydjxh, jfnd, xzid, sbsj, jfzt, sbjbjgdm, rybh, zsxmdm, "
                            "zspmdm, zszmdm, xzjddm, sqczdm, cbrytslbdm) values ('%s', '%s', '%s', '%s', '%s', '%s', "
                            "'%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s') ",
                            {V(djxh), V(e.rydjxh), V(jfnd), V(e.xzid), V(e.sbsj), V(e.jfzt), V(e.sbjbjgdm), V(e.rybh),
                             V(e.zsxmdm), V(e.zspmdm), V(e.zszmdm), V(e.xzjddm), V(e.sqczdm), V(e.cbrytslbdm)}),
                  "保存数据失败。");
    }
    tx.Commit();
    return true;
  });
  message = ErrorMessage;
  return ok;
}

bool TEmployeeDaoImpl::UpdateRyjfztData(const std::string& djxh, const std::string& jfnd, const std::string& xzid,
                                        const std::string& jfzt, const std::string& sbsj, std::string& message) {
  constexpr const char* kFailed = "更新缴费状态失败。";
  bool ok = Guard("UpdateRyjfztData", LogForm::kTrailing, kFailed, false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Ref<IDBDataSet> ds = QueryOrThrow(
        *db, FormatSql("select * from ds_ryjfztb where djxh = '%s' and jfnd = '%s' and xzid = '%s'", {V(djxh), V(jfnd), V(xzid)}),
        kFailed);
    if (ds->Eof()) throw StoreError(kFailed, "");
    Ref<IDBFields> fields = ds->Fields();
    if (!ds->Edit() || !fields->FieldByName("jfzt")->SetAsString(jfzt) || !fields->FieldByName("sbsj")->SetAsString(sbsj) ||
        !ds->Post()) {
      std::string why = ds->GetErrorText();
      ds->Cancel();
      throw StoreError(kFailed, why);
    }
    return true;
  });
  message = ErrorMessage;
  return ok;
}

}  // namespace velmor
