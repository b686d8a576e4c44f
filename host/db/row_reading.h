// Reading a query's rows straight from the engine into an IDBRowSink (velmor/db_row_reader.h):
// the cells are the statement's own texts while it stands on the row, so nothing of the result is
// copied or held.
//
// Expects the caller to hold the connection's mutex for the whole call.
#pragma once

#include <string>
#include <string_view>

#include "host/db/connection.h"
#include "velmor/db_row_reader.h"

namespace velmor::host::db {

// True when every row was handed over or the sink stopped; false with *error otherwise.
bool ReadRows(Connection& conn, std::string_view sql, IDBRowSink& sink, std::string* error);

}  // namespace velmor::host::db
