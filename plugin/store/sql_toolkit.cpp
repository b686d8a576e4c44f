#include "store/sql_toolkit.h"

#include <vector>

#include "store/json_text.h"

namespace velmor {

using Json = nlohmann::ordered_json;

Json Rows(IDBDataSet& ds) {
  Json rows = Json::array();
  Ref<IDBFields> fields = ds.Fields();
  const int32_t n = fields ? fields->Count() : 0;
  // Columns are looked up once, not per row.
  std::vector<Ref<IDBField>> cols;
  std::vector<std::string> names;
  for (int32_t i = 0; i < n; ++i) {
    cols.push_back(fields->FieldByIndex(i));
    names.push_back(cols.back()->FieldName());
  }
  for (; !ds.Eof(); ds.Next()) {
    Json row = Json::object();
    for (int32_t i = 0; i < n; ++i) row[names[i]] = cols[i]->AsString();
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string RowsJson(IDBDataSet& ds) {
  // Row by row into the text, the same text JsonText(Rows(ds)) gives: a listing of the whole
  // roster never holds its rows as a JSON tree as well as the text.
  Ref<IDBFields> fields = ds.Fields();
  const int32_t n = fields ? fields->Count() : 0;
  std::vector<Ref<IDBField>> cols;
  Json row = Json::object();
  for (int32_t i = 0; i < n; ++i) {
    cols.push_back(fields->FieldByIndex(i));
    row[cols.back()->FieldName()] = "";
  }
  // The row object is reused: its members stay in place and only their values change. A name
  // that two columns share is one member, the later column's value winning, as in Rows().
  std::vector<Json*> member;
  for (int32_t i = 0; i < n; ++i) member.push_back(&row[cols[i]->FieldName()]);
  std::string out = "[";
  for (; !ds.Eof(); ds.Next()) {
    for (int32_t i = 0; i < n; ++i) *member[i] = cols[i]->AsString();
    if (out.size() > 1) out += ',';
    out += JsonText(row);
  }
  out += ']';
  return out;
}

std::string RowsJson(IDBDataSet& ds, const std::function<void(Json& row)>& shape) {
  Ref<IDBFields> fields = ds.Fields();
  const int32_t n = fields ? fields->Count() : 0;
  std::vector<Ref<IDBField>> cols;
  std::vector<std::string> names;
  for (int32_t i = 0; i < n; ++i) {
    cols.push_back(fields->FieldByIndex(i));
    names.push_back(cols.back()->FieldName());
  }
  // A row at a time, as Rows() builds it: the shape may rename or drop members.
  std::string out = "[";
  for (; !ds.Eof(); ds.Next()) {
    Json row = Json::object();
    for (int32_t i = 0; i < n; ++i) row[names[i]] = cols[i]->AsString();
    shape(row);
    if (out.size() > 1) out += ',';
    out += JsonText(row);
  }
  out += ']';
  return out;
}

Json Rows(IDBMechanism& db, const std::string& sql, const char* userText) {
  Ref<IDBDataSet> ds = QueryOrThrow(db, sql, userText);
  return Rows(*ds);
}

Json FirstColumn(IDBMechanism& db, const std::string& sql, const char* userText) {
  Ref<IDBDataSet> ds = QueryOrThrow(db, sql, userText);
  Json values = Json::array();
  for (; !ds->Eof(); ds->Next()) values.push_back(ds->Fields()->FieldByIndex(0)->AsString());
  return values;
}

int32_t QueryCount(IDBMechanism& db, const std::string& sql, const char* userText) {
  Ref<IDBDataSet> ds = QueryOrThrow(db, sql, userText);
  if (ds->Eof()) return 0;
  Ref<IDBField> f = ds->Fields()->FieldByIndex(0);
  return f ? f->AsInteger() : 0;
}

Transaction::Transaction(IDBMechanism& db, const char* userText) : db_(db), userText_(userText) {
  if (!db_.BeginTrans()) throw StoreError(userText_, db_.GetErrorText());
  open_ = true;
}

Transaction::~Transaction() {
  if (open_) db_.RollbackTrans();
}

void Transaction::Commit() {
  open_ = false;  // a failed commit has rolled back already
  if (!db_.CommitTrans()) throw StoreError(userText_, db_.GetErrorText());
}

void Transaction::CommitAndReopen() {
  Commit();
  if (!db_.BeginTrans()) throw StoreError(userText_, db_.GetErrorText());
  open_ = true;
}

}  // namespace velmor
