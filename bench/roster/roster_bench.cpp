// 100,000 persons, each with one enrolment and two insured items (400,000 rows), written into a
// fresh SQLite file of the host's schema two ways in the same run:
//   DealCbxxAndRyxx: the roster download path: records from the collectors, statements built by
//     TDealCbxxAndRyxx and executed by its writer thread in one transaction, until WaitForIdle;
//   PreparedInsert:  the same rows through three prepared INSERT statements in one transaction.
// Parsing the answers and creating the database are outside the measured time. Prints rows per
// second of both and the ratio of the two times (the goal: within 3x of the prepared insert).
//
//   bench_roster [--persons=N] [google benchmark flags]
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "codec/fast_json.h"
#include "framework/host_access.h"
#include "host/db/database.h"
#include "host/host.h"
#include "roster/deal_cbxx_ryxx.h"
#include "velmor/db.h"
#include "velmor/platform_manager.h"

namespace {

int g_persons = 100000;
double g_rowByRowSeconds = 0, g_oursSeconds = 0, g_peerSeconds = 0, g_oursCpu = 0, g_oursProducerCpu = 0, g_peerCpu = 0;

double Cpu(clockid_t id) {
  timespec t{};
  clock_gettime(id, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

struct Row {
  std::string cbxxId, rydjxh, xm, zjhm, phone, rybh;
  std::string xzid[2];
};

std::vector<Row> MakeRows() {
  std::vector<Row> rows(g_persons);
  for (int i = 0; i < g_persons; ++i) {
    Row& r = rows[i];
    r.cbxxId = "CB" + std::to_string(1000000 + i);
    r.rydjxh = "2014403" + std::to_string(100000000 + i);
    r.xm = "张" + std::to_string(i % 1000) + "丰";
    r.zjhm = "44030" + std::to_string(1970 + i % 50) + std::to_string(100000000 + i);
    r.phone = "138" + std::to_string(10000000 + i);
    r.rybh = "RB" + std::to_string(i);
    r.xzid[0] = "XZ" + std::to_string(2 * i);
    r.xzid[1] = "XZ" + std::to_string(2 * i + 1);
  }
  return rows;
}

const std::vector<Row>& Rows() {
  static const std::vector<Row> rows = MakeRows();
  return rows;
}

// The "0059" and "0058" answers as the collectors would hold them.
void Collect(velmor::TFastParseJson& persons, velmor::TFastParseJson& enrols) {
  std::string p = "[", e = "[";
  for (const Row& r : Rows()) {
    p += R"({"cbxxID":")" + r.cbxxId + R"(","djxh":")" + r.rydjxh + R"(","xm":")" + r.xm +
         R"(","zjlxDm":"201","zjhm":")" + r.zjhm + R"(","sbjbjgDm":"24403000000","sbbm":")" + r.rybh +
         R"(","lxdh":")" + r.phone + R"(","xgrq":"2024-03-01 10:00:00","yxbz":"Y"},)";
    for (int k = 0; k < 2; ++k) {
      e += R"({"cbxxID":")" + r.cbxxId + R"(","djxh":")" + r.rydjxh + R"(","cbxzID":")" + r.xzid[k] +
           R"(","zsxmDm":"10210","zspmDm":")" + (k ? "102100200" : "102100100") +
           R"(","zszmDm":"1021001001","xzlxDm":"01","xzjdDm":"440303001","xzjdMc":"桂园街道","sqczDm":"440303001001",)"
           R"("sqczMc":"老围社区","rycbtslbDm":"01","rycbtslbMc":"普通居民","ksjfrq":"2024-01-01","tzjfrq":"2099-12-31",)"
           R"("xgrq":"2024-03-01 10:00:00","yxbz":"Y"},)";
    }
  }
  p.back() = ']';
  e.back() = ']';
  persons.ParseText(p);
  enrols.ParseText(e);
}

// A started reference host on a fresh data directory, removed afterwards.
class Env {
 public:
  Env() {
    char tmpl[] = "/tmp/velmor-bench-XXXXXX";
    dir_ = mkdtemp(tmpl);
    host_ = std::make_unique<velmor::host::Host>(velmor::host::HostOptions{dir_, false});
    host_->Start();
    velmor::TEST_ResetRegistryCaches();
    db_ = velmor::GetPlatformManager()->GetDBMechanism(velmor::kMainConnection);  // creates the schema
    db_->ExecSQL("insert into sb_pmlxb (zspmdm, pmlx) values ('102100100', '00'), ('102100200', '01')");
  }
  ~Env() {
    db_ = nullptr;
    velmor::TEST_ResetRegistryCaches();
    host_.reset();
    std::filesystem::remove_all(dir_);
  }
  velmor::Ref<velmor::IDBMechanism> Db() { return velmor::GetPlatformManager()->GetDBMechanism(velmor::kMainConnection); }
  std::string File() const { return host_->DataDir() + "/" + velmor::host::db::kDatabaseFileName; }
  int64_t Count(const char* table) {
    velmor::Ref<velmor::IDBDataSet> ds;
    db_->OpenQuery(std::string("select count(*) from ") + table, ds);
    return ds && !ds->Eof() ? ds->Fields()->FieldByIndex(0)->AsInteger() : -1;
  }

 private:
  std::string dir_;
  std::unique_ptr<velmor::host::Host> host_;
  velmor::Ref<velmor::IDBMechanism> db_;
};

int64_t RowsWritten() { return static_cast<int64_t>(Rows().size()) * 4; }

void RunDeal(benchmark::State& state, int rowsPerInsert, double* seconds_out) {
  for (auto _ : state) {
    Env env;
    velmor::TFastParseJson persons, enrols;
    Collect(persons, enrols);
    const auto start = std::chrono::steady_clock::now();
    const double cpu0 = Cpu(CLOCK_PROCESS_CPUTIME_ID);
    {
      velmor::TDealCbxxAndRyxx deal(&enrols, &persons, env.Db(), "10001");
      deal.SetRowsPerInsert(rowsPerInsert);
      const double own0 = Cpu(CLOCK_THREAD_CPUTIME_ID);
      deal.dealRyxx();
      deal.dealXzxx();
      if (rowsPerInsert > 1) g_oursProducerCpu = Cpu(CLOCK_THREAD_CPUTIME_ID) - own0;
      if (!deal.WaitForIdle(3600000)) state.SkipWithError("the writer did not finish");
    }
    if (rowsPerInsert > 1) g_oursCpu = Cpu(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    *seconds_out = seconds;
    if (env.Count("sb_ryjbxxb") + env.Count("sb_rycbjgxxb") + env.Count("sb_rycbxmb") != RowsWritten())
      state.SkipWithError("wrong number of rows");
  }
  state.counters["rows_per_s"] = benchmark::Counter(static_cast<double>(RowsWritten()), benchmark::Counter::kIsRate);
}

// The default: new rows of a table share insert statements.
void DealCbxxAndRyxx(benchmark::State& state) { RunDeal(state, velmor::kRowsPerInsert, &g_oursSeconds); }
// Every row by its own statement, the statement texts exactly as written.
void DealCbxxAndRyxxRowByRow(benchmark::State& state) { RunDeal(state, 1, &g_rowByRowSeconds); }

void Check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE) {
    std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
    std::exit(1);
  }
}

void PreparedInsert(benchmark::State& state) {
  for (auto _ : state) {
    Env env;
    sqlite3* db = nullptr;
    Check(sqlite3_open_v2(env.File().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), db, "open");
    sqlite3_stmt *person = nullptr, *enrol = nullptr, *item = nullptr;
    Check(sqlite3_prepare_v2(db, "insert into sb_ryjbxxb (djxh, rydjxh, xm, zjlx, zjhm, fzid, phonenumber, updateFlag) "
                                 "values (?, ?, ?, ?, ?, '-1', ?, 1)", -1, &person, nullptr), db, "prepare");
    Check(sqlite3_prepare_v2(db, "insert into sb_rycbjgxxb (djxh, rydjxh, sbjbjgdm, rybh, yxbz) values (?, ?, ?, ?, ?)",
                             -1, &enrol, nullptr), db, "prepare");
    Check(sqlite3_prepare_v2(db, "insert into sb_rycbxmb (djxh, rydjxh, sbjbjgdm, xzid, zsxmdm, zspmdm, zszmdm, xzjddm, "
                                 "sqhczdm, cbrytslbdm, ksjfyf, tzjfyf, gxsj, pmlx, rybh, xzlxdm, yxbz) values (?, ?, ?, "
                                 "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", -1, &item, nullptr), db, "prepare");
    auto bind = [](sqlite3_stmt* s, int i, const std::string& v) {
      sqlite3_bind_text(s, i, v.data(), static_cast<int>(v.size()), SQLITE_STATIC);
    };
    const std::string djxh = "10001", zjlx = "201", jg = "24403000000", y = "Y";
    const std::string cols[] = {"10210", "1021001001", "440303001", "440303001001", "01", "2024-01", "2099-12",
                                "2024-03-01 10:00:00", "01"};
    const auto start = std::chrono::steady_clock::now();
    const double cpu0 = Cpu(CLOCK_PROCESS_CPUTIME_ID);
    Check(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), db, "begin");
    for (const Row& r : Rows()) {
      bind(person, 1, djxh), bind(person, 2, r.rydjxh), bind(person, 3, r.xm), bind(person, 4, zjlx);
      bind(person, 5, r.zjhm), bind(person, 6, r.phone);
      Check(sqlite3_step(person), db, "person");
      sqlite3_reset(person);
      bind(enrol, 1, djxh), bind(enrol, 2, r.rydjxh), bind(enrol, 3, jg), bind(enrol, 4, r.rybh), bind(enrol, 5, y);
      Check(sqlite3_step(enrol), db, "enrolment");
      sqlite3_reset(enrol);
      for (int k = 0; k < 2; ++k) {
        const std::string zspm = k ? "102100200" : "102100100", pmlx = k ? "01" : "00";
        bind(item, 1, djxh), bind(item, 2, r.rydjxh), bind(item, 3, jg), bind(item, 4, r.xzid[k]);
        bind(item, 5, cols[0]), bind(item, 6, zspm), bind(item, 7, cols[1]), bind(item, 8, cols[2]);
        bind(item, 9, cols[3]), bind(item, 10, cols[4]), bind(item, 11, cols[5]), bind(item, 12, cols[6]);
        bind(item, 13, cols[7]), bind(item, 14, pmlx), bind(item, 15, r.rybh), bind(item, 16, cols[8]);
        bind(item, 17, y);
        Check(sqlite3_step(item), db, "item");
        sqlite3_reset(item);
      }
    }
    Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    g_peerCpu = Cpu(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    g_peerSeconds = seconds;
    sqlite3_finalize(person);
    sqlite3_finalize(enrol);
    sqlite3_finalize(item);
    sqlite3_close(db);
    if (env.Count("sb_ryjbxxb") + env.Count("sb_rycbjgxxb") + env.Count("sb_rycbxmb") != RowsWritten())
      state.SkipWithError("wrong number of rows");
  }
  state.counters["rows_per_s"] = benchmark::Counter(static_cast<double>(RowsWritten()), benchmark::Counter::kIsRate);
}

BENCHMARK(DealCbxxAndRyxx)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(DealCbxxAndRyxxRowByRow)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(PreparedInsert)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    std::string a = argv[i];
    if (a.rfind("--persons=", 0) == 0)
      g_persons = std::atoi(a.c_str() + 10);
    else
      args.push_back(argv[i]);
  }
  int n = static_cast<int>(args.size());
  benchmark::Initialize(&n, args.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_oursSeconds > 0 && g_peerSeconds > 0) {
    const double rows = static_cast<double>(RowsWritten());
    std::printf("\n%d persons, %.0f rows\n", g_persons, rows);
    std::printf("TDealCbxxAndRyxx + writer: %10.0f rows/s (%.3f s)\n", rows / g_oursSeconds, g_oursSeconds);
    std::printf("prepared INSERT:           %10.0f rows/s (%.3f s)\n", rows / g_peerSeconds, g_peerSeconds);
    std::printf("ratio (ours / prepared):   %10.2fx  (goal: within 3x)\n", g_oursSeconds / g_peerSeconds);
    if (g_rowByRowSeconds > 0)
      std::printf("row by row (no shared inserts): %5.0f rows/s (%.3f s, %.2fx)\n", rows / g_rowByRowSeconds,
                  g_rowByRowSeconds, g_rowByRowSeconds / g_peerSeconds);
    std::printf("CPU seconds: ours %.3f (producer thread %.3f, writer thread %.3f), prepared %.3f\n", g_oursCpu,
                g_oursProducerCpu, g_oursCpu - g_oursProducerCpu, g_peerCpu);
  }
  return 0;
}
