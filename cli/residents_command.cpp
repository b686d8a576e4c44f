// `velmor residents sync|pending|add FILE|submit|verdict [ID]|list [--id ID]`: the residents'
// payment registration (pending persons, submissions per tax office, verdicts).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/output.h"
#include "cli/plugin_session.h"
#include "cli/residents_command.h"
#include "cli/text_table.h"
#include "host/host_error.h"
#include "velmor/cxjmjfdjxxgl.h"

namespace velmor::cli {

namespace {

// A submission's state as code and name ("2 已受理").
std::string StateName(const std::string& zt) {
  const char* name = zt == "1" ? "已提交" : zt == "2" ? "已受理" : zt == "3" ? "失败" : "";
  return StateCell(zt, name);
}

// Sets every member of a JSON object on the record; an unknown column is an error.
void Fill(IJfdjItem& item, const nlohmann::json& j, const std::string& file) {
  for (auto it = j.begin(); it != j.end(); ++it) {
    if (it.key() == "lines") continue;
    const std::string value = it->is_string() ? it->get<std::string>() : it->dump();
    if (!item.Set(it.key(), value)) throw host::HostError(file + ": unknown field \"" + it.key() + "\"");
  }
}

std::vector<std::vector<std::string>> Table(IJfdjItems& items, const std::vector<std::string>& columns) {
  std::vector<std::vector<std::string>> rows;
  for (int32_t i = 0; i < items.GetCount(); ++i) {
    Ref<IJfdjItem> r = items.GetRecord(i);
    std::vector<std::string> row;
    for (const auto& c : columns) row.push_back(c == "zt" ? StateName(r->Get(c)) : r->Get(c));
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace

CLI::App* AddResidentsCommand(CLI::App& app, ResidentsOptions& o) {
  CLI::App* cmd = app.add_subcommand("residents", "Residents' payment registration");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  o.sync = cmd->add_subcommand("sync", "Download the payer's registration for the residents' schemes");
  o.pending = cmd->add_subcommand("pending", "Print the pending persons");
  AddOutputOptions(o.pending);
  o.add = cmd->add_subcommand("add", "Add a pending person from a JSON file (its columns and \"lines\")");
  o.add->add_option("FILE", o.file, "JSON object: swjgDm, czlx, xm, zjlxDm, zjhm, sjgghdqDm, ..., lines: [...]")
      ->required();
  o.submit = cmd->add_subcommand("submit", "Submit every pending person, one request per tax office");
  o.verdict = cmd->add_subcommand("verdict", "Fetch the verdict of a submission (default: every waiting one)");
  o.verdict->add_option("ID", o.id, "submission id");
  o.list = cmd->add_subcommand("list", "Print the submissions, or the persons of one");
  AddOutputOptions(o.list);
  o.list->add_option("--id", o.id, "the submission whose persons to print");
  o.list->add_option("--page", o.page, "page from 1; -1 for all");
  o.list->add_option("--size", o.size, "rows per page");
  for (CLI::App* sub : {o.sync, o.pending, o.add, o.submit, o.verdict, o.list}) sub->fallthrough();
  cmd->footer(
      "The options --data, --plugin and -v may follow the command name.\n\n"
      "Examples:\n  velmor residents sync\n  velmor residents add person.json\n  velmor residents pending\n"
      "  velmor residents submit\n"
      "  velmor residents verdict\n  velmor residents list --id 3");
  return cmd;
}

int RunResidentsCommand(const GlobalOptions& global, const ResidentsOptions& o) {
  nlohmann::json input;
  if (o.add->parsed()) {
    input = nlohmann::json::parse(ReadTextFile(o.file), nullptr, false);
    if (!input.is_object()) throw host::HostError(o.file + " is not a JSON object");
  }
  PluginSession session(global);
  Ref<ICxjmjfdjxxgl> reg = session.Require<ICxjmjfdjxxgl>("ICxjmjfdjxxgl");
  auto fail = [&] { session.Fail(reg->GetErrorInfo()->GetErrorMsg()); };
  if (o.sync->parsed()) {
    if (!reg->synCxjmxnhshbxfjfdjxxCx(nullptr)) fail();
    std::printf("缴费登记信息已下载\n");
  } else if (o.add->parsed()) {
    Ref<IJfdjItem> person = reg->NewJfdj_Ry_Item();
    Fill(*person, input, o.file);
    Ref<IJfdjItems> lines = reg->NewJfdj_Xz_Items();
    for (const auto& l : input.value("lines", nlohmann::json::array())) {
      Ref<IJfdjItem> line = reg->NewJfdj_Xz_Item();
      Fill(*line, l, o.file);
      lines->Add(line.get());
    }
    if (!reg->saveJfdj_RyItem_XzItems(person.get(), lines.get())) fail();
    std::printf("待提交人员 %lld 已保存，%d 条险种\n", static_cast<long long>(person->GetId()), lines->GetCount());
  } else if (o.pending->parsed() || o.submit->parsed()) {
    Ref<IJfdjItems> persons = reg->NewJfdj_Ry_Items();
    if (!reg->getJfdj_Ry_Data(nullptr, -1, 0, persons.get(), nullptr)) fail();
    if (o.submit->parsed()) {
      if (!reg->submitData(persons.get(), nullptr)) fail();
      std::printf("已提交 %d 人\n", persons->GetCount());
    } else {
      PrintTable({{"id", "ID"},
                  {"swjgDm", "税务机关"},
                  {"czlx", "操作类型"},
                  {"xm", "姓名"},
                  {"zjlxDm", "证件类型"},
                  {"zjhm", "证件号码"}},
                 Table(*persons, {"id", "swjgDm", "czlx", "xm", "zjlxDm", "zjhm"}));
    }
  } else if (o.verdict->parsed()) {
    Ref<IJfdjItems> subs = reg->NewJfdjjl_Items();
    Ref<IJfdjQueryCondition> qc = reg->NewJfdjjl_QueryCondition();
    if (o.id == 0) qc->SetField("zt", "1");
    if (!reg->getJfdjjl_Data(qc.get(), -1, 0, subs.get(), nullptr)) fail();
    int n = 0;
    for (int32_t i = 0; i < subs->GetCount(); ++i) {
      Ref<IJfdjItem> s = subs->GetRecord(i);
      if (o.id != 0 && s->GetId() != o.id) continue;
      if (!reg->getRespData(s.get(), nullptr)) fail();
      std::printf("提交记录 %lld：%s %s\n", static_cast<long long>(s->GetId()), StateName(s->Get("zt")).c_str(),
                  s->Get("sbyy").c_str());
      ++n;
    }
    if (o.id != 0 && n == 0) session.Fail("没有提交记录[" + std::to_string(o.id) + "]");
  } else if (o.id != 0) {
    Ref<IJfdjQueryCondition> qc = reg->NewJfdjjl_Ry_QueryCondition();
    qc->SetField("zbid", std::to_string(o.id));
    Ref<IJfdjItems> persons = reg->NewJfdjjl_Ry_Items();
    if (!reg->getJfdjjl_Ry_Data(qc.get(), o.page, o.size, persons.get(), nullptr)) fail();
    PrintTable({{"id", "ID"},
                {"xm", "姓名"},
                {"zjhm", "证件号码"},
                {"czlx", "操作类型"},
                {"code", "结果代码"},
                {"sbyy", "原因"}},
               Table(*persons, {"id", "xm", "zjhm", "czlx", "code", "sbyy"}));
  } else {
    Ref<IJfdjItems> subs = reg->NewJfdjjl_Items();
    if (!reg->getJfdjjl_Data(nullptr, o.page, o.size, subs.get(), nullptr)) fail();
    PrintTable({{"id", "ID"},
                {"yblsh", "流水号"},
                {"tjsj", "提交时间"},
                {"swjgDm", "税务机关"},
                {"jmzs", "人数"},
                {"zt", "状态"},
                {"sbyy", "原因"}},
               Table(*subs, {"id", "yblsh", "tjsj", "swjgDm", "jmzs", "zt", "sbyy"}));
    std::fprintf(stderr, "共 %d 条提交记录\n", reg->getJfdjjl_Count(nullptr));
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
