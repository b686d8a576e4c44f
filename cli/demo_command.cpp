// `velmor demo`: one working day of the client against the simulated server. Starts velmor-taxsim
// as a child on a free loopback port (or uses --server), points a fresh data directory at it, and
// runs the day's steps through the plug-in's services, each under a heading with its progress:
// rules, scheme account, roster, enrolment states, declaration list, the server's assessed
// amounts, a declaration built from the roster with them, its feedback, the payment state of its
// voucher; the arrears paid part by deduction and the rest by bank-side voucher, the deductions'
// status, the home-page notices; then summary tables. The first failed step ends the demo with its message (exit 1);
// the simulator is stopped in every case.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ctime>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/declare_command.h"
#include "cli/long_operation.h"
#include "cli/plugin_session.h"
#include "cli/roster_declaration.h"
#include "cli/simulator_child.h"
#include "cli/state_names.h"
#include "cli/text_table.h"
#include "host/host_error.h"
#include "host/net/http_transport.h"
#include "velmor/dict_mgr.h"
#include "velmor/employee_dao.h"
#include "velmor/employee_service.h"
#include "velmor/jk_service.h"
#include "velmor/rcsb_mgr.h"
#include "velmor/xnh_mgr.h"

namespace velmor::cli {
namespace {

using Json = nlohmann::json;
using host::HostError;

// Each ' doubled: the store's quote-doubling for a value inside quotes.
std::string EscapeSql(const std::string& value) {
  std::string out;
  for (char c : value) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out;
}

// The server's first payer, from the simulator's summary.
std::string FirstPayer(const std::string& url) {
  host::net::HttpResult r = host::net::HttpPost(url + "/_taxsim/summary", "{}", {"Content-Type: application/json"}, {});
  if (!r.ok) throw HostError("cannot ask the simulated server for its payers: " + r.error);
  Json summary = Json::parse(r.body, nullptr, false);
  if (summary.is_discarded() || !summary.contains("payers") || !summary["payers"].is_array() ||
      summary["payers"].empty() || !summary["payers"][0].contains("djxh"))
    throw HostError("the simulated server knows no payer (give --djxh)");
  return summary["payers"][0]["djxh"].get<std::string>();
}

std::string FreshDataDir() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/velmor-demo-XXXXXX";
  if (!::mkdtemp(pattern.data())) throw HostError("cannot create a data directory under " + pattern);
  return pattern;
}

struct Today {
  int year = 0;
  std::string month;  // yyyy-mm
};

Today Now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char month[16];
  std::strftime(month, sizeof month, "%Y-%m", &tm);
  return {tm.tm_year + 1900, month};
}

// The steps of the day: each prints its heading, runs, and prints one result line with its time.
class Day {
 public:
  void Step(const char* heading, const std::function<std::string(IProgressView*)>& body) {
    std::printf("\n== %d. %s\n", ++step_, heading);
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    IProgressView* view = op_.Start(heading);
    std::string result;
    try {
      result = body(view);
    } catch (...) {
      op_.Finished(false);  // Interrupted when Ctrl-C stopped the step
      throw;
    }
    op_.Finished(true);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("   %s（%.1f 秒）\n", result.c_str(), seconds);
    std::fflush(stdout);
  }

 private:
  int step_ = 0;
  LongOperation op_{"velmor demo"};
};

void PrintSummary(PluginSession& session, const std::string& djxh, IEmployeeService& roster, IRcsbMgr& mgr,
                  const Json& jkzt) {
  std::printf("\n== 汇总\n");
  std::vector<std::vector<std::string>> persons;
  for (const char* cbzt : {"1", "2", "3"}) {
    persons.push_back({std::string(cbzt) + " " + PersonStateName(cbzt),
                       std::to_string(roster.getRyCount(djxh, RyOrigin::kAll, cbzt))});
  }
  persons.push_back({"合计", std::to_string(roster.getRyCount(djxh, RyOrigin::kAll, ""))});
  PrintTable({"参保状态", "人数"}, persons);

  std::string rows;
  if (!mgr.GetSbzbData(Json{{"djxh", djxh}}.dump(), -1, 0, rows)) session.Fail(mgr.GetErrorMessage());
  std::map<std::string, std::pair<int, double>> byState;
  int count = 0;
  double total = 0;
  for (const Json& m : Json::parse(rows)) {
    const std::string sbzt = m.value("sbzt", "");
    const double zje = std::strtod(m.value("zje", "0").c_str(), nullptr);
    byState[sbzt].first += 1;
    byState[sbzt].second += zje;
    count += 1;
    total += zje;
  }
  std::vector<std::vector<std::string>> declarations;
  for (const auto& [sbzt, n] : byState)
    declarations.push_back({sbzt + " " + DeclarationStateName(sbzt), std::to_string(n.first), Money(n.second)});
  declarations.push_back({"合计", std::to_string(count), Money(total)});
  std::printf("\n");
  PrintTable({"申报状态", "笔数", "金额"}, declarations);

  std::map<int, int> byPayment;
  for (const auto& [voucher, state] : jkzt.items()) byPayment[state.get<int>()] += 1;
  std::vector<std::vector<std::string>> payments;
  for (const auto& [state, n] : byPayment)
    payments.push_back({std::to_string(state) + " " + PaymentStateName(state), std::to_string(n)});
  std::printf("\n");
  PrintTable({"缴款状态", "凭证数"}, payments);
}

// The stored payments by method and state, with their amounts.
void PrintPaymentSummary(PluginSession& session, IJkService& jk) {
  std::string rows;
  if (!jk.GetData("", 1, 3, 0, 0, rows)) session.Fail(jk.GetErrorMessage());
  std::map<std::string, std::pair<int, double>> byState;
  for (const Json& r : Json::parse(rows)) {
    const std::string key = (r.value("jkfs", "") == "1" ? "扣款" : "凭证") + std::string(" jkzt ") + r.value("jkzt", "") +
                            " dyzt " + r.value("dyzt", "");
    byState[key].first += 1;
    byState[key].second += std::strtod(r.value("qfje", "0").c_str(), nullptr);
  }
  std::vector<std::vector<std::string>> table;
  for (const auto& [key, n] : byState) table.push_back({key, std::to_string(n.first), Money(n.second)});
  std::printf("\n");
  PrintTable({"缴费方式与状态", "笔数", "金额"}, table);
}

}  // namespace

CLI::App* AddDemoCommand(CLI::App& app, DemoOptions& o) {
  CLI::App* cmd = app.add_subcommand("demo", "Run one working day against a simulated server and print a summary");
  cmd->add_option("--persons", o.persons, "persons of the generated scenario (default 5000)")
      ->check(CLI::Range(1, 10000000));
  cmd->add_option("--seed", o.seed, "seed of the generated scenario (default 1)");
  cmd->add_option("--server", o.server, "use this running simulator instead of starting one")->type_name("URL");
  cmd->add_option("--djxh", o.djxh, "payer to work for (default: the server's first payer)");
  cmd->add_option("--taxsim", o.taxsim, "the simulator program (default: velmor-taxsim beside velmor)")
      ->type_name("PATH");
  cmd->add_flag("--reuse", o.reuse, "work in a --data directory that is not empty (its server and roster are replaced)");
  cmd->footer(
      "Without --data the demo works in a fresh directory under $TMPDIR (kept afterwards, so the\n"
      "stored roster and declarations can be looked at with velmor --data DIR ...). A --data\n"
      "directory must be new or empty unless --reuse is given.\n\n"
      "Examples:\n  velmor demo\n  velmor demo --persons 500 --data /tmp/velmor-demo");
  return cmd;
}

int RunDemoCommand(const GlobalOptions& global, const DemoOptions& o) {
  const auto start = std::chrono::steady_clock::now();
  // The demo points the directory at its own short-lived server and replaces the roster: refused
  // for a directory in use unless asked for, and before anything is started.
  if (!global.dataDir.empty() && !o.reuse) {
    std::error_code ec;
    if (std::filesystem::exists(global.dataDir, ec) && !std::filesystem::is_empty(global.dataDir, ec))
      throw host::HostError("data directory " + global.dataDir +
                            " is not empty: the demo would replace its server address and roster "
                            "(give a new or empty directory, or --reuse)");
  }
  std::optional<SimulatorChild> child;
  std::string url = o.server;
  if (url.empty()) {
    std::printf("== 模拟服务器：%d人\n", o.persons);
    std::fflush(stdout);
    child.emplace(o.taxsim.empty() ? DefaultSimulatorProgram() : o.taxsim,
                  std::vector<std::string>{"--port", "0", "--persons", std::to_string(o.persons), "--seed",
                                           std::to_string(o.seed), "--queue-declarations"});
    url = child->Url();
  }
  const std::string djxh = o.djxh.empty() ? FirstPayer(url) : o.djxh;
  GlobalOptions g = global;
  if (g.dataDir.empty()) g.dataDir = FreshDataDir();
  std::printf("   服务器 %s，缴费人 %s，数据目录 %s\n", url.c_str(), djxh.c_str(), g.dataDir.c_str());
  RunInitCommand(g, InitOptions{url, djxh});

  PluginSession session(g);
  Day day;
  const Today today = Now();
  const std::string year = std::to_string(today.year);
  Ref<IEmployeeService> roster = session.Require<IEmployeeService>("IEmployeeService");
  Ref<IRcsbMgr> mgr = session.Require<IRcsbMgr>("IRcsbMgr");
  Ref<IXnhMgr> xnh = session.Require<IXnhMgr>("IXnhMgr");
  std::string message;

  day.Step("更新规则", [&](IProgressView*) {
    Ref<IDictMgr> dict = session.Require<IDictMgr>("IDictMgr");
    if (!dict->Update(djxh, true)) session.Fail(dict->GetErrorMessage());
    return std::string("规则已更新");
  });
  day.Step("下载参保登记信息", [&](IProgressView* view) {
    if (!xnh->DjxxXz(view) || !xnh->downloadZjms(view)) session.Fail(xnh->GetErrorMessage());
    std::vector<std::string> types;
    if (!xnh->GetXzlxList(djxh, types)) session.Fail(xnh->GetErrorMessage());
    return "参保登记信息已保存，" + std::to_string(types.size()) + "个险种类型";
  });
  day.Step("下载花名册", [&](IProgressView* view) {
    if (!roster->updateCbryxx(djxh, false, view, message)) session.Fail(message);
    return std::to_string(roster->getRyCount(djxh, RyOrigin::kAll, "")) + "人，" +
           std::to_string(roster->getItemCount(djxh)) + "个参保项目";
  });
  day.Step("刷新参保状态", [&](IProgressView* view) {
    if (roster->refreshCbzt(djxh, false, true, view, message) < 0) session.Fail(message);
    return "本月参保" + std::to_string(roster->getRyCount(djxh, RyOrigin::kAll, "1")) + "人";
  });
  day.Step("下载申报清单", [&](IProgressView* view) {
    if (!mgr->synSbqdCx("5", year + "-01-01", year + "-12-31", view, message)) session.Fail(message);
    int32_t count = 0;
    mgr->GetSbzbCount(Json{{"djxh", djxh}}.dump(), count);
    return "本地共" + std::to_string(count) + "条申报记录";
  });
  day.Step("查询核定申报状态", [&](IProgressView* view) {
    int32_t stored = 0;
    if (!roster->QueryHdsbztCx(djxh, year + "-01-01", year + "-12-31", view, stored, message)) session.Fail(message);
    return "已保存" + std::to_string(stored) + "条核定申报状态";
  });
  int32_t id = 0, sbzt = 0;
  day.Step("按花名册申报", [&](IProgressView* view) {
    RyUpdateFilter filter;
    filter.month = today.month;
    Json rows = Json::parse(roster->getUpdateData(djxh, filter, -1, 0), nullptr, false);
    Ref<IEmployeeDao> store = session.Require<IEmployeeDao>("IEmployeeDao");
    const std::map<std::string, double> amounts = AssessedAmounts(Json::parse(
        store->getData("select xzid, ybtfe from ds_rysbztb where djxh = '" + EscapeSql(djxh) + "'"), nullptr, false));
    Json offices = Json::parse(xnh->GetDAO() ? xnh->GetDAO()->GetSwjgList(djxh) : "[]", nullptr, false);
    const bool hasOffice = offices.is_array() && !offices.empty() && offices[0].is_string();
    const std::string swjgdm = hasOffice ? offices[0].get<std::string>() : "";
    RosterDeclaration sb = DeclarationFromRoster(rows, amounts, swjgdm, today.year);
    if (!mgr->SbSend(sb.document.dump(), view, id, sbzt, message)) session.Fail(message);
    return "申报 " + std::to_string(id) + "：" + std::to_string(sb.persons) + "行人员，金额 " + Money(sb.amount) +
           "，状态 " + StateCell(std::to_string(sbzt), DeclarationStateName(std::to_string(sbzt)));
  });
  day.Step("获取申报反馈", [&](IProgressView* view) {
    if (sbzt != 1 && sbzt != 9) return std::string("服务器已即时答复，无需获取反馈");
    if (!mgr->GetSbFk(id, view, sbzt, message)) session.Fail(message);
    return "申报 " + std::to_string(id) + "：状态 " +
           StateCell(std::to_string(sbzt), DeclarationStateName(std::to_string(sbzt)));
  });
  Json jkzt = Json::object();
  day.Step("查询缴款状态", [&](IProgressView* view) {
    std::string vouchers, states;
    if (!mgr->GetWjkDataLb(djxh, "2,6", vouchers)) session.Fail(mgr->GetErrorMessage());
    if (Json::parse(vouchers).empty()) return std::string("没有未缴款的凭证");
    if (!mgr->BatGetJkzt(vouchers, view, 100, states, message)) session.Fail(message);
    jkzt = Json::parse(states);
    return "已查询" + std::to_string(jkzt.size()) + "张凭证";
  });
  // The payment of the day: half the arrears lines by deduction, the rest on bank-side
  // vouchers; then what the server says of the deductions, and the home-page notices.
  Ref<IJkService> jk = session.Require<IJkService>("IJkService");
  std::vector<std::string> deducted;
  day.Step("缴纳欠费", [&](IProgressView* view) {
    std::string text;
    if (!jk->GetQfxxLb(0, "", "", "", view, text)) session.Fail(jk->GetErrorMessage());
    const Json lines = Json::parse(text);
    if (lines.empty()) return std::string("没有欠费");
    // The first half of the lines by deduction, the rest on vouchers.
    Json byDeduction = Json::array(), byVoucher = Json::array();
    double deductedAmount = 0, voucherAmount = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
      const Json& l = lines[i];
      const bool d = i < (lines.size() + 1) / 2;
      (d ? byDeduction : byVoucher).push_back(l);
      (d ? deductedAmount : voucherAmount) += std::strtod(l.value("qfje", "0").c_str(), nullptr);
      if (d && std::find(deducted.begin(), deducted.end(), l.value("yzpzxh", "")) == deducted.end())
        deducted.push_back(l.value("yzpzxh", ""));
    }
    if (!jk->GetSfxyLb(djxh, "1", view, text)) session.Fail(jk->GetErrorMessage());
    const Json agreements = Json::parse(text);
    if (agreements.empty()) session.Fail("未查询到三方协议，无法扣款。");
    int32_t result = kJkFailed;
    if (!jk->SfyxJk(byDeduction.dump(), agreements[0].dump(), "{}", 0, view, result)) session.Fail(jk->GetErrorMessage());
    if (!byVoucher.empty()) {
      const Json account = {{"yhzh", agreements[0].value("jkzh", "")}, {"zhmc", agreements[0].value("zhmc", "")},
                            {"yhhbMc", agreements[0].value("yhhbMc", "")}};
      if (!jk->PrintJkpz(byVoucher.dump(), account.dump(), view, result)) session.Fail(jk->GetErrorMessage());
    }
    return "扣款" + std::to_string(byDeduction.size()) + "条（" + Money(deductedAmount) + "），开具凭证" +
           std::to_string(byVoucher.size()) + "条（" + Money(voucherAmount) + "）";
  });
  day.Step("查询扣款结果", [&](IProgressView* view) {
    int paid = 0;
    for (const std::string& yzpzxh : deducted) {
      std::string answer;
      if (!jk->Kkqkcx(djxh, yzpzxh, view, answer) || !jk->SaveKkqkcxResult(djxh, yzpzxh, answer))
        session.Fail(jk->GetErrorMessage());
      paid += std::strtod(Json::parse(answer).value("wjkje", "1").c_str(), nullptr) == 0;
    }
    return std::to_string(deducted.size()) + "张应征凭证中" + std::to_string(paid) + "张已全部缴清";
  });
  day.Step("首页提醒", [&](IProgressView* view) {
    if (!session.Host().PublishHomePage()) session.Fail("无法记录首页窗口（系统参数homepage_handle）。");
    session.Host().HomePage().SetSink([](const host::components::HomePage::Notice& n) {
      const Json notice = Json::parse(n.text, nullptr, false);
      std::printf("   0x%04X %s %s\n", static_cast<unsigned>(n.message),
                  notice.is_object() ? notice.value("action", "").c_str() : "?",
                  notice.is_object() ? notice.value("message", "").c_str() : "");
    });
    if (!jk->CheckQfxxNotice(view) || !jk->SendQfxxNotice()) session.Fail(jk->GetErrorMessage());
    session.Host().HomePage().SetSink({});
    return "首页收到" + std::to_string(session.Host().HomePage().Notices().size()) + "条提醒";
  });
  PrintSummary(session, djxh, *roster, *mgr, jkzt);
  PrintPaymentSummary(session, *jk);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("\n演示完成，用时 %.1f 秒；数据目录 %s\n", seconds, g.dataDir.c_str());
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
