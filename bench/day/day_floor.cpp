#include "day_floor.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/db/connection.h"

namespace velmor::bench {
namespace {

// An identifier in double quotes, quotes inside doubled.
std::string Identifier(const std::string& name) {
  std::string out = "\"";
  for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

// One table's rows as read from the source: values row after row, text in one arena (bound
// without a copy once every row is read).
struct TableCopy {
  std::vector<std::string> schema;  // CREATE TABLE, then its CREATE INDEX statements
  std::vector<std::string> columns;
  std::string arena;
  struct Value {  // 16 bytes: a roster holds about ten million of them
    int type;
    unsigned size;  // of text
    union {
      sqlite3_int64 integer;
      double real;
      size_t offset;  // of text in the arena
    };
  };
  std::vector<Value> values;
  long rows = 0;
};

void Check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
    throw std::runtime_error(std::string("floor: ") + what + ": " + sqlite3_errmsg(db));
}

std::string ProcFile(pid_t pid, const char* name) {
  return pid == 0 ? std::string("/proc/self/") + name : "/proc/" + std::to_string(pid) + "/" + name;
}

void Prepare(sqlite3* db, const std::string& sql, sqlite3_stmt** stmt) {
  Check(sqlite3_prepare_v2(db, sql.c_str(), -1, stmt, nullptr), db, sql.c_str());
}

TableCopy ReadTable(sqlite3* db, const std::string& table) {
  TableCopy copy;
  sqlite3_stmt* stmt = nullptr;
  // The table first, then its indexes; indexes the engine makes itself have no statement.
  Prepare(db, "select sql from sqlite_master where tbl_name = ? and sql is not null order by type = 'index', name",
          &stmt);
  sqlite3_bind_text(stmt, 1, table.c_str(), -1, SQLITE_TRANSIENT);
  while (sqlite3_step(stmt) == SQLITE_ROW)
    copy.schema.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
  sqlite3_finalize(stmt);
  if (copy.schema.empty()) throw std::runtime_error("floor: no table " + table);

  Prepare(db, "select name, upper(type), pk from pragma_table_info(?)", &stmt);
  sqlite3_bind_text(stmt, 1, table.c_str(), -1, SQLITE_TRANSIENT);
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    const std::string type = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
    if (sqlite3_column_int(stmt, 2) == 1 && type == "INTEGER") continue;  // the rowid: the engine's
    copy.columns.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
  }
  sqlite3_finalize(stmt);

  std::string select = "select ";
  for (size_t c = 0; c < copy.columns.size(); ++c) select += (c ? ", " : "") + Identifier(copy.columns[c]);
  Prepare(db, select + " from " + Identifier(table), &stmt);
  const int n = static_cast<int>(copy.columns.size());
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    for (int c = 0; c < n; ++c) {
      TableCopy::Value v{sqlite3_column_type(stmt, c), 0, {0}};
      if (v.type == SQLITE_INTEGER) v.integer = sqlite3_column_int64(stmt, c);
      else if (v.type == SQLITE_FLOAT) v.real = sqlite3_column_double(stmt, c);
      else if (v.type != SQLITE_NULL) {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
        v.type = SQLITE_TEXT;
        v.offset = copy.arena.size();
        v.size = static_cast<unsigned>(sqlite3_column_bytes(stmt, c));
        copy.arena.append(text, v.size);
      }
      copy.values.push_back(v);
    }
    ++copy.rows;
  }
  Check(rc, db, "read");
  sqlite3_finalize(stmt);
  return copy;
}

sqlite3* OpenFloorFile(const std::string& file) {
  std::filesystem::remove(file);
  sqlite3* db = nullptr;
  Check(sqlite3_open(file.c_str(), &db), db, "open");
  // The host's settings: its new files' page size and WAL (host/db/database.cpp), its connections'
  // cache.
  Check(sqlite3_exec(
            db,
            (std::string(host::db::kNewFilePragmas) + "; PRAGMA journal_mode = WAL; " + host::db::kConnectionPragmas)
                .c_str(),
            nullptr, nullptr, nullptr),
        db, "pragma");
  return db;
}

void RemoveFloorFile(sqlite3* db, const std::string& file) {
  sqlite3_close(db);
  std::filesystem::remove(file);
  std::filesystem::remove(file + "-wal");
  std::filesystem::remove(file + "-shm");
}

}  // namespace

StoredFloor StoredRowsFloor(const std::string& dir, const std::string& source, const std::vector<std::string>& tables) {
  std::vector<TableCopy> copies;
  {
    sqlite3* from = nullptr;
    Check(sqlite3_open_v2(source.c_str(), &from, SQLITE_OPEN_READONLY, nullptr), from, "open the source");
    try {
      for (const std::string& table : tables) copies.push_back(ReadTable(from, table));
    } catch (...) {
      sqlite3_close(from);
      throw;
    }
    sqlite3_close(from);
  }
  const std::string file = dir + "/floor-stored.db";
  sqlite3* db = OpenFloorFile(file);
  StoredFloor floor;
  std::vector<sqlite3_stmt*> inserts;
  try {
    for (const TableCopy& copy : copies) {
      for (const std::string& sql : copy.schema)
        Check(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db, sql.c_str());
      std::string names, marks;
      for (size_t c = 0; c < copy.columns.size(); ++c) {
        names += (c ? ", " : "") + Identifier(copy.columns[c]);
        marks += c ? ", ?" : "?";
      }
      inserts.push_back(nullptr);
      Prepare(db, "insert into " + Identifier(tables[inserts.size() - 1]) + " (" + names + ") values (" + marks + ")",
              &inserts.back());
    }
    const auto start = std::chrono::steady_clock::now();
    Check(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), db, "begin");
    for (size_t t = 0; t < copies.size(); ++t) {
      const TableCopy& copy = copies[t];
      sqlite3_stmt* stmt = inserts[t];
      const int n = static_cast<int>(copy.columns.size());
      const TableCopy::Value* v = copy.values.data();
      for (long r = 0; r < copy.rows; ++r) {
        for (int c = 0; c < n; ++c, ++v) {
          if (v->type == SQLITE_INTEGER) sqlite3_bind_int64(stmt, c + 1, v->integer);
          else if (v->type == SQLITE_FLOAT) sqlite3_bind_double(stmt, c + 1, v->real);
          else if (v->type == SQLITE_TEXT)
            sqlite3_bind_text(stmt, c + 1, copy.arena.data() + v->offset, static_cast<int>(v->size), SQLITE_STATIC);
          else sqlite3_bind_null(stmt, c + 1);
        }
        Check(sqlite3_step(stmt), db, "insert");
        sqlite3_reset(stmt);
      }
      floor.rows += copy.rows;
    }
    Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    floor.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  } catch (...) {
    for (sqlite3_stmt* stmt : inserts) sqlite3_finalize(stmt);
    RemoveFloorFile(db, file);
    throw;
  }
  for (sqlite3_stmt* stmt : inserts) sqlite3_finalize(stmt);
  RemoveFloorFile(db, file);
  return floor;
}

double FloorSeconds(const std::string& dir, long rows, int columns) {
  const std::string file = dir + "/floor-" + std::to_string(rows) + ".db";
  sqlite3* db = OpenFloorFile(file);
  std::string create = "create table t (id integer primary key";
  std::string insert = "insert into t (";
  std::string marks;
  for (int c = 0; c < columns; ++c) {
    create += ", c" + std::to_string(c) + " text";
    insert += (c ? ", c" : "c") + std::to_string(c);
    marks += c ? ", ?" : "?";
  }
  Check(sqlite3_exec(db, (create + ")").c_str(), nullptr, nullptr, nullptr), db, "create");
  sqlite3_stmt* stmt = nullptr;
  Check(sqlite3_prepare_v2(db, (insert + ") values (" + marks + ")").c_str(), -1, &stmt, nullptr), db, "prepare");
  const auto start = std::chrono::steady_clock::now();
  Check(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), db, "begin");
  char value[32];
  for (long r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const int n = std::snprintf(value, sizeof value, "%08ld-%02d", r, c);
      sqlite3_bind_text(stmt, c + 1, value, n, SQLITE_TRANSIENT);
    }
    Check(sqlite3_step(stmt), db, "insert");
    sqlite3_reset(stmt);
  }
  Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  sqlite3_finalize(stmt);
  RemoveFloorFile(db, file);
  return seconds;
}

long PeakKb(pid_t pid) {
  std::ifstream status(ProcFile(pid, "status"));
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

bool ResetPeak(pid_t pid) {
  std::ofstream clear(ProcFile(pid, "clear_refs"));
  clear << "5";  // 5: reset the peak resident set size to the current one
  return static_cast<bool>(clear.flush());
}

}  // namespace velmor::bench
