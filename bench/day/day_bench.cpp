// The working day through the loaded plug-in, step by step, as `velmor demo` runs it: rules,
// scheme account, roster download, enrolment states, declaration list, assessed items ("0108"),
// a declaration of every valid item of the roster, its feedback, the payment state of its
// voucher, and the arrears paid half by deduction and half on vouchers. Each step prints its wall
// time, its rows, rows per second, its floor (day_floor.h: the rows it stored inserted again into
// its own tables, or a plain insert of as many rows) and the plain floor, both measured right after
// it in the same run, the ratios, and the peak resident memory of this process (the client) and of
// the simulator during the step.
//
//   bench_day --data DIR --plugin LIB --djxh DJXH --sim-pid PID [--label TEXT] [--payment no]
//
// --payment no leaves out the payment steps (the longest of the day).
// DIR is a data directory made by `velmor init` for the running simulator PID. The last line,
// "total ...", is what bench/day/day_bench.sh reads.
#include <algorithm>
#include <chrono>
#include <cstdio>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/day/day_floor.h"
#include "cli/declaration_rows.h"
#include "cli/demo/arrears_split.h"
#include "cli/roster_declaration.h"
#include "host/db/database.h"
#include "host/host.h"
#include "host/plugin_host.h"
#include "store/sql.h"
#include "velmor/dict_mgr.h"
#include "velmor/employee_dao.h"
#include "velmor/employee_service.h"
#include "velmor/jk_service.h"
#include "velmor/rcsb_mgr.h"
#include "velmor/xnh_mgr.h"

namespace {

using Json = nlohmann::json;
using namespace velmor;

struct Args {
  std::string data, plugin, djxh, label;
  pid_t simPid = 0;
  bool payment = true;
};

Args Parse(int argc, char** argv) {
  Args a;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string k = argv[i], v = argv[i + 1];
    if (k == "--data") a.data = v;
    else if (k == "--plugin") a.plugin = v;
    else if (k == "--djxh") a.djxh = v;
    else if (k == "--sim-pid") a.simPid = static_cast<pid_t>(std::atol(v.c_str()));
    else if (k == "--label") a.label = v;
    else if (k == "--payment") a.payment = v != "no";
    else throw std::invalid_argument("unknown option " + k);
  }
  if (a.data.empty() || a.plugin.empty() || a.djxh.empty() || a.simPid <= 0)
    throw std::invalid_argument("usage: bench_day --data DIR --plugin LIB --djxh DJXH --sim-pid PID [--label TEXT]");
  return a;
}

[[noreturn]] void Fail(const std::string& step, const std::string& message) {
  throw std::runtime_error(step + ": " + message);
}

// One step's outcome: its rows (0: not a row step) and the floor's column count. A step whose
// rows must be counted in the store gives `count` instead, run after its time is taken (the
// roster's count of persons, enrolments and items joins them all: about 0.4 s at 100,000
// persons that were no part of the download).
// `tables`: the tables the step stores its rows in; its floor is then those rows inserted again
// into the same tables (StoredRowsFloor), beside the plain floor of as many rows.
struct Rows {
  long rows = 0;
  int columns = 0;
  std::function<long()> count = {};
  std::vector<std::string> tables = {};
};

class Day {
 public:
  Day(const Args& a) : args_(a) {}

  void Step(const char* name, const std::function<Rows()>& body) {
#if defined(__GLIBC__)
    malloc_trim(0);  // as the demo does between its steps: each step's peak is its own
#endif
    velmor::bench::ResetPeak();
    velmor::bench::ResetPeak(args_.simPid);
    const auto start = std::chrono::steady_clock::now();
    Rows r = body();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long client = velmor::bench::PeakKb(), sim = velmor::bench::PeakKb(args_.simPid);
    if (r.count) r.rows = r.count();
    clientPeak_ = std::max(clientPeak_, client);
    simPeak_ = std::max(simPeak_, sim);
    total_ += wall;
    if (r.rows > 0) {
      const double plain = velmor::bench::FloorSeconds(args_.data, r.rows, r.columns);
      double floor = plain;
      if (!r.tables.empty()) {
        const auto stored =
            velmor::bench::StoredRowsFloor(args_.data, args_.data + "/" + host::db::kDatabaseFileName, r.tables);
        floor = stored.seconds;
        if (stored.rows != r.rows) std::printf("(%s: its tables hold %ld rows)\n", name, stored.rows);
      }
      std::printf("%-22s %8.2f %9ld %10.0f %8.2f %7.2fx %8.2f %7.2fx %9.1f %9.1f %9.2f\n", name, wall, r.rows,
                  r.rows / wall, floor, wall / floor, plain, wall / plain, client / 1024.0, sim / 1024.0,
                  wall * 1e6 / r.rows);
    } else {
      std::printf("%-22s %8.2f %9s %10s %8s %8s %8s %8s %9.1f %9.1f %9s\n", name, wall, "-", "-", "-", "-", "-", "-",
                  client / 1024.0, sim / 1024.0, "-");
    }
    std::fflush(stdout);
  }

  void Header() const {
    std::printf("day at %s\n", args_.label.c_str());
    std::printf("%-22s %8s %9s %10s %8s %8s %8s %8s %9s %9s %9s\n", "step", "wall s", "rows", "rows/s", "floor s",
                "ratio", "plain s", "plain x", "client MB", "sim MB", "us/row");
  }

  void Total() const {
    std::printf("total %s: wall %.2f s, client peak %.1f MB, simulator peak %.1f MB\n", args_.label.c_str(), total_,
                clientPeak_ / 1024.0, simPeak_ / 1024.0);
  }

 private:
  const Args& args_;
  double total_ = 0;
  long clientPeak_ = 0, simPeak_ = 0;
};

long Count(IEmployeeDao& dao, const std::string& sql) {
  const Json rows = Json::parse(dao.getData(sql), nullptr, false);
  if (!rows.is_array() || rows.empty() || !rows[0].is_object() || rows[0].empty()) return 0;
  const Json& v = rows[0].begin().value();
  return v.is_string() ? std::atol(v.get<std::string>().c_str()) : v.get<long>();
}

void RunDay(const Args& a, host::PluginHost& plugin) {
  const std::string& djxh = a.djxh;
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char month[16];
  std::strftime(month, sizeof month, "%Y-%m", &tm);
  const int yearNo = tm.tm_year + 1900;
  const std::string year = std::to_string(yearNo);

  Ref<IEmployeeService> roster = plugin.CreateService<IEmployeeService>();
  Ref<IEmployeeDao> store = plugin.CreateService<IEmployeeDao>();
  Ref<IRcsbMgr> mgr = plugin.CreateService<IRcsbMgr>();
  Ref<IXnhMgr> xnh = plugin.CreateService<IXnhMgr>();
  Ref<IDictMgr> dict = plugin.CreateService<IDictMgr>();
  Ref<IJkService> jk = plugin.CreateService<IJkService>();
  if (!roster || !store || !mgr || !xnh || !dict || !jk) throw std::runtime_error("a service is missing");
  std::string message;
  Day day(a);
  day.Header();

  day.Step("rules", [&] {
    if (!dict->Update(djxh, true)) Fail("rules", dict->GetErrorMessage());
    return Rows{};
  });
  day.Step("scheme", [&] {
    if (!xnh->DjxxXz(nullptr) || !xnh->downloadZjms(nullptr)) Fail("scheme", xnh->GetErrorMessage());
    return Rows{};
  });
  day.Step("roster", [&] {
    if (!roster->updateCbryxx(djxh, false, nullptr, message)) Fail("roster", message);
    return Rows{0,
                10,
                [&] {
                  const long enrolments =
                      Count(*store, "select count(*) as n from sb_rycbjgxxb where djxh = " + QuotedStr(djxh));
                  return roster->getRyCount(djxh, RyOrigin::kAll, "") + enrolments + roster->getItemCount(djxh);
                },
                {"sb_ryjbxxb", "sb_rycbjgxxb", "sb_rycbxmb"}};
  });
  day.Step("enrolment states", [&] {
    if (roster->refreshCbzt(djxh, false, true, nullptr, message) < 0) Fail("enrolment states", message);
    return Rows{0, 1, [&] { return long{roster->getRyCount(djxh, RyOrigin::kAll, "")}; }};
  });
  day.Step("declaration list", [&] {
    if (!mgr->synSbqdCx("5", year + "-01-01", year + "-12-31", nullptr, message)) Fail("declaration list", message);
    return Rows{};
  });
  day.Step("assessed items 0108", [&] {
    int32_t stored = 0;
    if (!roster->QueryHdsbztCx(djxh, year + "-01-01", year + "-12-31", nullptr, stored, message))
      Fail("assessed items", message);
    return Rows{stored, 12, {}, {"ds_rysbztb"}};
  });
  // The declaration in two parts: what the command line does to build it from the roster, and
  // SbSend (build the document, encode, send, decode the answer, store).
  cli::RosterDeclaration sb;
  std::string document;
  day.Step("declaration: build", [&] {
    const auto amounts =
        cli::AssessedAmountsText(store->getData("select xzid, ybtfe from ds_rysbztb where djxh = " + QuotedStr(djxh)));
    sb = cli::DeclarationFromStore(*store, djxh, month, amounts, "", yearNo);  // as the demo builds it
    document = std::move(sb.text);
    return Rows{sb.persons, 30};
  });
  int32_t id = 0, sbzt = 0;
  day.Step("declaration: SbSend", [&] {
    if (!mgr->SbSend(document, nullptr, id, sbzt, message)) Fail("declaration", message);
    document.clear();
    document.shrink_to_fit();
    return Rows{sb.persons, 30, {}, {"ds_sbzb", "ds_sbmxb", "ds_sbrymxb"}};
  });
  day.Step("feedback", [&] {
    if ((sbzt == 1 || sbzt == 9) && !mgr->GetSbFk(id, nullptr, sbzt, message)) Fail("feedback", message);
    return Rows{};
  });
  day.Step("payment state", [&] {
    std::string vouchers, states;
    if (!mgr->GetWjkDataLb(djxh, "2,6", vouchers)) Fail("payment state", mgr->GetErrorMessage());
    if (Json::parse(vouchers).empty()) return Rows{};
    if (!mgr->BatGetJkzt(vouchers, nullptr, 100, states, message)) Fail("payment state", message);
    return Rows{};
  });
  if (!a.payment) {
    day.Total();
    return;
  }
  std::vector<std::string> deducted;
  day.Step("payment", [&] {
    std::string text;
    if (!jk->GetQfxxLb(0, "", "", "", nullptr, text)) Fail("payment", jk->GetErrorMessage());
    // The lines are split as the demo splits them: their own texts, never a tree of them.
    velmor::cli::ArrearsSplit split = velmor::cli::SplitArrears(text);
    if (split.deductionLines == 0) return Rows{};
    deducted = std::move(split.deductedDocuments);
    const long count = static_cast<long>(split.deductionLines + split.voucherLines);
    std::string().swap(text);  // the whole list is not held through the payments
    if (!jk->GetSfxyLb(djxh, "1", nullptr, text)) Fail("payment", jk->GetErrorMessage());
    const Json agreements = Json::parse(text);
    if (agreements.empty()) Fail("payment", "no agreement");
    int32_t result = kJkFailed;
    if (!jk->SfyxJk(split.deduction, agreements[0].dump(), "{}", 0, nullptr, result))
      Fail("payment", jk->GetErrorMessage());
    if (split.voucherLines > 0) {
      const Json account = {{"yhzh", agreements[0].value("jkzh", "")}, {"zhmc", agreements[0].value("zhmc", "")},
                            {"yhhbMc", agreements[0].value("yhhbMc", "")}};
      if (!jk->PrintJkpz(split.voucher, account.dump(), nullptr, result)) Fail("payment", jk->GetErrorMessage());
    }
    return Rows{count, 20, {}, {"sb_fkjnxxb"}};
  });
  day.Step("deduction results", [&] {
    for (const std::string& yzpzxh : deducted) {
      std::string answer;
      if (!jk->Kkqkcx(djxh, yzpzxh, nullptr, answer) || !jk->SaveKkqkcxResult(djxh, yzpzxh, answer))
        Fail("deduction results", jk->GetErrorMessage());
    }
    return Rows{};
  });
  day.Total();
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const Args a = Parse(argc, argv);
    host::Host host(host::HostOptions{a.data, false, false, -1});
    host.Start();
    {
      host::PluginHost plugin;
      plugin.Load(a.plugin);
      plugin.Start(0, static_cast<IServiceFactory*>(&host.Factory()), "DATADIR=" + host.DataDir());
      RunDay(a, plugin);
      plugin.Stop();
    }
    host.Stop();
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_day: %s\n", e.what());
    return 1;
  }
}
