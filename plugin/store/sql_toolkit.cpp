#include "store/sql_toolkit.h"

#include <algorithm>
#include <vector>

#include "codec/json_out.h"
#include "codec/text_chunks.h"
#include "velmor/utf8.h"

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
  // roster never holds its rows as a JSON tree as well as the text. A name that two columns share
  // is one member, in the place of its first column, with the later column's value (as Rows()).
  const Columns c(ds);
  struct Member {
    std::string key;  // the escaped name and its colon, with the comma before all but the first
    size_t column;    // the column whose value it takes
  };
  std::vector<Member> members;
  for (size_t i = 0; i < c.names.size(); ++i) {
    auto same = std::find_if(members.begin(), members.end(),
                             [&](const Member& m) { return c.names[m.column] == c.names[i]; });
    if (same != members.end()) {
      same->column = i;
      continue;
    }
    std::string key = members.empty() ? "" : ",";
    key += JsonText(Json(c.names[i]));
    key += ':';
    members.push_back({std::move(key), i});
  }
  TextChunks text;
  text.Tail() = "[";
  std::string value;
  bool first = true;
  for (; !ds.Eof(); ds.Next()) {
    std::string& out = text.Tail();
    out += first ? "{" : ",{";
    first = false;
    for (const Member& m : members) {
      out += m.key;
      value = c.cols[m.column]->AsString();
      // Text that is not UTF-8 goes through the general writer, which replaces what it cannot read.
      if (IsWellFormedUtf8(value))
        AppendJsonString(out, value);
      else
        out += JsonText(Json(value));
    }
    out += '}';
    text.Rotate();
  }
  text.Tail() += ']';
  return text.Take();
}

std::string RowsJson(IDBDataSet& ds, const std::function<void(Json& row)>& shape) {
  // A row at a time, as Rows() builds it: the shape may rename or drop members.
  const Columns c(ds);
  TextChunks text;
  text.Tail() = "[";
  bool first = true;
  for (; !ds.Eof(); ds.Next()) {
    Json row = c.Row();
    shape(row);
    if (!first) text.Tail() += ',';
    first = false;
    text.Tail() += JsonText(row);
    text.Rotate();
  }
  text.Tail() += ']';
  return text.Take();
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
