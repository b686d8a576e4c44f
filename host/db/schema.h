// The host database's schema: every table the plug-in reads or writes, kept as an ordered list of
// forward migrations. The file's SQLite user_version is the number of the last migration applied.
//
// Adding a column or a table later: append a Migration with the next version number whose SQL
// makes the change (ALTER TABLE ... ADD COLUMN, CREATE TABLE, CREATE INDEX); never edit a
// migration that has shipped. Opening an older file applies the missing migrations, in order, in
// one transaction; a file newer than the program is refused rather than touched.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "host/db/connection.h"

namespace velmor::host::db {

struct Migration {
  int version;  // 1, 2, 3 ... without gaps
  std::string_view description;
  std::string_view sql;  // one or several statements
};

// The program's migrations, in version order.
std::span<const Migration> SchemaMigrations();
// The version of the last migration of `migrations` (0 for none).
int LatestSchemaVersion(std::span<const Migration> migrations = SchemaMigrations());

// The file's user_version; -1 with *error set when it cannot be read.
int ReadSchemaVersion(Connection& conn, std::string* error);

// Brings the database to the last version of `migrations`: nothing when it is there already;
// otherwise, in one transaction, every migration above the file's version, then the new
// version. False with *error set (and the file unchanged) when a migration fails, when the file
// is newer than the list, or when the list is not numbered 1, 2, 3 ...
bool MigrateSchema(Connection& conn, std::span<const Migration> migrations, std::string* error);

}  // namespace velmor::host::db
