#include "store/db_access.h"

#include "framework/host_access.h"

namespace velmor {

Ref<IDBMechanism> OpenMainConnection() {
  Ref<IDBMechanism> db = GetPlatformManager()->GetDBMechanism(kMainConnection);
  if (!db) throw Exception(kNoConnection);
  return db;
}

std::string StorageCause(std::string_view engineText) {
  auto has = [&](std::string_view part) { return engineText.find(part) != std::string_view::npos; };
  if (has("database or disk is full")) return "磁盘空间不足";
  if (has("database disk image is malformed") || has("file is not a database")) {
    // The host names the file after the message: "... [<file>]".
    std::string file;
    const size_t open = engineText.rfind(" [");
    if (open != std::string_view::npos && engineText.back() == ']') {
      file = engineText.substr(open + 2, engineText.size() - open - 3);
    }
    return "数据库文件已损坏：" + (file.empty() ? std::string("请检查数据库文件") : file);
  }
  if (has("SQL text holds a NUL character")) return "文本含NUL字符";
  if (has("SQL text is not valid UTF-8")) return "文本不是有效的UTF-8";
  return {};
}

std::string WithStorageCause(std::string text, std::string_view engineText) {
  const std::string cause = StorageCause(engineText);
  if (!cause.empty() && text.find(cause) == std::string::npos) text += "（" + cause + "）";
  return text;
}

void ExecOrThrow(IDBMechanism& db, const std::string& sql, const char* failureText) {
  if (!db.ExecSQL(sql)) throw StoreError(failureText, db.GetErrorText());
}

Ref<IDBDataSet> QueryOrThrow(IDBMechanism& db, const std::string& sql, const char* failureText) {
  Ref<IDBDataSet> ds;
  if (!db.OpenQuery(sql, ds) || !ds) throw StoreError(failureText, db.GetErrorText());
  return ds;
}

namespace {
Ref<IDBField> RequireField(IDBDataSet& ds, const std::string& name) {
  Ref<IDBFields> fields = ds.Fields();
  Ref<IDBField> f = fields ? fields->FieldByName(name) : nullptr;
  if (!f) throw Exception("字段[" + name + "]不存在");
  return f;
}
}  // namespace

std::string FieldText(IDBDataSet& ds, const std::string& name) { return RequireField(ds, name)->AsString(); }

int32_t FieldInt(IDBDataSet& ds, const std::string& name) { return RequireField(ds, name)->AsInteger(); }

bool UpdateElseInsert(IDBMechanism& db, const std::string& update, const std::string& insert, std::string* error) {
  Ref<IDBCommand> cmd = db.GetCommand(0);
  if (!cmd) {
    *error = db.GetErrorText();
    return false;
  }
  if (!cmd->Execute(update)) {
    *error = cmd->GetErrorText();
    return false;
  }
  if (cmd->RowsAffected() >= 1) return true;
  if (!cmd->Execute(insert)) {
    *error = cmd->GetErrorText();
    return false;
  }
  return true;
}

bool SaveKeyedRow(IDBMechanism& db, const std::string& keyedSelect, std::span<const FieldValue> fields,
                  std::string* error) {
  Ref<IDBDataSet> ds;
  if (!db.OpenQuery(keyedSelect, ds) || !ds) {
    *error = db.GetErrorText();
    return false;
  }
  if (!(ds->Eof() ? ds->Append() : ds->Edit())) {
    *error = ds->GetErrorText();
    return false;
  }
  Ref<IDBFields> all = ds->Fields();
  for (const auto& [column, value] : fields) {
    Ref<IDBField> f = all->FieldByName(std::string(column));
    if (!f) {
      ds->Cancel();
      *error = "字段[" + std::string(column) + "]不存在";
      return false;
    }
    if (!f->SetAsString(std::string(value))) {
      ds->Cancel();
      *error = ds->GetErrorText();
      return false;
    }
  }
  if (!ds->Post()) {
    *error = ds->GetErrorText();
    ds->Cancel();
    return false;
  }
  return true;
}

}  // namespace velmor
