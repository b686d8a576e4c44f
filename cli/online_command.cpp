// `velmor online ...` and `velmor regional ...`: payment orders of residents, placed and
// followed through the plug-in, and the orders recorded.
#include "cli/online_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/plugin_session.h"
#include "cli/residents_command.h"
#include "cli/text_table.h"
#include "host/host_error.h"
#include "velmor/grsbfjn.h"
#include "velmor/hn_grsbfjn.h"

namespace velmor::cli {

namespace {

using Json = nlohmann::json;

const char* BankState(const std::string& ddzt) {
  if (ddzt == "0") return "未支付";
  if (ddzt == "1") return "已支付";
  if (ddzt == "2") return "已关闭";
  return "?";
}

std::string ReadOrder(const std::string& path) {
  std::string text = ReadTextFile(path);
  if (!Json::parse(text, nullptr, false).is_object()) throw host::HostError(path + " is not a JSON object");
  return text;
}

}  // namespace

CLI::App* AddOnlineCommand(CLI::App& app, OnlineOptions& o) {
  CLI::App* cmd = app.add_subcommand("online", "Residents' online payment orders at the bank platform");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  o.order = cmd->add_subcommand("order", "Place an order at the bank: FILE holds the order (JSON object)");
  o.order->add_option("FILE", o.file, "the order")->required();
  o.state = cmd->add_subcommand("state", "Ask the bank for an order's state and record it");
  o.state->add_option("SPDDH", o.first, "merchant order number")->required();
  o.state->add_option("ZFDDH", o.second, "payment order number")->required();
  o.list = cmd->add_subcommand("list", "Print the recorded order lines");
  o.list->add_option("--name", o.name, "part of the name");
  o.list->add_option("--state", o.ddzt, "order states, e.g. 0,1 (0 unpaid, 1 paid, 2 closed)");
  o.list->add_option("--page", o.page, "page from 1; -1 for all");
  o.list->add_option("--size", o.size, "rows per page");
  o.details = cmd->add_subcommand("details", "Details of an order placed through the tax server");
  o.details->add_option("ORDERID", o.first, "the server's order id")->required();
  o.details->add_option("QUERYID", o.second, "its query id")->required();
  for (CLI::App* sub : {o.order, o.state, o.list, o.details}) sub->fallthrough();
  cmd->footer(
      "The options --data, --plugin and -v may follow the command name.\n\n"
      "Examples:\n  velmor online order order.json\n  velmor online state 20260101000001 PY20260101100001\n"
      "  velmor online list --state 0\n  velmor online details OD100001 Q100001");
  return cmd;
}

int RunOnlineCommand(const GlobalOptions& global, const OnlineOptions& o) {
  const std::string order = o.order->parsed() ? ReadOrder(o.file) : std::string();
  PluginSession session(global);
  Ref<IGrsbfjn> mgr = session.Require<IGrsbfjn>("IGrsbfjn");
  std::string out, message;
  if (o.order->parsed()) {
    if (!mgr->Sbfjn(order, out, message)) session.Fail(message);
    const Json r = Json::parse(out);
    std::printf("spddh %s zfddh %s jfje %s ddcssj %s\nsyturl %s\n", CellText(r, "spddh").c_str(),
                CellText(r, "zfddh").c_str(), CellText(r, "jfje").c_str(), CellText(r, "ddcssj").c_str(),
                CellText(r, "syturl").c_str());
  } else if (o.state->parsed()) {
    if (!mgr->DoZfztCx(o.first, o.second, out, message)) session.Fail(message);
    const std::string ddzt = CellText(Json::parse(out), "ddzt");
    std::printf("spddh %s zfddh %s ddzt %s (%s)\n", o.first.c_str(), o.second.c_str(), ddzt.c_str(), BankState(ddzt));
  } else if (o.details->parsed()) {
    if (!mgr->ddmxCx(o.first, o.second, out, message)) session.Fail(message);
    std::printf("%s\n", Json::parse(out).dump(2).c_str());
  } else {
    const std::string filter = Json{{"xm", o.name}, {"ddzt", o.ddzt}}.dump();
    const int32_t total = mgr->GetCount(filter);
    if (total < 0) session.Fail(mgr->GetErrorMessage());
    std::vector<std::vector<std::string>> table;
    for (const Json& r : Json::parse(mgr->GetData(filter, o.page, o.size)))
      table.push_back({CellText(r, "spddh"), CellText(r, "zfddh"), CellText(r, "ddscrq"), CellText(r, "xm"), CellText(r, "zspmdm"),
                       CellText(r, "jfje"), BankState(CellText(r, "ddzt"))});
    PrintTable({"spddh", "zfddh", "ddscrq", "xm", "zspmdm", "jfje", "ddzt"}, table);
    std::fprintf(stderr, "共 %d 条订单\n", total);
  }
  std::fflush(stdout);
  return 0;
}

CLI::App* AddRegionalCommand(CLI::App& app, RegionalOptions& o) {
  CLI::App* cmd = app.add_subcommand("regional", "Regional payment orders of residents (tax server)");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  o.order = cmd->add_subcommand("order", "Place an order: FILE holds the order with its payDetail lines (JSON)");
  o.order->add_option("FILE", o.file, "the order")->required();
  o.state = cmd->add_subcommand("state", "Ask the server for an order's state and record it");
  o.state->add_option("DDH", o.ddh, "the order number")->required();
  o.list = cmd->add_subcommand("list", "Print the recorded orders (--server: fetch the server's page first)");
  o.list->add_flag("--server", o.server, "fetch and record the server's page of orders first");
  o.list->add_option("--state", o.ddzt, "order states, e.g. 0,5");
  o.list->add_option("--from", o.from, "first day ordered, yyyy-mm-dd");
  o.list->add_option("--to", o.to, "last day ordered, yyyy-mm-dd");
  o.list->add_option("--page", o.page, "page from 1; -1 for all (the server's page from 1)");
  o.list->add_option("--size", o.size, "rows per page");
  for (CLI::App* sub : {o.order, o.state, o.list}) sub->fallthrough();
  cmd->footer(
      "The options --data, --plugin and -v may follow the command name.\n\n"
      "Examples:\n  velmor regional order order.json\n  velmor regional state HN200001\n"
      "  velmor regional list --server --from 2026-01-01");
  return cmd;
}

int RunRegionalCommand(const GlobalOptions& global, const RegionalOptions& o) {
  const std::string order = o.order->parsed() ? ReadOrder(o.file) : std::string();
  PluginSession session(global);
  Ref<IHnGrsbfjn> mgr = session.Require<IHnGrsbfjn>("IHnGrsbfjn");
  std::string out, message;
  if (o.order->parsed()) {
    if (!mgr->Xd(order, out, message)) session.Fail(message);
    for (const Json& r : Json::parse(out))
      std::printf("ddh %s ddzt %s jfje %s ddsxsj %s\n", CellText(r, "ddh").c_str(), CellText(r, "ddzt").c_str(),
                  CellText(r, "jfje").c_str(), CellText(r, "ddsxsj").c_str());
  } else if (o.state->parsed()) {
    if (!mgr->ddztCx(o.ddh, out, message)) session.Fail(message);
    const Json r = Json::parse(out);
    std::printf("ddh %s ddzt %s ddzfsj %s zfqd %s\n", o.ddh.c_str(), CellText(r, "ddzt").c_str(),
                CellText(r, "ddzfsj").c_str(), CellText(r, "zfqd").c_str());
  } else {
    if (o.server) {
      const Json query = {{"ddscrqq", o.from}, {"ddscrqz", o.to}, {"pageNumber", o.page < 1 ? 1 : o.page},
                          {"pageSize", o.size}};
      if (!mgr->ddCx(query.dump(), out, message)) session.Fail(message);
      std::fprintf(stderr, "服务器共有 %s 条订单\n", CellText(Json::parse(out), "total").c_str());
    }
    const std::string filter = Json{{"ddzt", o.ddzt}, {"ddscrqq", o.from}, {"ddscrqz", o.to}}.dump();
    const int32_t total = mgr->GetCount(filter);
    if (total < 0) session.Fail(mgr->GetErrorMessage());
    std::vector<std::vector<std::string>> table;
    for (const Json& r : Json::parse(mgr->GetData(filter, o.page, o.size)))
      table.push_back({CellText(r, "ddh"), CellText(r, "ddscrq"), CellText(r, "xm"), CellText(r, "jfje"), CellText(r, "ddzt"),
                       CellText(r, "zfqd")});
    PrintTable({"ddh", "ddscrq", "xm", "jfje", "ddzt", "zfqd"}, table);
    std::fprintf(stderr, "本地共 %d 条订单\n", total);
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
