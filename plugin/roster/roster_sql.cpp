#include "roster/roster_sql.h"

#include <nlohmann/json.hpp>

#include "store/json_text.h"
#include "store/sql_filters.h"

namespace velmor {

std::string RowsJson(IDBDataSet& ds) {
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  Ref<IDBFields> fields = ds.Fields();
  const int32_t n = fields ? fields->Count() : 0;
  std::vector<Ref<IDBField>> cols;
  std::vector<std::string> names;
  for (int32_t i = 0; i < n; ++i) {
    cols.push_back(fields->FieldByIndex(i));
    names.push_back(cols.back()->FieldName());
  }
  for (; !ds.Eof(); ds.Next()) {
    nlohmann::ordered_json row = nlohmann::ordered_json::object();
    for (int32_t i = 0; i < n; ++i) row[names[i]] = cols[i]->AsString();
    rows.push_back(std::move(row));
  }
  return JsonText(rows);
}

SqlFragment OriginFilter(RyOrigin ly) {
  switch (ly) {
    case RyOrigin::kLocal:
      return kLocalOriginFilter;
    case RyOrigin::kServer:
      return kServerOriginFilter;
    default:
      return {};
  }
}

int32_t QueryCount(IDBMechanism& db, const std::string& sql) {
  Ref<IDBDataSet> ds = QueryOrThrow(db, sql);
  if (ds->Eof()) return 0;
  Ref<IDBField> f = ds->Fields()->FieldByIndex(0);
  return f ? f->AsInteger() : 0;
}

Transaction::Transaction(IDBMechanism& db, const char* failText) : db_(db), failText_(failText) {
  if (!db_.BeginTrans()) throw DbError(failText_, db_.GetErrorText());
  open_ = true;
}

Transaction::~Transaction() {
  if (open_) db_.RollbackTrans();
}

void Transaction::Commit() {
  open_ = false;
  if (!db_.CommitTrans()) throw DbError(failText_, db_.GetErrorText());
}

void Transaction::CommitAndReopen() {
  Commit();
  if (!db_.BeginTrans()) throw DbError(failText_, db_.GetErrorText());
  open_ = true;
}

}  // namespace velmor
