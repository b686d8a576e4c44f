#include "host/db/connection.h"

#include <cstdint>
#include <cstring>
#include <mutex>

#include "host/db/fault_injection.h"
#include "velmor/utf8.h"

namespace velmor::host::db {

namespace {

constexpr const char* kEmptyStatement = "empty SQL statement";

// True when every byte is ASCII and none is NUL, looked at eight bytes at a time: nearly every
// value a bulk write binds (codes, numbers, dates), checked in one pass instead of two.
bool PlainAsciiWithoutNul(std::string_view text) {
  constexpr uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
  size_t i = 0;
  const size_t n = text.size();
  for (; n - i >= 8; i += 8) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    // A high bit set, or a zero byte (its borrow sets the high bit of (word - ones) & ~word).
    if ((word | ((word - kOnes) & ~word)) & kHighs) return false;
  }
  for (; i < n; ++i)
    if (const auto c = static_cast<unsigned char>(text[i]); c == 0 || c >= 0x80) return false;
  return true;
}

}  // namespace

bool AcceptableSqlText(std::string_view text, std::string* error) {
  if (PlainAsciiWithoutNul(text)) return true;
  if (text.find('\0') != std::string_view::npos) {
    *error = kSqlHoldsNul;
    return false;
  }
  if (!IsWellFormedUtf8(text)) {
    *error = kSqlNotUtf8;
    return false;
  }
  return true;
}

std::string_view CellBytes(sqlite3_stmt* stmt, int column, int type) {
  if (type == SQLITE_NULL) return {};
  const void* bytes = type == SQLITE_BLOB ? sqlite3_column_blob(stmt, column) : sqlite3_column_text(stmt, column);
  const int size = sqlite3_column_bytes(stmt, column);
  return bytes ? std::string_view(static_cast<const char*>(bytes), static_cast<size_t>(size)) : std::string_view();
}

bool IsBlankSql(std::string_view text) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    char c = text[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' || c == ';') {
      ++i;
    } else if (c == '-' && i + 1 < n && text[i + 1] == '-') {
      while (i < n && text[i] != '\n') ++i;
    } else if (c == '/' && i + 1 < n && text[i + 1] == '*') {
      size_t close = text.find("*/", i + 2);
      i = close == std::string_view::npos ? n : close + 2;  // unterminated: a comment to the end
    } else {
      return false;
    }
  }
  return true;
}

namespace {

// The engine counts every allocation under one process-wide mutex unless told not to; nothing
// here reads those counts, and a bulk write of 100,000 rows makes millions of allocations. This
// can only be set before the engine starts: when the host process started it already, the
// setting is refused and the counts stay on, which costs time and nothing else.
void ConfigureEngineOnce() {
  static std::once_flag once;
  std::call_once(once, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
}

}  // namespace

std::unique_ptr<Connection> Connection::Open(const std::string& path, std::string connectionName, int busyTimeoutMs,
                                             std::string* error) {
  ConfigureEngineOnce();
  sqlite3* db = nullptr;
  // Every use of the handle holds the connection's own mutex (see Mutex()), so the engine's
  // mutex per call (a bulk write of one row makes some twenty calls) would only repeat it.
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                           nullptr);
  if (rc != SQLITE_OK) {
    *error = "cannot open database " + path + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close_v2(db);
    return nullptr;
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, busyTimeoutMs);
  sqlite3_exec(db, kConnectionPragmas, nullptr, nullptr, nullptr);
  return std::unique_ptr<Connection>(new Connection(db, std::move(connectionName)));
}

Connection::~Connection() {
  for (auto& [text, stmt] : cache_) sqlite3_finalize(stmt);
  if (InTransaction()) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close_v2(db_);
}

std::string Connection::EngineMessage() const {
  std::string message = sqlite3_errmsg(db_);
  const int rc = sqlite3_extended_errcode(db_) & 0xff;
  if (rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB) {
    const char* file = sqlite3_db_filename(db_, "main");
    if (file && *file) message += std::string(" [") + file + "]";
  }
  return message;
}

bool Connection::ExecInternal(const char* sql, std::string* error) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
  sqlite3_free(message);
  *error = EngineMessage();
  return false;
}

bool Connection::PrepareOne(std::string_view sql, sqlite3_stmt** stmt, std::string* error) {
  *stmt = nullptr;
  if (!AcceptableSqlText(sql, error)) return false;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), stmt, &tail) != SQLITE_OK) {
    *error = EngineMessage();
    return false;
  }
  if (!*stmt) {
    *error = kEmptyStatement;
    return false;
  }
  if (!IsBlankSql(std::string_view(tail, sql.data() + sql.size() - tail))) {
    sqlite3_finalize(*stmt);
    *stmt = nullptr;
    *error = "only one statement is allowed here, the text holds more";
    return false;
  }
  return true;
}

int Connection::FirstStep(sqlite3_stmt* stmt, std::string* error) {
  if (FaultInjection::OnStatement(sqlite3_sql(stmt), error)) return SQLITE_ERROR;
  return NextStep(stmt, error);
}

int Connection::NextStep(sqlite3_stmt* stmt, std::string* error) {
  int rc = sqlite3_step(stmt);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) *error = EngineMessage();
  return rc;
}

bool Connection::Exec(std::string_view sql, int64_t* changes, std::string* error) {
  *changes = 0;
  if (!AcceptableSqlText(sql, error)) return false;
  if (IsBlankSql(sql)) {
    *error = kEmptyStatement;
    return false;
  }
  const char* p = sql.data();
  const char* const end = p + sql.size();
  const int64_t before = sqlite3_total_changes64(db_);
  // Several statements run as one unit, so a failure leaves nothing of this call behind: inside
  // the caller's transaction a savepoint; otherwise a transaction of their own, which takes the
  // write lock first (waiting up to the busy timeout) like BeginTrans.
  enum class Unit { kNone, kSavepoint, kTransaction } unit = Unit::kNone;
  bool ok = true;
  while (ok && p < end) {
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db_, p, static_cast<int>(end - p), &stmt, &tail) != SQLITE_OK) {
      *error = EngineMessage();
      ok = false;
      break;
    }
    p = tail;
    if (!stmt) continue;  // only blanks or a comment
    if (unit == Unit::kNone && !IsBlankSql(std::string_view(p, end - p))) {
      unit = InTransaction() ? Unit::kSavepoint : Unit::kTransaction;
      if (!ExecInternal(unit == Unit::kSavepoint ? "SAVEPOINT velmor_exec" : "BEGIN IMMEDIATE", error)) {
        sqlite3_finalize(stmt);
        unit = Unit::kNone;
        ok = false;
        break;
      }
    }
    int rc = FirstStep(stmt, error);
    while (rc == SQLITE_ROW) rc = NextStep(stmt, error);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) ok = false;
  }
  std::string ignored;
  if (unit == Unit::kSavepoint) {
    // After an error that already ended the whole transaction the savepoint is gone; nothing
    // is left to undo then.
    if (!ok) ExecInternal("ROLLBACK TO velmor_exec", &ignored);
    ExecInternal("RELEASE velmor_exec", &ignored);
  } else if (unit == Unit::kTransaction) {
    if (ok && !ExecInternal("COMMIT", error)) ok = false;
    if (!ok && InTransaction()) ExecInternal("ROLLBACK", &ignored);
  }
  if (ok) *changes = sqlite3_total_changes64(db_) - before;
  return ok;
}

sqlite3_stmt* Connection::Cached(std::string_view sql, std::string* error) {
  auto it = cache_.find(sql);
  if (it != cache_.end()) return it->second;
  sqlite3_stmt* stmt = nullptr;
  if (!PrepareOne(sql, &stmt, error)) return nullptr;
  if (cache_.size() >= kCachedStatements) {
    // Bulk writers use a handful of texts; a caller cycling through many starts over.
    for (auto& [text, old] : cache_) sqlite3_finalize(old);
    cache_.clear();
  }
  cache_.emplace(std::string(sql), stmt);
  return stmt;
}

bool Connection::ExecBound(std::string_view sql, std::span<const DBValue> values, int64_t* changes,
                           std::string* error) {
  *changes = 0;
  for (const DBValue& v : values) {
    if (v.kind == DBValue::Kind::kText && !AcceptableSqlText(v.text, error)) return false;
  }
  sqlite3_stmt* stmt = Cached(sql, error);
  if (!stmt) return false;
  // Plain "?" parameters take exactly as many values; numbered ones (?1, ?2, ...) take the ones
  // they name, so several statements can share one list of values.
  const int params = sqlite3_bind_parameter_count(stmt);
  const char* firstName = params > 0 ? sqlite3_bind_parameter_name(stmt, 1) : nullptr;
  const bool numbered = firstName && firstName[1] != '\0';
  if (numbered ? static_cast<int>(values.size()) < params : static_cast<int>(values.size()) != params) {
    *error = "the statement takes " + std::to_string(params) + " values, " + std::to_string(values.size()) +
             " were given";
    return false;
  }
  int rc = SQLITE_OK;
  for (size_t i = 0; i < static_cast<size_t>(params) && rc == SQLITE_OK; ++i) {
    const DBValue& v = values[i];
    const int at = static_cast<int>(i) + 1;
    switch (v.kind) {
      case DBValue::Kind::kNull: rc = sqlite3_bind_null(stmt, at); break;
      case DBValue::Kind::kInteger: rc = sqlite3_bind_int64(stmt, at, v.integer); break;
      case DBValue::Kind::kReal: rc = sqlite3_bind_double(stmt, at, v.real); break;
      case DBValue::Kind::kText:
        rc = sqlite3_bind_text(stmt, at, v.text.data(), static_cast<int>(v.text.size()), SQLITE_STATIC);
        break;
    }
  }
  bool ok = rc == SQLITE_OK;
  if (!ok) *error = EngineMessage();
  if (ok) {
    const int64_t before = sqlite3_total_changes64(db_);
    rc = FirstStep(stmt, error);
    while (rc == SQLITE_ROW) rc = NextStep(stmt, error);
    ok = rc == SQLITE_DONE;
    if (ok) *changes = sqlite3_total_changes64(db_) - before;
  }
  // Ready for the next call, holding no texts of this one.
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  return ok;
}

bool Connection::Begin(std::string* error) {
  if (InTransaction()) {
    *error = "a transaction is already open on this connection";
    return false;
  }
  // IMMEDIATE takes the write lock now (waiting up to the busy timeout), so a transaction never
  // fails half-way because another connection started writing after it read.
  return ExecInternal("BEGIN IMMEDIATE", error);
}

bool Connection::Commit(std::string* error) {
  if (!InTransaction()) {
    *error = "no transaction is open on this connection";
    return false;
  }
  std::string ignored;
  if (FaultInjection::OnCommit(error)) {
    ExecInternal("ROLLBACK", &ignored);
    return false;
  }
  if (ExecInternal("COMMIT", error)) return true;
  if (InTransaction()) ExecInternal("ROLLBACK", &ignored);
  return false;
}

bool Connection::Rollback(std::string* error) {
  if (!InTransaction()) return true;
  return ExecInternal("ROLLBACK", error);
}

}  // namespace velmor::host::db
