#include "day_floor.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace velmor::bench {
namespace {

void Check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
    throw std::runtime_error(std::string("floor: ") + what + ": " + sqlite3_errmsg(db));
}

std::string ProcFile(pid_t pid, const char* name) {
  return pid == 0 ? std::string("/proc/self/") + name : "/proc/" + std::to_string(pid) + "/" + name;
}

}  // namespace

double FloorSeconds(const std::string& dir, long rows, int columns) {
  const std::string file = dir + "/floor-" + std::to_string(rows) + ".db";
  std::filesystem::remove(file);
  sqlite3* db = nullptr;
  Check(sqlite3_open(file.c_str(), &db), db, "open");
  // The host's settings (host/db/database.cpp, connection.cpp).
  Check(sqlite3_exec(db, "PRAGMA journal_mode = WAL; PRAGMA cache_size = -131072; PRAGMA temp_store = MEMORY",
                     nullptr, nullptr, nullptr),
        db, "pragma");
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
  sqlite3_close(db);
  std::filesystem::remove(file);
  std::filesystem::remove(file + "-wal");
  std::filesystem::remove(file + "-shm");
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
