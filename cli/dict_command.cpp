// `velmor dict update|show|rules`: the dictionary manager of the plug-in (IDictMgr): fetch the
// rules from the server, print one code table or one name, list the rules of the rule file.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/commands.h"
#include "cli/output.h"
#include "cli/plugin_session.h"
#include "host/host_error.h"
#include "velmor/dict_mgr.h"

namespace velmor::cli {

namespace {

// The lines of a "\r\n"-joined text.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    out.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return out;
}

Ref<IDictionary> FindDictionary(IDictMgr& mgr, const std::string& name) {
  if (Ref<IDictionary> d = mgr.GetJsonDictionary(name)) return d;
  if (Ref<IDictionary> d = mgr.GetDbDictionary(name)) return d;
  if (name == "dqdmmc") return mgr.GetRegionDictionary();
  if (name == "cbxzGz") return mgr.GetCbxzDictionary();
  if (name == "mzGz") return mgr.GetMzGz();
  if (name == "qsgx") return mgr.GetQsgxDictionary();
  return nullptr;
}

}  // namespace

CLI::App* AddDictCommand(CLI::App& app, DictOptions& options) {
  CLI::App* cmd = app.add_subcommand("dict", "Update the rule file and look at its code tables");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  options.update = cmd->add_subcommand("update", "Fetch the changed rules from the server");
  options.update->add_flag("--force", options.force, "update even when the rules were updated today");
  options.update->add_option("--djxh", options.djxh, "payer registration number (default: [portal] djxh)");
  options.update->fallthrough();
  options.show = cmd->add_subcommand("show", "Print a code table, or the name of one code");
  AddOutputOptions(options.show);
  options.show->add_option("DICTNAME", options.dictName, "dictionary name (dict_zjlx, dict_xzjd, cbxzGz, mzGz, qsgx, dqdmmc)")
      ->required();
  options.show->add_option("CODE", options.code, "code whose name to print");
  options.show->fallthrough();
  options.rules = cmd->add_subcommand("rules", "Print the update times and each rule with its row count");
  options.rules->fallthrough();
  cmd->footer(
      "The options --data, --plugin and -v may follow the command name.\n\n"
      "Examples:\n  velmor dict update --force\n  velmor dict show dict_zjlx\n"
      "  velmor dict show dict_zjlx --format json\n  velmor dict show dict_zjlx 201\n"
      "  velmor dict rules");
  return cmd;
}

int RunDictCommand(const GlobalOptions& global, const DictOptions& options) {
  PluginSession session(global);
  Ref<IDictMgr> mgr = session.Plugin().CreateService<IDictMgr>();
  if (options.update->parsed()) {
    std::string djxh = options.djxh.empty() ? session.Host().Config().Get("portal", "djxh") : options.djxh;
    if (!mgr->Update(djxh, options.force)) session.Fail(mgr->GetErrorMessage());
    std::printf("规则已更新 %s：%s\n", mgr->GetUpdateTime().c_str(), mgr->GetRuleFilePath().c_str());
    // A partial update: the other rules were taken, the damaged ones are named.
    if (const std::string warning = mgr->GetErrorMessage(); !warning.empty())
      std::fprintf(stderr, "velmor: %s\n", warning.c_str());
  } else if (options.show->parsed()) {
    if (!mgr->LoadRules()) std::fprintf(stderr, "velmor: %s\n", mgr->GetErrorMessage().c_str());
    Ref<IDictionary> d = FindDictionary(*mgr, options.dictName);
    if (!d) throw host::HostError("unknown dictionary \"" + options.dictName + "\"");
    if (!options.code.empty()) {
      std::string name = d->GetNameByCode(options.code);
      if (name.empty()) throw host::HostError("字典" + options.dictName + "中没有代码[" + options.code + "]");
      std::printf("%s\n", name.c_str());
    } else {
      std::vector<std::string> codes = Lines(d->GetCodesText()), names = Lines(d->GetNamesText());
      Output out;
      out.Begin("", {{"dm", "代码"}, {"mc", "名称"}});
      for (size_t i = 0; i < codes.size() && i < names.size(); ++i) out.Row({codes[i], names[i]});
      out.Finish();
    }
  } else {
    if (!mgr->LoadRules()) session.Fail(mgr->GetErrorMessage());
    std::printf("updated\t%s\nprevious\t%s\n", mgr->GetUpdateTime().c_str(), mgr->GetPreviousUpdateTime().c_str());
    for (const auto& rule : nlohmann::json::parse(mgr->GetRuleSummary()))
      std::printf("%s\t%d\n", rule.value("name", "").c_str(), rule.value("rows", 0));
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
