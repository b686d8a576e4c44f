#include "host/db/row_reading.h"

#include <memory>
#include <vector>

namespace velmor::host::db {

namespace {

struct Finalize {
  void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};

}  // namespace

bool ReadRows(Connection& conn, std::string_view sql, IDBRowSink& sink, std::string* error) {
  sqlite3_stmt* prepared = nullptr;
  if (!conn.PrepareOne(sql, &prepared, error)) return false;
  const std::unique_ptr<sqlite3_stmt, Finalize> stmt(prepared);
  const int columns = sqlite3_column_count(prepared);
  std::vector<std::string_view> cells(static_cast<size_t>(columns));
  for (int i = 0; i < columns; ++i) {
    const char* name = sqlite3_column_name(prepared, i);
    cells[static_cast<size_t>(i)] = name ? std::string_view(name) : std::string_view();
  }
  sink.Columns(cells);
  int rc = conn.FirstStep(prepared, error);
  while (rc == SQLITE_ROW) {
    for (int i = 0; i < columns; ++i)
      cells[static_cast<size_t>(i)] = CellBytes(prepared, i, sqlite3_column_type(prepared, i));
    if (!sink.Row(cells)) return true;
    rc = conn.NextStep(prepared, error);
  }
  return rc == SQLITE_DONE;
}

}  // namespace velmor::host::db
