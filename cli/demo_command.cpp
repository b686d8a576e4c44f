// `velmor demo`: the client's two days against the simulated server. Starts velmor-taxsim as a
// child on a free loopback port (with its simulated bank, over HTTPS with a throwaway
// certificate) or uses --server, points a fresh data directory at it, and runs through the
// plug-in the employer's day (cli/demo/employer_day.cpp) and the residents' payer's day
// (cli/demo/residents_day.cpp), each step under a heading with its progress; then the summary
// tables, the report workbook and the server's own summary beside it in the data directory. The
// first failed step ends the demo with its message (exit 1); the simulator is stopped in every case.
#include <CLI/CLI.hpp>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <future>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/demo/bank_keys.h"
#include "cli/demo/demo_context.h"
#include "cli/demo/report.h"
#include "cli/long_operation.h"
#include "cli/plugin_session.h"
#include "cli/simulator_child.h"
#include "host/host_config.h"
#include "host/host_error.h"
#include "host/net/http_transport.h"
#include "host/platform_manager.h"
#include "onlinepay/key_envelope.h"
#include "velmor/sys_param.h"

namespace velmor::cli {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using host::HostError;

constexpr const char* kReportFile = "velmor-demo-report.xlsx";
constexpr const char* kServerSummaryFile = "taxsim-summary.json";

Json Post(const std::string& url, const host::net::TransportOptions& options = {}) {
  host::net::HttpResult r = host::net::HttpPost(url, "{}", {"Content-Type: application/json"}, options);
  if (!r.ok) throw HostError("cannot ask the simulated server " + url + ": " + r.error);
  Json j = Json::parse(r.body, nullptr, false);
  if (j.is_discarded()) throw HostError("the simulated server answered " + url + " with no JSON");
  return j;
}

// The server's summary; it must know a payer (and a collective account for the residents' day).
Json ServerSummary(const std::string& url) {
  Json summary = Post(url + "/_taxsim/summary");
  if (!summary.contains("payers") || !summary["payers"].is_array() || summary["payers"].empty() ||
      !summary["payers"][0].contains("djxh"))
    throw HostError("the simulated server knows no payer (give --djxh)");
  return summary;
}

std::string MakeTempDir(const char* name) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + name + "-XXXXXX";
  if (!::mkdtemp(pattern.data())) throw HostError("cannot create a directory under " + pattern);
  return pattern;
}

// A temporary folder removed with everything in it when the demo ends.
struct TempFolder {
  std::string path = MakeTempDir("velmor-demo-keys");
  ~TempFolder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

void SetToday(DemoContext& c) {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char month[16], day[16];
  std::strftime(month, sizeof month, "%Y-%m", &tm);
  std::strftime(day, sizeof day, "%Y-%m-%d", &tm);
  c.year = tm.tm_year + 1900;
  c.month = month;
  c.today = day;
}

// What the residents' day needs in velmor.conf before the plug-in starts: the bank's CA and
// the envelope key of its signing key, and the basic-information function switched on.
void ConfigureDataDir(const std::string& dataDir, const BankKeys* keys) {
  const std::string path = dataDir + "/" + host::HostConfig::kFileName;
  host::HostConfig config = host::HostConfig::Load(path);
  config.Set("functions", "M8300-01-19-01-00", "Y");
  if (keys) {
    config.Set("https", "ca_file", keys->tlsCert);
    config.Set("M8", "ccb_key", keys->envelopeKeyHex);
  }
  config.Save(path);
}

// The merchant's signing key sealed where the plug-in reads it, and the bank's address.
void ConfigureBank(PluginSession& session, const BankKeys& keys, const std::string& bankUrl, const std::string& djxh) {
  const fs::path dir =
      fs::path(session.Host().DataDir()) / "M8" / "AppComs" / "Difference" /
      session.Host().Config().Get(host::HostConfig::kPlatform, "name", host::PlatformManager::kDefaultPlatformName);
  fs::create_directories(dir);
  std::ifstream in(keys.signKey, std::ios::binary);
  const std::string pem((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::ofstream out(dir / "Key_CCB.pem", std::ios::binary | std::ios::trunc);
  out << onlinepay::SealKeyEnvelope(pem, keys.envelopeKeyHex);
  if (!out) throw HostError("cannot write " + (dir / "Key_CCB.pem").string());
  Ref<ISysParamIntf> params = session.Plugin().CreateService<ISysParamIntf>();
  params->SetDjxh(djxh);
  if (!params->SetValue("ccb_zrzfpt_host", bankUrl)) session.Fail("保存系统参数[ccb_zrzfpt_host]失败");
}

}  // namespace

CLI::App* AddDemoCommand(CLI::App& app, DemoOptions& o) {
  CLI::App* cmd =
      app.add_subcommand("demo", "Run an employer's and a residents' payer's day against a simulated server");
  cmd->add_option("--persons", o.persons, "persons of the generated scenario; scales both days (default 2000)")
      ->check(CLI::Range(1, 10000000));
  cmd->add_option("--only", o.only, "run one day only: employer or residents")
      ->check(CLI::IsMember({"employer", "residents"}));
  cmd->add_option("--seed", o.seed, "seed of the generated scenario (default 1)");
  cmd->add_option("--server", o.server,
                  "use this running simulator instead of starting one (no bank: the online "
                  "order is left out)")
      ->type_name("URL");
  cmd->add_option("--djxh", o.djxh, "payer to work for (default: the server's first payer)");
  cmd->add_option("--taxsim", o.taxsim, "the simulator program (default: velmor-taxsim beside velmor)")
      ->type_name("PATH");
  cmd->add_flag("--reuse", o.reuse, "work in a --data directory that is not empty (its server and roster are replaced)");
  cmd->footer(
      "Without --data the demo works in a fresh directory under $TMPDIR (kept afterwards, so the\n"
      "stored roster and declarations can be looked at with velmor --data DIR ...). A --data\n"
      "directory must be new or empty unless --reuse is given. The report workbook\n" +
      std::string(kReportFile) + " and the server's own summary " + kServerSummaryFile +
      "\nare written to the data directory.\n\n"
      "Examples:\n  velmor demo\n  velmor demo --persons 500 --data /tmp/velmor-demo\n  velmor demo --only residents");
  return cmd;
}

int RunDemoCommand(const GlobalOptions& global, const DemoOptions& o) {
  const auto start = std::chrono::steady_clock::now();
  // The demo points the directory at its own short-lived server and replaces the roster: refused
  // for a directory in use unless asked for, and before anything is started.
  if (!global.dataDir.empty() && !o.reuse) {
    std::error_code ec;
    if (fs::exists(global.dataDir, ec) && !fs::is_empty(global.dataDir, ec))
      throw HostError("data directory " + global.dataDir +
                      " is not empty: the demo would replace its server address and roster "
                      "(give a new or empty directory, or --reuse)");
  }
  std::optional<TempFolder> keyFolder;
  std::optional<BankKeys> keys;
  // The merchant's signing key (RSA, a tenth to a third of a second of a core to make) is made on
  // a thread of the lowest priority while the employer's day runs, so it takes the time the cores
  // would otherwise idle; only the residents' day pays at the bank.
  std::future<void> signingKeys;
  std::optional<SimulatorChild> child;
  std::string url = o.server, bankUrl;
  if (url.empty()) {
    std::printf("== 模拟服务器：%d人\n", o.persons);
    std::fflush(stdout);
    std::vector<std::string> args{"--port",
                                  "0",
                                  "--persons",
                                  std::to_string(o.persons),
                                  "--seed",
                                  std::to_string(o.seed),
                                  "--queue-declarations"};
    const std::string program = o.taxsim.empty() ? DefaultSimulatorProgram() : o.taxsim;
    if (o.only != "employer") {
      keyFolder.emplace();
      keys = MakeBankKeys(keyFolder->path);
      signingKeys = std::async(std::launch::async, [&k = *keys] {
        (void)setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);  // this thread only, on Linux
        MakeSigningKeys(k);
      });
      args.insert(args.end(),
                  {"--bank-cert", keys->tlsCert, "--bank-key", keys->tlsKey, "--bank-public-key", keys->signPublicKey});
    }
    child.emplace(program, args);
    url = child->Url();
    bankUrl = child->BankUrl();
  }
  Json server = ServerSummary(url);
  const std::string djxh = o.djxh.empty() ? server["payers"][0]["djxh"].get<std::string>() : o.djxh;
  GlobalOptions g = global;
  if (g.dataDir.empty()) g.dataDir = MakeTempDir("velmor-demo");
  std::printf("   服务器 %s，缴费人 %s，数据目录 %s\n", url.c_str(), djxh.c_str(), g.dataDir.c_str());
  if (!bankUrl.empty()) std::printf("   模拟银行 %s\n", bankUrl.c_str());
  RunInitCommand(g, InitOptions{url, djxh});
  ConfigureDataDir(g.dataDir, keys ? &*keys : nullptr);

  std::vector<ReportTable> tables;
  // What the server says it holds, beside the report, so the two can be compared. Asked for once
  // the days are done, on a thread of its own: the server works it out (a walk of every declared
  // and paid line) while the report's tables are read from the store.
  auto serverSide = [&] {
    Json summary = {{"server", ServerSummary(url)}};
    if (!bankUrl.empty()) {
      host::net::TransportOptions tls;
      tls.caFile = keys->tlsCert;
      summary["bank"] = Post(bankUrl + "/_bank/summary", tls);
    }
    return summary;
  };
  std::future<Json> summary;
  {
    PluginSession session(g);
    DemoContext c(session);
    c.djxh = djxh;
    c.server = server;
    c.url = url;
    c.bankUrl = bankUrl;
    c.caFile = keys ? keys->tlsCert : "";
    c.workDir = g.dataDir + "/demo";
    c.persons = o.persons;
    SetToday(c);
    fs::create_directories(c.workDir);
    LongOperation op("velmor demo");
    if (o.only != "residents") RunEmployerDay(c, op);
    if (signingKeys.valid()) signingKeys.get();  // raises what making them raised
    if (keys) ConfigureBank(session, *keys, bankUrl, djxh);
    if (o.only != "employer") RunResidentsDay(c, op);
    summary = std::async(std::launch::async, serverSide);
    tables = BuildReport(c);
  }
  PrintReport(tables);
  const std::string report = g.dataDir + "/" + kReportFile;
  WriteReportWorkbook(tables, report);
  std::ofstream(g.dataDir + "/" + kServerSummaryFile, std::ios::trunc) << summary.get().dump(1) << '\n';
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("\n报告 %s\n演示完成，用时 %.1f 秒；数据目录 %s\n", report.c_str(), seconds, g.dataDir.c_str());
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
