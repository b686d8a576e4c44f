// The engine the host database is built on, whichever library it is (the amalgamation built with
// the host, or the system's): what the host relies on of it beyond plain SQL.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <iterator>

#include "db_test_util.h"
#include "host/db/connection.h"
#include "host/db/database.h"

namespace velmor::testing {
namespace {

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(HostDbEngine, ConnectionsMayBeHandedBetweenThreads) {
  // The pool hands a connection to whichever thread asks next and the checkpointer runs on a
  // thread of its own: an engine built single-threaded would corrupt its shared state.
  EXPECT_NE(sqlite3_threadsafe(), 0);
}

TEST(HostDbEngine, ADeletedPersonLeavesNoTraceInTheFile) {
  // Identity numbers of persons removed from the roster must not stay readable in the file's
  // free space: the engine overwrites deleted content.
  TempDatabase file;
  std::string error;
  std::unique_ptr<host::db::Connection> conn = host::db::OpenConnection(file.path(), "test", &error);
  ASSERT_TRUE(conn) << error;
  sqlite3* db = conn->Handle();
  const std::string marker = "ZJHM-4401-TRACE-7731";
  ASSERT_EQ(sqlite3_exec(db, ("create table t(v text); insert into t values ('" + marker + "');").c_str(), nullptr,
                         nullptr, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr), SQLITE_OK);
  ASSERT_NE(FileBytes(file.path()).find(marker), std::string::npos) << "the row is in the file before";
  ASSERT_EQ(sqlite3_exec(db, "delete from t", nullptr, nullptr, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_EQ(FileBytes(file.path()).find(marker), std::string::npos);
  EXPECT_EQ(FileBytes(file.path() + "-wal").find(marker), std::string::npos);
}

TEST(HostDbEngine, AStatementNamesTheTableAndColumnOfEachResult) {
  // The dataset's field names and the store's row reading ask the engine where a column comes from.
  TempDatabase file;
  std::string error;
  std::unique_ptr<host::db::Connection> conn = host::db::OpenConnection(file.path(), "test", &error);
  ASSERT_TRUE(conn) << error;
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(conn->Handle(), "select djxh as d from sb_ryjbxxb", -1, &stmt, nullptr), SQLITE_OK);
  EXPECT_STREQ(sqlite3_column_table_name(stmt, 0), "sb_ryjbxxb");
  EXPECT_STREQ(sqlite3_column_origin_name(stmt, 0), "djxh");
  EXPECT_STREQ(sqlite3_column_name(stmt, 0), "d");
  sqlite3_finalize(stmt);
}

}  // namespace
}  // namespace velmor::testing
