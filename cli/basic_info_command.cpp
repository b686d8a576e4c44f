// `velmor basic-info submit FILE | numbers RYDJXH... | list`: the residents' basic-information
// collection (one person per request, with its insurance lines).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/output.h"
#include "cli/plugin_session.h"
#include "cli/residents_command.h"
#include "cli/text_table.h"
#include "host/host_error.h"
#include "velmor/cxjmjcxxcj.h"

namespace velmor::cli {

namespace {

void Fill(IJfdjItem& item, const nlohmann::json& j, const std::string& file) {
  for (auto it = j.begin(); it != j.end(); ++it) {
    if (it.key() == "lines") continue;
    const std::string value = it->is_string() ? it->get<std::string>() : it->dump();
    if (!item.Set(it.key(), value)) throw host::HostError(file + ": unknown field \"" + it.key() + "\"");
  }
}

}  // namespace

CLI::App* AddBasicInfoCommand(CLI::App& app, BasicInfoOptions& o) {
  CLI::App* cmd = app.add_subcommand("basic-info", "Residents' basic-information collection");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  o.submit = cmd->add_subcommand("submit", "Send one person with its insurance lines (a JSON file) and record the answer");
  o.submit->add_option("FILE", o.file, "JSON object: czlx, rydjxh, xm, zjlxDm, zjhm, ..., lines: [...]")->required();
  o.numbers = cmd->add_subcommand("numbers", "Print the social-insurance registration numbers of persons");
  o.numbers->add_option("RYDJXH", o.rydjxh, "persons' registration serial numbers")->required();
  o.list = cmd->add_subcommand("list", "Print the recorded persons with the server's result");
  AddOutputOptions(o.list);
  o.list->add_option("--page", o.page, "page from 1; -1 for all");
  o.list->add_option("--size", o.size, "rows per page");
  for (CLI::App* sub : {o.submit, o.numbers, o.list}) sub->fallthrough();
  cmd->footer(
      "Needs the function M8300-01-19-01-00 enabled ([functions] in velmor.conf).\n"
      "The options --data, --plugin and -v may follow the command name.\n\n"
      "Examples:\n  velmor basic-info submit person.json\n  velmor basic-info numbers 20000000000000000001\n"
      "  velmor basic-info list");
  return cmd;
}

int RunBasicInfoCommand(const GlobalOptions& global, const BasicInfoOptions& o) {
  nlohmann::json input;
  if (o.submit->parsed()) {
    input = nlohmann::json::parse(ReadTextFile(o.file), nullptr, false);
    if (!input.is_object()) throw host::HostError(o.file + " is not a JSON object");
  }
  PluginSession session(global);
  Ref<ICxjmjcxxcj> svc = session.Require<ICxjmjcxxcj>("ICxjmjcxxcj");
  if (o.submit->parsed()) {
    Ref<IJfdjItem> person = svc->NewCxjmjcxx_Ry_Item();
    Fill(*person, input, o.file);
    Ref<IJfdjItems> lines = svc->NewCxjmjcxx_Xz_Items();
    for (const auto& l : input.value("lines", nlohmann::json::array())) {
      Ref<IJfdjItem> line = svc->NewCxjmjcxx_Xz_Item();
      Fill(*line, l, o.file);
      lines->Add(line.get());
    }
    const bool ok = svc->synCxjmshbxfjfdj(person.get(), lines.get(), nullptr);
    for (int32_t i = 0; i < lines->GetCount(); ++i) {
      Ref<IJfdjItem> l = lines->GetRecord(i);
      std::printf("险种 %s：%s %s\n", l->Get("xzlxDm").c_str(), l->Get("xzcode").c_str(), l->Get("xzmessage").c_str());
    }
    if (!ok) session.Fail(svc->GetErrorMessage());
    std::printf("人员已记录为 %lld：%s\n", static_cast<long long>(person->GetId()), person->Get("rycode").c_str());
  } else if (o.numbers->parsed()) {
    std::string json;
    if (!svc->synSbdjxhCx(o.rydjxh, json)) session.Fail(svc->GetErrorMessage());
    for (const auto& r : nlohmann::json::parse(json))
      std::printf("%s\t%s\n", r.value("rydjxh", "").c_str(), r.value("sbdjxh", "").c_str());
  } else {
    Ref<IJfdjItems> persons = svc->NewCxjmjcxx_Ry_Items();
    if (!svc->getCxjmjcxx_Ry_Data(nullptr, o.page, o.size, persons.get())) session.Fail(svc->GetErrorMessage());
    std::vector<std::vector<std::string>> rows;
    for (int32_t i = 0; i < persons->GetCount(); ++i) {
      Ref<IJfdjItem> p = persons->GetRecord(i);
      rows.push_back({p->Get("id"), p->Get("tjsj"), p->Get("xm"), p->Get("zjhm"), p->Get("rycode"), p->Get("rymessage")});
    }
    PrintTable({{"id", "ID"},
                {"tjsj", "提交时间"},
                {"xm", "姓名"},
                {"zjhm", "证件号码"},
                {"rycode", "结果代码"},
                {"rymessage", "结果信息"}},
               rows);
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
