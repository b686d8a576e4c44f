#include "store/sql_toolkit.h"

#include <vector>

#include "store/json_text.h"

namespace velmor {

using Json = nlohmann::ordered_json;

namespace {

// The dataset's columns, looked up once and not per row, and the current row as Rows() holds it.
struct Columns {
  explicit Columns(IDBDataSet& ds) {
    Ref<IDBFields> fields = ds.Fields();
    const int32_t n = fields ? fields->Count() : 0;
    for (int32_t i = 0; i < n; ++i) {
      cols.push_back(fields->FieldByIndex(i));
      names.push_back(cols.back()->FieldName());
    }
  }
  Json Row() const {
    Json row = Json::object();
    for (size_t i = 0; i < cols.size(); ++i) row[names[i]] = cols[i]->AsString();
    return row;
  }
  std::vector<Ref<IDBField>> cols;
  std::vector<std::string> names;
};

}  // namespace

Json Rows(IDBDataSet& ds) {
  Json rows = Json::array();
  const Columns c(ds);
  for (; !ds.Eof(); ds.Next()) rows.push_back(c.Row());
  return rows;
}

std::string RowsJson(IDBDataSet& ds) {
  // Row by row into the text, the same text JsonText(Rows(ds)) gives: a listing of the whole
  // roster never holds its rows as a JSON tree as well as the text.
  const Columns c(ds);
  Json row = Json::object();
  for (const std::string& name : c.names) row[name] = "";
  // The row object is reused: its members stay in place and only their values change. A name
  // that two columns share is one member, the later column's value winning, as in Rows().
  std::vector<Json*> member;
  for (const std::string& name : c.names) member.push_back(&row[name]);
  std::string out = "[";
  for (; !ds.Eof(); ds.Next()) {
    for (size_t i = 0; i < c.cols.size(); ++i) *member[i] = c.cols[i]->AsString();
    if (out.size() > 1) out += ',';
    out += JsonText(row);
  }
  out += ']';
  return out;
}

std::string RowsJson(IDBDataSet& ds, const std::function<void(Json& row)>& shape) {
  // A row at a time, as Rows() builds it: the shape may rename or drop members.
  const Columns c(ds);
  std::string out = "[";
  for (; !ds.Eof(); ds.Next()) {
    Json row = c.Row();
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
