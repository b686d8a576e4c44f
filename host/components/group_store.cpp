#include "host/components/group_store.h"

#include <map>
#include <stdexcept>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/db/database.h"
#include "host/text_util.h"
#include "velmor/db.h"

namespace velmor::host::components {

namespace {

constexpr const char* kMainConnection = "VELMORMainCon";

std::string Quoted(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

Ref<IDBMechanism> Open(const std::string& path) {
  std::string error;
  Ref<IDBMechanism> db = db::OpenDatabase(path, kMainConnection, &error);
  if (!db) throw Failure("打开数据库失败：" + error);
  return db;
}

// Rows of a query, each as column name -> text.
std::vector<std::map<std::string, std::string>> Query(IDBMechanism& db, const std::string& sql) {
  Ref<IDBDataSet> ds;
  if (!db.OpenQuery(sql, ds) || !ds) throw Failure("数据库查询失败：" + db.GetErrorText());
  std::vector<std::map<std::string, std::string>> rows;
  Ref<IDBFields> fields = ds->Fields();
  while (!ds->Eof()) {
    std::map<std::string, std::string> row;
    for (int32_t i = 0; i < fields->Count(); ++i) {
      Ref<IDBField> f = fields->FieldByIndex(i);
      row[f->FieldName()] = f->IsNull() ? std::string() : f->AsString();
    }
    rows.push_back(std::move(row));
    ds->Next();
  }
  return rows;
}

void Exec(IDBMechanism& db, const std::string& sql) {
  if (!db.ExecSQL(sql)) throw Failure("数据库更新失败：" + db.GetErrorText());
}

}  // namespace

GroupStore::GroupStore(std::string databasePath, std::function<void(const std::string&)> log)
    : path_(std::move(databasePath)), log_(std::move(log)) {}

bool GroupStore::ResolveGroupPath(const std::string& djxh, const std::vector<std::string>& names, int32_t& fzid,
                                  std::string& fullpath, std::string& message) {
  fzid = -1;
  fullpath.clear();
  message.clear();
  try {
    if (names.empty()) throw Failure("分组名称不能为空。");
    for (const std::string& n : names)
      if (Trim(n).empty()) throw Failure("分组名称不能为空。");
    Ref<IDBMechanism> db = Open(path_);
    if (!db->BeginTrans()) throw Failure("数据库更新失败：" + db->GetErrorText());
    try {
      int64_t parent = -1;
      std::string parentPath = ",", parentName;
      for (const std::string& raw : names) {
        const std::string name(Trim(raw));
        const std::string fullname = parentName.empty() ? name : parentName + "/" + name;
        auto found = Query(*db, "select id, fullpath from sb_fzxxb where djxh = " + Quoted(djxh) +
                                    " and pid = " + std::to_string(parent) + " and fzmc = " + Quoted(name) +
                                    " order by id limit 1");
        int64_t id;
        std::string path;
        if (!found.empty()) {
          id = std::stoll(found[0]["id"]);
          path = found[0]["fullpath"];
        } else {
          Exec(*db, "insert into sb_fzxxb (djxh, pid, fzmc, fullname) values (" + Quoted(djxh) + ", " +
                        std::to_string(parent) + ", " + Quoted(name) + ", " + Quoted(fullname) + ")");
          id = std::stoll(Query(*db, "select last_insert_rowid() as id")[0]["id"]);
          path = parentPath + std::to_string(id) + ",";
          Exec(*db, "update sb_fzxxb set fullpath = " + Quoted(path) + " where id = " + std::to_string(id));
        }
        if (path.empty()) path = parentPath + std::to_string(id) + ",";  // a group made without its path
        parent = id;
        parentPath = path;
        parentName = fullname;
      }
      if (!db->CommitTrans()) throw Failure("数据库更新失败：" + db->GetErrorText());
      fzid = static_cast<int32_t>(parent);
      fullpath = parentPath;
    } catch (...) {
      db->RollbackTrans();
      throw;
    }
    return true;
  } catch (const std::exception& e) {
    message = e.what();
    if (log_) log_("[GroupStore.ResolveGroupPath]异常：" + message);
    fzid = -1;
    fullpath.clear();
    return false;
  }
}

std::string GroupStore::GetGroupList(const std::string& djxh, std::string& message) {
  message.clear();
  try {
    Ref<IDBMechanism> db = Open(path_);
    nlohmann::ordered_json out = nlohmann::ordered_json::array();
    for (auto& row : Query(*db, "select id, pid, fzmc, fullname, fullpath from sb_fzxxb where djxh = " +
                                    Quoted(djxh) + " order by id"))
      out.push_back({{"id", row["id"]},
                     {"pid", row["pid"]},
                     {"fzmc", row["fzmc"]},
                     {"fullname", row["fullname"]},
                     {"fullpath", row["fullpath"]}});
    return out.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  } catch (const std::exception& e) {
    message = e.what();
    if (log_) log_("[GroupStore.GetGroupList]异常：" + message);
    return "[]";
  }
}

}  // namespace velmor::host::components
