#include "host/db/dataset.h"

#include <cerrno>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include "velmor/utf8.h"

namespace velmor::host::db {
namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// A block of rows holds up to 4 MiB of values and 256 Ki value records (3 MiB); a block whose
// values come within 64 KiB of its size takes no more rows, so an ordinary row never makes its
// bytes move.
constexpr size_t kBlockBytes = size_t{4} << 20;
constexpr size_t kBlockSlack = size_t{64} << 10;
constexpr size_t kBlockCells = size_t{256} << 10;

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string QuoteIdentifier(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

// Integer value of a text: a whole number, or a real number truncated. False when the text is
// neither or the value does not fit.
bool ParseInteger(const std::string& text, int64_t* out) {
  size_t b = text.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return false;
  size_t e = text.find_last_not_of(" \t\r\n");
  std::string t = text.substr(b, e - b + 1);
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(t.c_str(), &end, 10);
  if (*end == '\0' && errno == 0) {
    *out = v;
    return true;
  }
  errno = 0;
  double d = std::strtod(t.c_str(), &end);
  if (*end != '\0' || errno != 0 || !std::isfinite(d) || d >= 9.2e18 || d <= -9.2e18) return false;
  *out = static_cast<int64_t>(d);
  return true;
}

}  // namespace

Ref<SqliteDataSet> SqliteDataSet::Open(std::shared_ptr<Connection> conn, std::string_view sql, std::string* error) {
  Lock lock(conn->Mutex());
  sqlite3_stmt* stmt = nullptr;
  if (!conn->PrepareOne(sql, &stmt, error)) return nullptr;
  Ref<SqliteDataSet> ds(new SqliteDataSet(conn));
  ds->DescribeColumns(stmt);
  int rc = conn->FirstStep(stmt, error);
  while (rc == SQLITE_ROW) {
    if (!ds->AppendRow(stmt)) {
      *error = "the result is too large to hold";
      rc = SQLITE_TOOBIG;
      break;
    }
    rc = conn->NextStep(stmt, error);
  }
  sqlite3_finalize(stmt);
  if (rc != SQLITE_DONE) return nullptr;
  return ds;
}

SqliteDataSet::~SqliteDataSet() = default;

void SqliteDataSet::DescribeColumns(sqlite3_stmt* stmt) {
  const int n = sqlite3_column_count(stmt);
  names_.resize(static_cast<size_t>(n));
  originColumns_.resize(static_cast<size_t>(n));
  if (n == 0) notEditableWhy_ = "the statement returns no columns";
  if (!sqlite3_stmt_readonly(stmt)) notEditableWhy_ = "only the result of a query can be edited";
  for (int i = 0; i < n; ++i) {
    const char* name = sqlite3_column_name(stmt, i);
    names_[static_cast<size_t>(i)] = name ? name : "";
    const char* table = sqlite3_column_table_name(stmt, i);
    const char* origin = sqlite3_column_origin_name(stmt, i);
    const char* database = sqlite3_column_database_name(stmt, i);
    if (origin) originColumns_[static_cast<size_t>(i)] = origin;
    if (!notEditableWhy_.empty()) continue;
    if (!table || !origin || !database || std::string(database) != "main") {
      notEditableWhy_ = "column " + names_[static_cast<size_t>(i)] + " is not a plain column of a table";
    } else if (i == 0) {
      table_ = table;
    } else if (table_ != table) {
      notEditableWhy_ = "the columns come from more than one table";
    }
  }
}

bool SqliteDataSet::AppendRow(sqlite3_stmt* stmt) {
  const size_t columns = names_.size();
  if (blocks_.empty() || blocks_.back()->cells.size() + columns > kBlockCells ||
      blocks_.back()->bytes.size() + kBlockSlack > kBlockBytes) {
    auto block = std::make_unique<RowBlock>();
    // The first block grows as it must, so a small result stays small. A result that outgrows
    // it gets blocks of their full size at once, so rows then never move.
    if (!blocks_.empty()) {
      block->cells.reserve(std::max(kBlockCells, columns));
      block->bytes.reserve(kBlockBytes);
    }
    blocks_.push_back(std::move(block));
  }
  RowBlock& b = *blocks_.back();
  b.cells.resize(b.cells.size() + columns);
  if (!StoreRow(stmt, b, b.cells.data() + b.rows * columns)) {
    b.cells.resize(b.rows * columns);
    return false;
  }
  ++b.rows;
  ++rowCount_;
  return true;
}

bool SqliteDataSet::StoreRow(sqlite3_stmt* stmt, RowBlock& block, CellRef* cells) {
  for (size_t i = 0; i < names_.size(); ++i) {
    const int col = static_cast<int>(i);
    CellRef& c = cells[i];
    c.type = sqlite3_column_type(stmt, col);
    double real = c.type == SQLITE_FLOAT ? sqlite3_column_double(stmt, col) : 0;
    const std::string_view bytes = CellBytes(stmt, col, c.type);
    size_t extra = c.type == SQLITE_FLOAT ? sizeof real : 0;
    if (block.bytes.size() + bytes.size() + extra > UINT32_MAX) return false;
    c.offset = static_cast<uint32_t>(block.bytes.size());
    c.size = static_cast<uint32_t>(bytes.size());
    block.bytes.append(bytes);
    if (extra) block.bytes.append(reinterpret_cast<const char*>(&real), extra);
  }
  return true;
}

void SqliteDataSet::Bind(sqlite3_stmt* stmt, int position, const CellRef& cell) const {
  std::string_view bytes = Bytes(cell);
  switch (cell.type) {
    case SQLITE_INTEGER: sqlite3_bind_int64(stmt, position, std::strtoll(std::string(bytes).c_str(), nullptr, 10)); break;
    case SQLITE_FLOAT: {
      double real;
      std::memcpy(&real, bytes.data() + cell.size, sizeof real);
      sqlite3_bind_double(stmt, position, real);
      break;
    }
    case SQLITE_TEXT:
      sqlite3_bind_text(stmt, position, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
      break;
    case SQLITE_BLOB:
      sqlite3_bind_blob(stmt, position, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
      break;
    default: sqlite3_bind_null(stmt, position); break;
  }
}

bool SqliteDataSet::Fail(std::string message) {
  error_ = std::move(message);
  return false;
}

std::string SqliteDataSet::GetErrorText() {
  Lock lock(conn_->Mutex());
  return error_;
}

Ref<IDBFields> SqliteDataSet::Fields() { return Ref<IDBFields>(new SqliteFields(Ref<SqliteDataSet>(this))); }

bool SqliteDataSet::Eof() {
  Lock lock(conn_->Mutex());
  return AtEof();
}

bool SqliteDataSet::Next() {
  Lock lock(conn_->Mutex());
  Cancel();
  if (!AtEof() && ++row_ >= blocks_[block_]->rows) {
    blocks_[block_].reset();  // read forward only: the reader cannot come back to it
    ++block_;
    row_ = 0;
  }
  return true;
}

bool SqliteDataSet::Append() {
  Lock lock(conn_->Mutex());
  if (!notEditableWhy_.empty()) return Fail("cannot append: " + notEditableWhy_);
  state_ = State::kInsert;
  pending_.assign(names_.size(), std::nullopt);
  return true;
}

bool SqliteDataSet::Edit() {
  Lock lock(conn_->Mutex());
  if (!notEditableWhy_.empty()) return Fail("cannot edit: " + notEditableWhy_);
  if (AtEof()) return Fail("cannot edit: there is no current row");
  state_ = State::kEdit;
  pending_.assign(names_.size(), std::nullopt);
  return true;
}

void SqliteDataSet::Cancel() {
  Lock lock(conn_->Mutex());
  state_ = State::kBrowse;
  pending_.clear();
}

bool SqliteDataSet::Post() {
  Lock lock(conn_->Mutex());
  switch (state_) {
    case State::kInsert: return PostInsert();
    case State::kEdit: return PostEdit();
    default: return Fail("nothing to post: call Append or Edit first");
  }
}

namespace {

// The columns set since Append/Edit, each origin column once (the last value set wins).
std::vector<std::pair<std::string, std::string>> SetColumns(const std::vector<std::string>& origins,
                                                            const std::vector<std::optional<std::string>>& pending) {
  std::vector<std::pair<std::string, std::string>> out;
  for (size_t i = 0; i < pending.size(); ++i) {
    if (!pending[i]) continue;
    bool replaced = false;
    for (auto& [column, value] : out) {
      if (EqualsIgnoreCase(column, origins[i])) {
        value = *pending[i];
        replaced = true;
      }
    }
    if (!replaced) out.emplace_back(origins[i], *pending[i]);
  }
  return out;
}

// The column whose value is not UTF-8 (refused like such statement text); empty when none.
std::string NotUtf8Column(const std::vector<std::pair<std::string, std::string>>& columns) {
  for (const auto& [column, value] : columns)
    if (!IsWellFormedUtf8(value)) return column;
  return {};
}

}  // namespace

bool SqliteDataSet::PostInsert() {
  auto columns = SetColumns(originColumns_, pending_);
  if (const std::string bad = NotUtf8Column(columns); !bad.empty()) return Fail(std::string(kSqlNotUtf8) + ": " + bad);
  std::string sql = "INSERT INTO " + QuoteIdentifier(table_);
  if (columns.empty()) {
    sql += " DEFAULT VALUES";
  } else {
    std::string names, marks;
    for (const auto& c : columns) {
      if (!names.empty()) {
        names += ", ";
        marks += ", ";
      }
      names += QuoteIdentifier(c.first);
      marks += "?";
    }
    sql += "(" + names + ") VALUES(" + marks + ")";
  }
  sql += " RETURNING rowid";
  sqlite3_stmt* stmt = nullptr;
  std::string error;
  if (!conn_->PrepareOne(sql, &stmt, &error)) return Fail(error);
  for (size_t i = 0; i < columns.size(); ++i) {
    sqlite3_bind_text(stmt, static_cast<int>(i + 1), columns[i].second.data(),
                      static_cast<int>(columns[i].second.size()), SQLITE_TRANSIENT);
  }
  int rc = conn_->FirstStep(stmt, &error);
  int64_t rowid = rc == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : 0;
  while (rc == SQLITE_ROW) rc = conn_->NextStep(stmt, &error);
  sqlite3_finalize(stmt);
  if (rc != SQLITE_DONE) return Fail(error);
  return Reread(rowid);
}

bool SqliteDataSet::PostEdit() {
  auto columns = SetColumns(originColumns_, pending_);
  if (const std::string bad = NotUtf8Column(columns); !bad.empty()) return Fail(std::string(kSqlNotUtf8) + ": " + bad);
  if (columns.empty()) {  // nothing changed: nothing to write
    Cancel();
    return true;
  }
  std::string set, where;
  for (const auto& c : columns) {
    if (!set.empty()) set += ", ";
    set += QuoteIdentifier(c.first) + " = ?";
  }
  for (size_t i = 0; i < originColumns_.size(); ++i) {
    if (!where.empty()) where += " AND ";
    where += QuoteIdentifier(originColumns_[i]) + " IS ?";
  }
  const std::string table = QuoteIdentifier(table_);
  std::string sql = "UPDATE " + table + " SET " + set + " WHERE rowid = (SELECT rowid FROM " + table + " WHERE " +
                    where + " LIMIT 1) RETURNING rowid";
  sqlite3_stmt* stmt = nullptr;
  std::string error;
  if (!conn_->PrepareOne(sql, &stmt, &error)) return Fail(error);
  int position = 1;
  for (const auto& c : columns) {
    sqlite3_bind_text(stmt, position++, c.second.data(), static_cast<int>(c.second.size()), SQLITE_TRANSIENT);
  }
  const size_t width = names_.size();
  const CellRef* row = blocks_[block_]->cells.data() + row_ * width;
  for (size_t i = 0; i < width; ++i) Bind(stmt, position++, row[i]);
  int rc = conn_->FirstStep(stmt, &error);
  bool found = rc == SQLITE_ROW;
  int64_t rowid = found ? sqlite3_column_int64(stmt, 0) : 0;
  while (rc == SQLITE_ROW) rc = conn_->NextStep(stmt, &error);
  sqlite3_finalize(stmt);
  if (rc != SQLITE_DONE) return Fail(error);
  if (!found) return Fail("cannot post: the row was changed or removed after it was read");
  return Reread(rowid);
}

bool SqliteDataSet::Reread(int64_t rowid) {
  // Read the row back as stored, so the dataset shows the values the table's types made of
  // the text written, and a later Edit finds the row by them.
  std::string columns;
  for (const auto& c : originColumns_) {
    if (!columns.empty()) columns += ", ";
    columns += QuoteIdentifier(c);
  }
  std::string sql = "SELECT " + columns + " FROM " + QuoteIdentifier(table_) + " WHERE rowid = ?";
  sqlite3_stmt* stmt = nullptr;
  std::string error;
  if (!conn_->PrepareOne(sql, &stmt, &error)) return Fail(error);
  sqlite3_bind_int64(stmt, 1, rowid);
  int rc = conn_->NextStep(stmt, &error);
  bool stored = true;
  if (rc == SQLITE_ROW) {
    // The written row replaces the current one; a new row is inserted at the current position
    // (at the end when the dataset was at Eof) and becomes current.
    const size_t columns = names_.size();
    const bool insert = state_ == State::kInsert || AtEof();
    if (AtEof()) blocks_.push_back(std::make_unique<RowBlock>());  // block_ now names it, row_ is 0
    RowBlock& b = *blocks_[block_];
    std::vector<CellRef> row(columns);
    stored = StoreRow(stmt, b, row.data());
    const auto at = b.cells.begin() + static_cast<std::ptrdiff_t>(row_ * columns);
    if (stored && insert) {
      b.cells.insert(at, row.begin(), row.end());
      ++b.rows;
      ++rowCount_;
    } else if (stored) {
      std::copy(row.begin(), row.end(), at);
    } else if (b.rows == 0) {
      blocks_.pop_back();  // at Eof again
    }
  }
  sqlite3_finalize(stmt);
  state_ = State::kBrowse;
  pending_.clear();
  if (rc != SQLITE_ROW) return Fail(rc == SQLITE_DONE ? "the written row cannot be read back" : error);
  if (!stored) return Fail("the result is too large to hold");
  return true;
}

int32_t SqliteDataSet::IndexOf(const std::string& name) const {
  for (size_t i = 0; i < names_.size(); ++i) {
    if (EqualsIgnoreCase(names_[i], name)) return static_cast<int32_t>(i);
  }
  return -1;
}

const CellRef* SqliteDataSet::CurrentCell(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= names_.size() || AtEof()) return nullptr;
  return &blocks_[block_]->cells[row_ * names_.size() + static_cast<size_t>(index)];
}

bool SqliteDataSet::IsNullAt(int32_t index) {
  Lock lock(conn_->Mutex());
  if (state_ != State::kBrowse) {
    if (pending_[static_cast<size_t>(index)]) return false;
    if (state_ == State::kInsert) return true;
  }
  const CellRef* c = CurrentCell(index);
  return !c || c->type == SQLITE_NULL;
}

std::string SqliteDataSet::TextAt(int32_t index) {
  Lock lock(conn_->Mutex());
  if (state_ != State::kBrowse) {
    if (const auto& p = pending_[static_cast<size_t>(index)]) return *p;
    if (state_ == State::kInsert) return {};
  }
  const CellRef* c = CurrentCell(index);
  return c ? std::string(Bytes(*c)) : std::string();
}

int32_t SqliteDataSet::IntegerAt(int32_t index) {
  Lock lock(conn_->Mutex());
  int64_t value = 0;
  bool ok = false;
  std::string text;
  const CellRef* c = nullptr;
  if (state_ != State::kBrowse && pending_[static_cast<size_t>(index)]) {
    text = *pending_[static_cast<size_t>(index)];
    ok = ParseInteger(text, &value);
  } else if (state_ == State::kInsert || !(c = CurrentCell(index)) || c->type == SQLITE_NULL) {
    return 0;
  } else {
    text = std::string(Bytes(*c));
    ok = c->type != SQLITE_BLOB && ParseInteger(text, &value);
  }
  if (!ok) {
    Fail("'" + text + "' is not a valid integer value");
    return 0;
  }
  if (value > INT32_MAX || value < INT32_MIN) {
    Fail("'" + text + "' is out of the integer range");
    return 0;
  }
  return static_cast<int32_t>(value);
}

bool SqliteDataSet::SetTextAt(int32_t index, const std::string& value) {
  Lock lock(conn_->Mutex());
  if (state_ == State::kBrowse) return Fail("cannot set " + names_[static_cast<size_t>(index)] + ": the dataset is not in Append or Edit");
  pending_[static_cast<size_t>(index)] = value;
  return true;
}

int32_t SqliteFields::Count() { return ds_->ColumnCount(); }

Ref<IDBField> SqliteFields::FieldByIndex(int32_t index) {
  if (index < 0 || index >= ds_->ColumnCount()) return nullptr;
  return Ref<IDBField>(new SqliteField(ds_, index));
}

Ref<IDBField> SqliteFields::FieldByName(const std::string& name) {
  int32_t index = ds_->IndexOf(name);
  if (index < 0) return nullptr;
  return Ref<IDBField>(new SqliteField(ds_, index));
}

}  // namespace velmor::host::db
