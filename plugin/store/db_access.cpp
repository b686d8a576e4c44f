#include "store/db_access.h"

#include "framework/host_access.h"

namespace velmor {

Ref<IDBMechanism> OpenMainConnection() {
  Ref<IDBMechanism> db = GetPlatformManager()->GetDBMechanism(kMainConnection);
  if (!db) throw Exception(kNoConnection);
  return db;
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
