// SqliteDataSet: IDBDataSet over the rows of one SQLite query, with Append, Edit and Post for
// the result of a plain query of one table.
//
// The rows are read completely when the query is opened and kept compactly, in blocks of rows
// (the bytes of their values and a small record per value). Holding no statement open means the
// connection holds no read snapshot while the caller walks the rows: its own writes in between
// (Post, ExecSQL) never fail because another connection committed meanwhile, and rows are not
// lost to a rollback. The rows are read forward only, so a block is let go as soon as the reader
// has passed it: building a text of a large result does not hold the result whole beside it.
//
// The dataset keeps its Connection alive; each operation locks the connection's mutex.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/db/connection.h"
#include "velmor/db_dataset.h"
#include "velmor/db_field.h"
#include "velmor/db_fields.h"
#include "velmor/object.h"

namespace velmor::host::db {

// Where one value of the result lives in its block's bytes, and the type the engine gave it. A
// real value is stored as its text followed by the 8 bytes of the double, so it is bound back
// exactly.
struct CellRef {
  uint32_t offset = 0;
  uint32_t size = 0;  // of the text (or blob)
  int32_t type = SQLITE_NULL;
};

// Consecutive rows of a result: one CellRef per value (rows x columns) and their bytes.
struct RowBlock {
  std::vector<CellRef> cells;
  std::string bytes;
  size_t rows = 0;
};

class SqliteDataSet final : public Object<IDBDataSet> {
 public:
  // Prepares and runs `sql` (one statement); null with *error set when that fails.
  static Ref<SqliteDataSet> Open(std::shared_ptr<Connection> conn, std::string_view sql, std::string* error);
  ~SqliteDataSet() override;

  size_t RowCountForTest() const { return rowCount_; }

  std::string GetErrorText() override;
  Ref<IDBFields> Fields() override;
  bool Eof() override;
  bool Next() override;
  bool Append() override;
  bool Edit() override;
  bool Post() override;
  void Cancel() override;

  // For the field objects (each locks the connection).
  int32_t ColumnCount() const { return static_cast<int32_t>(names_.size()); }
  int32_t IndexOf(const std::string& name) const;  // -1 when absent
  std::string NameAt(int32_t index) const { return names_[static_cast<size_t>(index)]; }
  bool IsNullAt(int32_t index);
  std::string TextAt(int32_t index);
  int32_t IntegerAt(int32_t index);
  bool SetTextAt(int32_t index, const std::string& value);

 private:
  enum class State { kBrowse, kInsert, kEdit };

  explicit SqliteDataSet(std::shared_ptr<Connection> conn) : conn_(std::move(conn)) {}
  void DescribeColumns(sqlite3_stmt* stmt);
  // Appends the statement's current row to the last block (a new one when that is full); false
  // when the values do not fit one block's 4 GiB.
  bool AppendRow(sqlite3_stmt* stmt);
  // Stores the statement's current row's values in `block`'s bytes, their records in `cells`.
  bool StoreRow(sqlite3_stmt* stmt, RowBlock& block, CellRef* cells);
  bool AtEof() const { return block_ >= blocks_.size(); }
  // The stored value of the current row, or null at Eof.
  const CellRef* CurrentCell(int32_t index) const;
  std::string_view Bytes(const CellRef& cell) const {
    return {blocks_[block_]->bytes.data() + cell.offset, cell.size};
  }
  void Bind(sqlite3_stmt* stmt, int position, const CellRef& cell) const;
  bool PostInsert();
  bool PostEdit();
  bool Reread(int64_t rowid);
  bool Fail(std::string message);

  std::shared_ptr<Connection> conn_;
  std::vector<std::string> names_;
  std::vector<std::string> originColumns_;
  std::string table_;            // the one table of an editable result
  std::string notEditableWhy_;   // empty when editable
  std::vector<std::unique_ptr<RowBlock>> blocks_;  // null once passed
  size_t block_ = 0;             // the block of the current row; blocks_.size() at Eof
  size_t row_ = 0;               // the current row within it
  size_t rowCount_ = 0;          // rows read and inserted
  State state_ = State::kBrowse;
  std::vector<std::optional<std::string>> pending_;  // values set since Append/Edit
  std::string error_;
};

class SqliteFields final : public Object<IDBFields> {
 public:
  explicit SqliteFields(Ref<SqliteDataSet> ds) : ds_(std::move(ds)) {}
  int32_t Count() override;
  Ref<IDBField> FieldByIndex(int32_t index) override;
  Ref<IDBField> FieldByName(const std::string& name) override;

 private:
  Ref<SqliteDataSet> ds_;
};

class SqliteField final : public Object<IDBField> {
 public:
  SqliteField(Ref<SqliteDataSet> ds, int32_t index) : ds_(std::move(ds)), index_(index) {}
  std::string FieldName() override { return ds_->NameAt(index_); }
  bool IsNull() override { return ds_->IsNullAt(index_); }
  int32_t AsInteger() override { return ds_->IntegerAt(index_); }
  std::string AsString() override { return ds_->TextAt(index_); }
  bool SetAsString(const std::string& value) override { return ds_->SetTextAt(index_, value); }

 private:
  Ref<SqliteDataSet> ds_;
  int32_t index_;
};

}  // namespace velmor::host::db
