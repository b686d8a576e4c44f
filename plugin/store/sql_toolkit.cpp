#include "store/sql_toolkit.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "codec/json_out.h"
#include "codec/text_chunks.h"

#include "store/json_text.h"
#include "store/row_reading.h"

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

namespace {

// One member of the rows' objects: its escaped name, the column whose value it takes, and
// whether it is left out of a row where that value is empty.
struct Member {
  std::string key;
  size_t column;
  bool omittedWhenEmpty = false;
};

// The members of every row, as Rows() makes them and `shape` changes them: a name that two
// columns share is one member, in the place of its first column, with the later column's value;
// a renamed member moves to the end (or gives its value to the member already of that name).
std::vector<Member> MembersOf(const std::vector<std::string>& names, const RowShape& shape) {
  std::vector<std::pair<std::string, size_t>> layout;
  auto find = [&](const std::string& name) {
    return std::find_if(layout.begin(), layout.end(), [&](const auto& m) { return m.first == name; });
  };
  for (size_t i = 0; i < names.size(); ++i) {
    if (auto same = find(names[i]); same != layout.end())
      same->second = i;
    else
      layout.emplace_back(names[i], i);
  }
  for (const auto& [from, to] : shape.renamed) {
    auto it = find(from);
    if (it == layout.end()) continue;
    const size_t column = it->second;
    layout.erase(it);
    if (auto there = find(to); there != layout.end())
      there->second = column;
    else
      layout.emplace_back(to, column);
  }
  std::vector<Member> members;
  for (const auto& [name, column] : layout) {
    const bool omitted =
        std::find(shape.omittedWhenEmpty.begin(), shape.omittedWhenEmpty.end(), name) != shape.omittedWhenEmpty.end();
    members.push_back({JsonText(Json(name)) + ':', column, omitted});
  }
  return members;
}

// The rows as JSON text, written row by row: a listing of the whole roster is never a JSON tree,
// nor one string doubling as it grows.
class RowsText {
 public:
  RowsText(const std::vector<std::string>& names, const RowShape& shape) : members_(MembersOf(names, shape)) {
    text_.Tail() = "[";
  }
  // `cell(column)` gives the text of a column of the row; its view is used before the next call.
  template <class CellText>
  void Row(CellText&& cell) {
    std::string& out = text_.Tail();
    out += firstRow_ ? "{" : ",{";
    firstRow_ = false;
    bool first = true;
    for (const Member& m : members_) {
      const std::string_view value = cell(m.column);
      if (m.omittedWhenEmpty && value.empty()) continue;
      if (!first) out += ',';
      first = false;
      out += m.key;
      AppendJsonText(out, value, true);  // bytes that are not UTF-8 replaced, as JsonText does
    }
    out += '}';
    text_.Rotate();
  }
  std::string Take() {
    text_.Tail() += ']';
    return text_.Take();
  }

 private:
  const std::vector<Member> members_;
  TextChunks text_;
  bool firstRow_ = true;
};

}  // namespace

std::string RowsJson(IDBDataSet& ds, const RowShape& shape) {
  const Columns c(ds);
  RowsText text(c.names, shape);
  std::string value;
  for (; !ds.Eof(); ds.Next())
    text.Row([&](size_t column) -> std::string_view {
      value = c.cols[column]->AsString();
      return value;
    });
  return text.Take();
}

std::string RowsJson(IDBMechanism& db, const std::string& sql, const RowShape& shape, const char* userText) {
  std::optional<RowsText> text;
  ReadRowsOrThrow(
      db, sql,
      [&](std::span<const std::string_view> names) {
        text.emplace(std::vector<std::string>(names.begin(), names.end()), shape);
      },
      [&](std::span<const std::string_view> cells) {
        text->Row([&](size_t column) { return cells[column]; });
        return true;
      },
      userText);
  return text ? text->Take() : "[]";  // a host that gave no columns gave no rows
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
