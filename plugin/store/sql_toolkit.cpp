#include "store/sql_toolkit.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "codec/json_out.h"
#include "codec/text_chunks.h"

#include "store/json_text.h"
#include "store/row_reading.h"
#include "store/store_behind.h"

namespace velmor {

using Json = nlohmann::ordered_json;

Json Rows(IDBDataSet& ds) {
  Json rows = Json::array();
  std::vector<std::string> names;
  ReadRows(
      ds, [&](std::span<const std::string_view> columns) { names.assign(columns.begin(), columns.end()); },
      [&](std::span<const std::string_view> cells) {
        Json row = Json::object();
        for (size_t i = 0; i < cells.size(); ++i) row[names[i]] = std::string(cells[i]);
        rows.push_back(std::move(row));
        return true;
      });
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
  void Row(std::span<const std::string_view> cells) {
    std::string& out = text_.Tail();
    out += firstRow_ ? "{" : ",{";
    firstRow_ = false;
    bool first = true;
    for (const Member& m : members_) {
      const std::string_view value = cells[m.column];
      if (m.omittedWhenEmpty && value.empty()) continue;
      if (!first) out += ',';
      first = false;
      out += m.key;
      AppendJsonText(out, value, true);  // bytes that are not UTF-8 replaced, as JsonText does
    }
    out += '}';
    text_.Rotate();
  }
  // Before the rows are written on another thread (TextChunks::ReserveChunk).
  void PrepareForWriter() { text_.ReserveChunk(); }
  std::string Take() {
    text_.Tail() += ']';
    return text_.Take();
  }

 private:
  const std::vector<Member> members_;
  TextChunks text_;
  bool firstRow_ = true;
};

// Rows copied out of the engine's buffers (which the next step overwrites), to be written later.
class RowBatch {
 public:
  static constexpr size_t kRows = 256;

  // `bytes`: room for the cells' bytes (the last batch's size: rows of a listing are alike).
  RowBatch(size_t columns, size_t bytes) : columns_(columns) {
    ends_.reserve(columns * kRows);
    bytes_.reserve(bytes);
  }
  size_t Bytes() const { return bytes_.size(); }
  void Add(std::span<const std::string_view> cells) {
    for (const std::string_view cell : cells) {
      bytes_ += cell;
      ends_.push_back(bytes_.size());
    }
    ++rows_;
  }
  bool Full() const { return rows_ == kRows; }
  void WriteTo(RowsText& text) const {
    std::vector<std::string_view> cells(columns_);
    size_t start = 0, at = 0;
    for (size_t row = 0; row < rows_; ++row) {
      for (std::string_view& cell : cells) {
        cell = std::string_view(bytes_).substr(start, ends_[at] - start);
        start = ends_[at++];
      }
      text.Row(cells);
    }
  }

 private:
  size_t columns_;
  size_t rows_ = 0;
  std::string bytes_;
  std::vector<size_t> ends_;
};

// The rows `read` hands over (a reading of ReadRows' kind, given its two callbacks), written as
// RowsJson writes them. A listing of more than one batch is written a few batches behind the
// reading, on a worker (StoreBehind): the engine's stepping and the writing of the text (escapes,
// names, a whole roster of 46 columns) then take a core each. The text is the same.
std::string RowsJsonOf(const RowShape& shape, const std::function<void(const RowColumns&, const RowCells&)>& read) {
  std::optional<RowsText> text;
  std::optional<RowBatch> batch;
  std::optional<StoreBehind> behind;  // started by the first full batch; after `text`, so it ends first
  size_t columns = 0;
  read(
      [&](std::span<const std::string_view> names) {
        text.emplace(std::vector<std::string>(names.begin(), names.end()), shape);
        columns = names.size();
        batch.emplace(columns, 0);
      },
      [&](std::span<const std::string_view> cells) {
        batch->Add(cells);  // one cell per column named first
        if (batch->Full()) {
          if (!behind) {
            text->PrepareForWriter();
            behind.emplace();
          }
          const size_t bytes = batch->Bytes();
          behind->Post([&text, full = std::make_shared<const RowBatch>(std::move(*batch))] { full->WriteTo(*text); });
          batch.emplace(columns, bytes);
        }
        return true;
      });
  if (behind) behind->Finish();
  if (!text) return "[]";  // a host that gave no columns gave no rows
  batch->WriteTo(*text);
  return text->Take();
}

}  // namespace

std::string RowsJson(IDBDataSet& ds, const RowShape& shape) {
  return RowsJsonOf(shape, [&](const RowColumns& columns, const RowCells& row) { ReadRows(ds, columns, row); });
}

std::string RowsJson(IDBMechanism& db, const std::string& sql, const RowShape& shape, const char* userText) {
  return RowsJsonOf(
      shape, [&](const RowColumns& columns, const RowCells& row) { ReadRowsOrThrow(db, sql, columns, row, userText); });
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
