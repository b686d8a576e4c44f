// `velmor fees`, `velmor confirm` and `velmor agreement`: the residents' fee services of the
// plug-in. Results are printed as JSON (one document per command) so that they can be piped.
#include "cli/fees_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cli/plugin_session.h"
#include "host/host_error.h"
#include "velmor/jfbz.h"
#include "velmor/jfjeqr_service.h"
#include "velmor/llxy_service.h"

namespace velmor::cli {

namespace {

using json = nlohmann::ordered_json;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw host::HostError("cannot read " + path);
  std::stringstream text;
  text << in.rdbuf();
  if (json::parse(text.str(), nullptr, false).is_discarded()) throw host::HostError(path + " is not JSON");
  return text.str();
}

void Print(const std::string& jsonText) {
  json value = json::parse(jsonText, nullptr, false);
  std::printf("%s\n", value.is_discarded() ? jsonText.c_str() : value.dump(2).c_str());
  std::fflush(stdout);
}

void KeyOptions(CLI::App* cmd, FeesOptions& o, bool person) {
  cmd->add_option("--zsxm", o.zsxm, "levy item (zsxmdm)")->required();
  cmd->add_option("--zspm", o.zspm, "levy sub-item (zspmdm)")->required();
  cmd->add_option("--zszm", o.zszm, "levy detail (zszmdm)");
  cmd->add_option("--agency", o.agency, "social-insurance agency (sbjbjgdm)");
  cmd->add_option("--date", o.date, "payment date yyyy-mm-dd (default: today)");
  if (person) {
    cmd->add_option("--csrq", o.csrq, "birth date yyyy-mm-dd")->required();
    cmd->add_option("--xb", o.xb, "sex: 1 or 2");
    cmd->add_option("--rybh", o.rybh, "the person's number, for messages");
  } else {
    cmd->add_option("--pmlx", o.pmlx, "item type (default 01)");
  }
  cmd->fallthrough();
}

}  // namespace

CLI::App* AddFeesCommand(CLI::App& app, FeesOptions& o) {
  CLI::App* cmd = app.add_subcommand("fees", "Residents' fee standards: item types, payment methods, limits, grades");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  o.sync = cmd->add_subcommand("sync", "Download the fee-standard rules from the server and store them");
  o.sync->fallthrough();
  o.show = cmd->add_subcommand("show", "The payment method and all limits or grades of an item at an agency");
  KeyOptions(o.show, o, false);
  o.person = cmd->add_subcommand("person", "The standard of one person: payment method and limits or grades");
  KeyOptions(o.person, o, true);
  cmd->footer(
      "Examples:\n  velmor fees sync\n  velmor fees show --zsxm 10219 --zspm 102190100 --agency 11101000000\n"
      "  velmor fees person --zsxm 10219 --zspm 102190100 --agency 11101000000 --csrq 1964-01-01 --xb 1");
  return cmd;
}

CLI::App* AddConfirmCommand(CLI::App& app, FeesOptions& o) {
  CLI::App* cmd = app.add_subcommand("confirm", "Residents' payment-amount confirmation and deduction authorisations");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  o.confirmSave = cmd->add_subcommand("save", "Confirm the amounts of FILE (a JSON array of lines) with the server");
  o.confirmSave->add_option("FILE", o.file, "JSON file")->required();
  o.confirmList = cmd->add_subcommand("list", "The stored confirmations (newest first)");
  o.authorise = cmd->add_subcommand("authorise", "Send the deduction authorisation of FILE and store it");
  o.authorise->add_option("FILE", o.file, "JSON file")->required();
  o.authorisations = cmd->add_subcommand("authorisations", "The stored deduction authorisations");
  o.voidAuthorisation = cmd->add_subcommand("void", "Void the stored authorisation ID");
  o.voidAuthorisation->add_option("ID", o.id, "authorisation id")->required();
  for (CLI::App* sub : {o.confirmList, o.authorisations})
    sub->add_option("--filter", o.filter, "filter as JSON, e.g. {\"xm\":\"张\"}");
  for (CLI::App* sub : {o.confirmSave, o.confirmList, o.authorise, o.authorisations, o.voidAuthorisation})
    sub->fallthrough();
  cmd->footer("Examples:\n  velmor confirm save lines.json\n  velmor confirm list --filter '{\"sxnd\":\"2024\"}'\n"
              "  velmor confirm authorise authorisation.json\n  velmor confirm authorisations\n"
              "  velmor confirm void 3");
  return cmd;
}

CLI::App* AddAgreementCommand(CLI::App& app, FeesOptions& o) {
  CLI::App* cmd = app.add_subcommand("agreement", "Two-party payment agreements of the payer");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  o.llxySave = cmd->add_subcommand("save", "Save the agreement of FILE (a JSON object) on the server");
  o.llxySave->add_option("FILE", o.file, "JSON file")->required();
  o.llxySave->add_option("--czlx", o.czlx, "operation type (default 01)");
  o.llxyList = cmd->add_subcommand("list", "The payer's agreements on the server");
  o.checkCard = cmd->add_subcommand("check-card", "Have the server check a card holder by text message");
  o.checkCard->add_option("--card", o.card, "card number")->required();
  o.checkCard->add_option("--cert-type", o.certType, "holder's document type (default 201)");
  o.checkCard->add_option("--cert-no", o.certNo, "holder's document number")->required();
  o.checkCard->add_option("--name", o.name, "holder's name")->required();
  o.checkCard->add_option("--phone", o.phone, "holder's phone number")->required();
  o.banks = cmd->add_subcommand("banks", "The bank categories and regions of the data directory");
  for (CLI::App* sub : {o.llxySave, o.llxyList, o.checkCard, o.banks}) sub->fallthrough();
  cmd->footer("Examples:\n  velmor agreement save agreement.json --czlx 01\n  velmor agreement list\n  velmor agreement banks\n"
              "  velmor agreement check-card --card 6217000000001234 --cert-no 110101198001011234 --name 李四 "
              "--phone 13800000000");
  return cmd;
}

int RunFeesCommand(const GlobalOptions& global, const FeesOptions& o) {
  PluginSession session(global);
  Ref<IJfbz> jfbz = session.Require<IJfbz>("IJfbz");
  std::string result, message;
  if (o.sync->parsed()) {
    if (!jfbz->synJfbzGz(result, message)) session.Fail(message);
  } else if (o.show->parsed()) {
    json key = {{"pmlx", o.pmlx}, {"sbjbjgdm", o.agency}, {"zsxmdm", o.zsxm}, {"zspmdm", o.zspm},
                {"zszmdm", o.zszm}, {"rq", o.date.empty() ? "option_all" : o.date}};
    if (!jfbz->GetJfbzOptions(key.dump(), result, message)) session.Fail(message);
  } else {
    json line = {{"rybh", o.rybh}, {"sbjbjgdm", o.agency}, {"zsxmdm", o.zsxm}, {"zspmdm", o.zspm}, {"zszmdm", o.zszm},
                 {"jfrq", o.date}, {"csrq", o.csrq}, {"xb", o.xb}};
    if (o.date.empty()) {
      char today[11];
      std::time_t now = std::time(nullptr);
      std::strftime(today, sizeof today, "%Y-%m-%d", std::localtime(&now));
      line["jfrq"] = today;
    }
    if (!jfbz->GetGrJfbz(line.dump(), result, message)) session.Fail(message);
  }
  Print(result);
  return 0;
}

int RunConfirmCommand(const GlobalOptions& global, const FeesOptions& o) {
  PluginSession session(global);
  Ref<IJfjeqrService> svc = session.Require<IJfjeqrService>("IJfjeqrService");
  std::string message;
  if (o.confirmSave->parsed()) {
    if (!svc->JfjeqrSave(ReadFile(o.file), nullptr, message)) session.Fail(message);
    Print(svc->GetJfjeqrData("", 1, 20));
  } else if (o.confirmList->parsed()) {
    std::string rows = svc->GetJfjeqrData(o.filter, -1, -1);
    if (!svc->GetErrorMessage().empty()) session.Fail(svc->GetErrorMessage());
    Print(rows);
  } else if (o.authorise->parsed()) {
    if (!svc->Grwtkkjfxybc(ReadFile(o.file), message)) session.Fail(message);
    Print(svc->GetSbfkfsqData(R"({"zt":"0"})", 1, 20));
  } else if (o.authorisations->parsed()) {
    std::string rows = svc->GetSbfkfsqData(o.filter, -1, -1);
    if (!svc->GetErrorMessage().empty()) session.Fail(svc->GetErrorMessage());
    Print(rows);
  } else if (!svc->SbfkfsqZf(o.id, message)) {
    session.Fail(message);
  }
  return 0;
}

int RunAgreementCommand(const GlobalOptions& global, const FeesOptions& o) {
  PluginSession session(global);
  Ref<ILlxyService> svc = session.Require<ILlxyService>("ILlxyService");
  std::string message;
  if (o.llxySave->parsed()) {
    std::string uuid, yzxx;
    if (!svc->synLlxyBc(ReadFile(o.file), o.czlx, uuid, yzxx, message)) session.Fail(message);
    Print(json{{"sfxydjuuid", uuid}, {"sfxyyzxx", yzxx}}.dump());
  } else if (o.llxyList->parsed()) {
    std::string rows;
    if (!svc->synLlxyCx(rows, message)) session.Fail(message);
    Print(rows);
  } else if (o.checkCard->parsed()) {
    if (!svc->dzswjCheckCaptcha(o.card, o.certType, o.certNo, o.name, o.phone, message)) session.Fail(message);
    std::printf("校验通过\n");
  } else {
    svc->LoadData();
    Print(json{{"yhhbLb", json::parse(svc->GetYhhbList())}, {"xzqhLb", json::parse(svc->GetXzqhList())}}.dump());
  }
  return 0;
}

}  // namespace velmor::cli
