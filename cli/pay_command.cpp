// `velmor pay ...`: the payment manager of the plug-in. Results are printed as JSON so that they
// can be piped; a failed call ends the command with the plug-in's message.
#include "cli/pay_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "cli/plugin_session.h"
#include "velmor/jk_service.h"

namespace velmor::cli {

namespace {

using json = nlohmann::ordered_json;

void Print(const json& value) {
  std::printf("%s\n", value.dump(2).c_str());
  std::fflush(stdout);
}

CLI::App* Sub(CLI::App* cmd, const char* name, const char* about, const char* examples) {
  CLI::App* sub = cmd->add_subcommand(name, about);
  sub->footer(examples);
  sub->fallthrough();
  return sub;
}

// The arrears lines to pay: those of the given levy documents, or all.
json Selected(IJkService& jk, PluginSession& session, const std::vector<std::string>& yzpzxh) {
  std::string text;
  if (!jk.GetQfxxLb(0, "", "", "", nullptr, text)) session.Fail(jk.GetErrorMessage());
  if (!jk.GetErrorMessage().empty()) std::fprintf(stderr, "%s\n", jk.GetErrorMessage().c_str());
  json lines = json::array();
  for (const json& l : json::parse(text))
    if (yzpzxh.empty() || std::find(yzpzxh.begin(), yzpzxh.end(), l.value("yzpzxh", "")) != yzpzxh.end())
      lines.push_back(l);
  if (lines.empty()) session.Fail("没有可缴纳的欠费信息。");
  return lines;
}

json FirstAgreement(IJkService& jk, PluginSession& session) {
  std::string text;
  if (!jk.GetSfxyLb("", "1", nullptr, text)) session.Fail(jk.GetErrorMessage());
  json list = json::parse(text);
  if (list.empty()) session.Fail("未查询到三方协议，无法扣款。");
  return list[0];
}

}  // namespace

nlohmann::json VoucherAccount(const nlohmann::json& agreement) {
  return {{"yhzh", agreement.value("jkzh", "")},
          {"zhmc", agreement.value("zhmc", "")},
          {"yhhbMc", agreement.value("yhhbMc", "")}};
}

size_t SendArrearsNotices(PluginSession& session, IJkService& jk, IProgressView* progress, const std::string& indent) {
  if (!session.Host().PublishHomePage()) session.Fail("无法记录首页窗口（系统参数homepage_handle）。");
  session.Host().HomePage().SetSink([&indent](const host::components::HomePage::Notice& n) {
    const json notice = json::parse(n.text, nullptr, false);
    std::printf("%s0x%04X %s %s\n", indent.c_str(), static_cast<unsigned>(n.message),
                notice.is_object() ? notice.value("action", "").c_str() : "?",
                notice.is_object() ? notice.value("message", "").c_str() : n.text.c_str());
  });
  const bool ok = jk.CheckQfxxNotice(progress) && jk.SendQfxxNotice();
  session.Host().HomePage().SetSink({});
  if (!ok) session.Fail(jk.GetErrorMessage());
  return session.Host().HomePage().Notices().size();
}

CLI::App* AddPayCommand(CLI::App& app, PayOptions& o) {
  CLI::App* cmd = app.add_subcommand("pay", "Pay declared fees: agreements, arrears, deduction, vouchers, status");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  o.agreements = Sub(cmd, "agreements", "The payer's tripartite agreements on the server",
                     "Examples:\n  velmor pay agreements");
  o.arrears = Sub(cmd, "arrears", "The fees still owed, per tax office", "Examples:\n  velmor pay arrears");
  o.deduct = Sub(cmd, "deduct", "Pay arrears by deduction under the first agreement",
                 "Examples:\n  velmor pay deduct\n  velmor pay deduct --yzpzxh 10000000000001");
  o.voucher = Sub(cmd, "voucher", "Have the server issue bank-side vouchers for arrears",
                  "Examples:\n  velmor pay voucher\n  velmor pay voucher --yzpzxh 10000000000001");
  for (CLI::App* sub : {o.deduct, o.voucher})
    sub->add_option("--yzpzxh", o.yzpzxh, "levy document to pay (repeatable; default: all arrears)");
  o.voidVoucher = Sub(cmd, "void", "Void a bank-side voucher",
                      "Examples:\n  velmor pay void 3000000000001 --swjg 13201000000");
  o.voidVoucher->add_option("DZSPHM", o.dzsphm, "voucher number")->required();
  o.voidVoucher->add_option("--swjg", o.swjg, "the voucher's tax office (zsjgDm)")->required();
  o.status = Sub(cmd, "status", "Ask the server how a levy document was paid and record it",
                 "Examples:\n  velmor pay status 10000000000001");
  o.status->add_option("YZPZXH", o.yzpzxh, "levy document number")->required();
  o.list = Sub(cmd, "list", "The stored payments, the vouchers and the deductions of unknown outcome",
               "Examples:\n  velmor pay list");
  o.exportXls = Sub(cmd, "export", "Write the valid bank-side vouchers into their workbook (under M8/Temp/)",
                    "Opens the workbook with [preview] command of velmor.conf when one is set.\n\n"
                    "Examples:\n  velmor pay export\n  velmor pay export --dzsphm 3000000000001");
  o.exportXls->add_option("--dzsphm", o.vouchers, "voucher to write (repeatable; default: every valid voucher)");
  o.notices = Sub(cmd, "notices", "Raise or withdraw the arrears notices and print what the home page receives",
                  "Examples:\n  velmor pay notices");
  cmd->footer("Examples:\n  velmor pay agreements\n  velmor pay arrears\n  velmor pay deduct --yzpzxh 10000000000001\n"
              "  velmor pay voucher\n  velmor pay void 3000000000001 --swjg 13201000000\n"
              "  velmor pay status 10000000000001\n  velmor pay list\n  velmor pay export\n  velmor pay notices");
  return cmd;
}

int RunPayCommand(const GlobalOptions& global, const PayOptions& o) {
  PluginSession session(global);
  Ref<IJkService> jk = session.Require<IJkService>("IJkService");
  std::string text;
  if (o.agreements->parsed()) {
    if (!jk->GetSfxyLb("", "1", nullptr, text)) session.Fail(jk->GetErrorMessage());
    Print(json::parse(text));
  } else if (o.arrears->parsed()) {
    if (!jk->GetQfxxLb(0, "", "", "", nullptr, text)) session.Fail(jk->GetErrorMessage());
    if (!jk->GetErrorMessage().empty()) std::fprintf(stderr, "%s\n", jk->GetErrorMessage().c_str());
    Print(json::parse(text));
  } else if (o.deduct->parsed() || o.voucher->parsed()) {
    json lines = Selected(*jk, session, o.yzpzxh);
    json agreement = FirstAgreement(*jk, session);
    int32_t result = kJkFailed;
    const bool ok = o.deduct->parsed() ? jk->SfyxJk(lines.dump(), agreement.dump(), "{}", 0, nullptr, result)
                                       : jk->PrintJkpz(lines.dump(), VoucherAccount(agreement).dump(), nullptr, result);
    if (!ok) session.Fail(jk->GetErrorMessage());
    Print(json{{"result", result == kJkDone ? "done" : "unknown: ask `velmor pay status` later"},
               {"lines", lines.size()}});
  } else if (o.voidVoucher->parsed()) {
    if (!jk->JkpzZf("", json{{"zsjgDm", o.swjg}, {"dzsphm", o.dzsphm}}.dump(), nullptr))
      session.Fail(jk->GetErrorMessage());
    std::printf("已作废缴款凭证 %s\n", o.dzsphm.c_str());
  } else if (o.status->parsed()) {
    const std::string yzpzxh = o.yzpzxh.empty() ? "" : o.yzpzxh[0];
    if (!jk->Kkqkcx("", yzpzxh, nullptr, text)) session.Fail(jk->GetErrorMessage());
    if (!jk->SaveKkqkcxResult("", yzpzxh, text)) session.Fail(jk->GetErrorMessage());
    Print(json::parse(text));
  } else if (o.exportXls->parsed()) {
    // The lines of the valid vouchers (dyzt 1), or of the vouchers asked for.
    if (!jk->GetData("", 3, 3, 0, 0, text)) session.Fail(jk->GetErrorMessage());
    json lines = json::array();
    for (const json& l : json::parse(text)) {
      const std::string dzsphm = l.value("dzsphm", "");
      const bool asked = o.vouchers.empty() ? l.value("dyzt", "") == "1"
                                            : std::find(o.vouchers.begin(), o.vouchers.end(), dzsphm) != o.vouchers.end();
      if (asked) lines.push_back(l);
    }
    if (lines.empty()) session.Fail(o.vouchers.empty() ? "没有有效的银行端缴税凭证。" : "未找到指定的缴款凭证。");
    std::string file;
    if (!jk->ExportXls(lines.dump(), file)) session.Fail(jk->GetErrorMessage());
    std::printf("已导出：%s\n", file.c_str());
    if (!jk->GetErrorMessage().empty()) std::fprintf(stderr, "%s\n", jk->GetErrorMessage().c_str());
  } else if (o.notices->parsed()) {
    if (SendArrearsNotices(session, *jk, nullptr, "") == 0)
      std::printf("未发送首页提醒：功能 M8300-01-05-01-00 与 NONFUNCTION004 未启用（velmor.conf 的 [functions]）\n");
  } else {
    std::string vouchers, pending;
    if (!jk->GetData("", 1, 3, 0, 0, text) || !jk->GetPrintData("", 3, 0, 0, vouchers) ||
        !jk->GetCsjkxx("", 0, pending))
      session.Fail(jk->GetErrorMessage());
    Print(json{{"payments", json::parse(text)}, {"vouchers", json::parse(vouchers)}, {"pending", json::parse(pending)}});
  }
  return 0;
}

}  // namespace velmor::cli
