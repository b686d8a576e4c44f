// A query's rows read one at a time: through the host's IDBRowReader (velmor/db_row_reader.h)
// when its connection has one, so a large result is never held whole; otherwise through a
// dataset opened for the query, read row by row. Either way the callbacks see the same texts
// (each cell as IDBField::AsString gives it).
//
//   ReadRowsOrThrow(*db, sql,
//       [&](std::span<const std::string_view> names) { ... },    // once, first
//       [&](std::span<const std::string_view> cells) { ...; return true; });  // false stops
//
// The views are valid only during the callback that gives them. The callbacks must not use the
// connection (it stays locked while the host reads); an exception they raise stops the reading
// and comes out of ReadRowsOrThrow. Stateless; the caller's thread owns its connection.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "store/db_access.h"

namespace velmor {

using RowColumns = std::function<void(std::span<const std::string_view> names)>;
using RowCells = std::function<bool(std::span<const std::string_view> cells)>;

// The rows of an open dataset, from its current row to its end (or until `row` answers false),
// read the same way.
void ReadRows(IDBDataSet& ds, const RowColumns& columns, const RowCells& row);

// Raises StoreError(userText, engine text) when the query fails.
void ReadRowsOrThrow(IDBMechanism& db, const std::string& sql, const RowColumns& columns, const RowCells& row,
                     const char* userText = kDbQueryFailed);

}  // namespace velmor
