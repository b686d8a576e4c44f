// The host database against SQLite's own C interface (its peer), on a temporary file: reading a
// result row by row, one store operation (connection, keyed query, drop), and writing rows in
// one transaction. Prints the CPU-time ratio of each Velmor case to its peer.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "host/db/database.h"
#include "velmor/db.h"

namespace {

using namespace velmor;

struct File {
  File() {
    char pattern[] = "/tmp/velmor-bench-XXXXXX";
    dir = ::mkdtemp(pattern);
    path = dir + "/velmor.db";
  }
  ~File() { std::filesystem::remove_all(dir); }
  std::string dir, path;
};

Ref<IDBMechanism> Connect(const std::string& path) {
  std::string error;
  Ref<IDBMechanism> db = host::db::OpenDatabase(path, "VELMORMainCon", &error);
  if (!db) std::fprintf(stderr, "open failed: %s\n", error.c_str());
  return db;
}

void Fill(IDBMechanism& db, int64_t rows) {
  db.BeginTrans();
  for (int64_t i = 0; i < rows; ++i) {
    db.ExecSQL("insert into sb_xtcsb(djxh, key, value) values ('" + std::to_string(i % 100) + "', 'key" +
               std::to_string(i) + "', 'value of key " + std::to_string(i) + "')");
  }
  db.CommitTrans();
}

// Reading every row and column as text.
void BM_Read_Velmor(benchmark::State& state) {
  File f;
  Ref<IDBMechanism> db = Connect(f.path);
  Fill(*db, state.range(0));
  size_t bytes = 0;
  for (auto _ : state) {
    Ref<IDBDataSet> ds;
    db->OpenQuery("select djxh, key, value from sb_xtcsb", ds);
    Ref<IDBFields> fields = ds->Fields();
    Ref<IDBField> a = fields->FieldByName("djxh"), b = fields->FieldByName("key"), c = fields->FieldByName("value");
    for (; !ds->Eof(); ds->Next()) bytes += a->AsString().size() + b->AsString().size() + c->AsString().size();
  }
  benchmark::DoNotOptimize(bytes);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_Read_Sqlite(benchmark::State& state) {
  File f;
  Fill(*Connect(f.path), state.range(0));
  sqlite3* db = nullptr;
  sqlite3_open(f.path.c_str(), &db);
  size_t bytes = 0;
  for (auto _ : state) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "select djxh, key, value from sb_xtcsb", -1, &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      for (int i = 0; i < 3; ++i) {
        std::string s(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)), sqlite3_column_bytes(stmt, i));
        bytes += s.size();
      }
    }
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  benchmark::DoNotOptimize(bytes);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// One store operation: a new connection, one keyed query, the connection dropped.
void BM_Operation_Velmor(benchmark::State& state) {
  File f;
  Fill(*Connect(f.path), 1000);
  for (auto _ : state) {
    Ref<IDBMechanism> db = Connect(f.path);
    Ref<IDBDataSet> ds;
    db->OpenQuery(" select * from sb_xtcsb where djxh = '7' and key = 'key507' ", ds);
    benchmark::DoNotOptimize(ds->Fields()->FieldByName("value")->AsString());
  }
}

void BM_Operation_Sqlite(benchmark::State& state) {
  File f;
  Fill(*Connect(f.path), 1000);
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open(f.path.c_str(), &db);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, " select * from sb_xtcsb where djxh = '7' and key = 'key507' ", -1, &stmt, nullptr);
    if (sqlite3_step(stmt) == SQLITE_ROW) benchmark::DoNotOptimize(sqlite3_column_text(stmt, 2));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
  }
}

// Writing rows as the stores do (formatted statements) in one transaction, against prepared
// statements with bound values.
void BM_Write_Velmor(benchmark::State& state) {
  File f;
  Ref<IDBMechanism> db = Connect(f.path);
  int64_t n = 0;
  for (auto _ : state) {
    db->BeginTrans();
    for (int64_t i = 0; i < state.range(0); ++i, ++n) {
      db->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (1, '" + std::to_string(n) + "', 'name')");
    }
    db->CommitTrans();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_Write_Sqlite(benchmark::State& state) {
  File f;
  Connect(f.path);
  sqlite3* db = nullptr;
  sqlite3_open(f.path.c_str(), &db);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "insert into sb_dmmcb(lb, dm, mc) values (1, ?, 'name')", -1, &stmt, nullptr);
  int64_t n = 0;
  for (auto _ : state) {
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    for (int64_t i = 0; i < state.range(0); ++i, ++n) {
      std::string dm = std::to_string(n);
      sqlite3_bind_text(stmt, 1, dm.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_step(stmt);
      sqlite3_reset(stmt);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_Read_Sqlite)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Read_Velmor)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Operation_Sqlite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Operation_Velmor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Write_Sqlite)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Write_Velmor)->Arg(10000)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (!r.error_occurred) times_[r.benchmark_name()] = r.GetAdjustedCPUTime();
  }
  void PrintRatios() const {
    std::printf("\nCPU-time ratio of the host database to SQLite's C interface (>1 = slower):\n");
    for (const auto& [name, time] : times_) {
      auto at = name.find("_Velmor");
      if (at == std::string::npos) continue;
      auto peer = times_.find(name.substr(0, at) + "_Sqlite" + name.substr(at + 7));
      if (peer != times_.end() && peer->second > 0)
        std::printf("%-28s %6.2f\n", name.c_str(), time / peer->second);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
