// `velmor residents medical-accounts sync|list|relations|maintain|delete`: the residents
// registered against the payer's medical-insurance personal account and their relationships.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/accounts_command.h"
#include "cli/plugin_session.h"
#include "cli/residents_command.h"
#include "cli/text_table.h"
#include "host/host_error.h"
#include "velmor/ybgrzhdj.h"

namespace velmor::cli {

namespace {

constexpr const char* kRelationFields[] = {"djmxxh", "czlx",   "djxh",   "qsgx",
                                           "djnd",   "sbjbjgDm", "rybh", "xzlxDm", "yjfe"};

std::string TextOf(const nlohmann::json& j, const char* key) {
  auto it = j.find(key);
  if (it == j.end()) return "";
  return it->is_string() ? it->get<std::string>() : it->dump();
}

}  // namespace

void AddMedicalAccountsCommand(CLI::App& residents, MedicalAccountsOptions& o) {
  o.cmd = residents.add_subcommand("medical-accounts", "Residents registered against the medical-insurance account");
  o.cmd->require_subcommand(1);
  o.cmd->fallthrough();
  o.sync = o.cmd->add_subcommand("sync", "Download the registered residents and their insured lines");
  o.sync->add_flag("--incremental", o.incremental, "only what changed since the last download (removes nothing)");
  o.list = o.cmd->add_subcommand("list", "Print the stored residents, one row per insured line");
  o.list->add_option("--xm", o.xm, "part of the name");
  o.list->add_option("--zjhm", o.zjhm, "part of the ID number");
  o.list->add_option("--xzlx", o.xzlxDm, "insurance type");
  o.list->add_option("--djnd", o.djnd, "registration year (lines without a year always show)");
  o.list->add_option("--page", o.page, "page from 1; -1 for all");
  o.list->add_option("--size", o.size, "rows per page");
  o.relations = o.cmd->add_subcommand("relations", "Print the account's relationships as the server has them");
  o.maintain = o.cmd->add_subcommand("maintain", "Add (czlx 1) or remove (czlx 2) relationships of a JSON file");
  o.maintain->add_option("FILE", o.file, "JSON array: czlx, djxh, qsgx, djnd, sbjbjgDm, rybh, xzlxDm, yjfe")
      ->required();
  o.remove = o.cmd->add_subcommand("delete", "Delete stored insured lines by id");
  o.remove->add_option("ID", o.ids, "ids as `list` prints them")->required();
  for (CLI::App* sub : {o.sync, o.list, o.relations, o.maintain, o.remove}) sub->fallthrough();
  o.cmd->footer(
      "The scheme account must have been downloaded first (velmor scheme sync).\n"
      "The options --data, --plugin and -v may follow the command name.\n\n"
      "Examples:\n  velmor residents medical-accounts sync\n"
      "  velmor residents medical-accounts sync --incremental\n"
      "  velmor residents medical-accounts list --djnd 2024 --page -1\n"
      "  velmor residents medical-accounts relations\n"
      "  velmor residents medical-accounts maintain relations.json\n"
      "  velmor residents medical-accounts delete 12 13");
}

int RunMedicalAccountsCommand(const GlobalOptions& global, const MedicalAccountsOptions& o) {
  nlohmann::json input;
  if (o.maintain->parsed()) {
    input = nlohmann::json::parse(ReadTextFile(o.file), nullptr, false);
    if (!input.is_array()) throw host::HostError(o.file + " is not a JSON array of relationships");
  }
  PluginSession session(global);
  Ref<IYbgrzhdj> service = session.Require<IYbgrzhdj>("IYbgrzhdj");
  if (o.sync->parsed()) {
    int32_t n = 0;
    if (!service->synYbgrzhdjcxjmxxCx(o.incremental, nullptr, n)) session.Fail(service->GetErrorMessage());
    std::printf("已下载 %d 名居民\n", n);
  } else if (o.list->parsed()) {
    Ref<IJfdjQueryCondition> qc = service->NewCxjmSbxxQc();
    qc->SetXm(o.xm);
    qc->SetZjhm(o.zjhm);
    qc->SetField("xzlxDm", o.xzlxDm);
    qc->SetField("djnd", o.djnd);
    qc->SetPageNo(o.page);
    qc->SetPageSize(o.size);
    Ref<IJfdjItems> items;
    if (!service->getCxjmSbxxItems(qc.get(), items)) session.Fail(service->GetErrorMessage());
    std::vector<std::vector<std::string>> rows;
    for (int32_t i = 0; i < items->GetCount(); ++i) {
      Ref<IJfdjItem> r = items->GetRecord(i);
      rows.push_back({r->Get("id"), r->Get("xm"), r->Get("sfzjhm"), r->Get("rybh"), r->Get("xzlxDm"), r->Get("djnd"),
                      r->Get("yjfe"), r->Get("gxsj")});
    }
    PrintTable({{"id", "ID"},
                {"xm", "姓名"},
                {"sfzjhm", "证件号码"},
                {"rybh", "人员编号"},
                {"xzlxDm", "险种类型"},
                {"djnd", "登记年度"},
                {"yjfe", "应缴费额"},
                {"gxsj", "变更时间"}},
               rows);
    std::fprintf(stderr, "共 %d 条参保记录\n", service->getCxjmSbxxCount(qc.get()));
  } else if (o.relations->parsed()) {
    Ref<IJfdjItems> links;
    if (!service->synYbgrzhdjgxxxCx(nullptr, links)) session.Fail(service->GetErrorMessage());
    std::vector<std::vector<std::string>> rows;
    for (int32_t i = 0; i < links->GetCount(); ++i) {
      Ref<IJfdjItem> r = links->GetRecord(i);
      rows.push_back({r->Get("xm"), r->Get("sfzjhm"), r->Get("qsgx"), r->Get("djnd"), r->Get("rybh"), r->Get("xzlxDm"),
                      r->Get("yjfe")});
    }
    PrintTable({{"xm", "姓名"},
                {"sfzjhm", "证件号码"},
                {"qsgx", "亲属关系"},
                {"djnd", "登记年度"},
                {"rybh", "人员编号"},
                {"xzlxDm", "险种类型"},
                {"yjfe", "应缴费额"}},
               rows);
  } else if (o.maintain->parsed()) {
    Ref<IJfdjItems> entries = service->NewCxjmDjxxItems();
    for (const auto& j : input) {
      Ref<IJfdjItem> e = service->NewCxjmDjxxItem();
      for (const char* f : kRelationFields) e->Set(f, TextOf(j, f));
      entries->Add(e.get());
    }
    if (!service->synYbgrzhdjgxwh(entries.get(), nullptr)) session.Fail(service->GetErrorMessage());
    int refused = 0;
    for (int32_t i = 0; i < entries->GetCount(); ++i) {
      Ref<IJfdjItem> e = entries->GetRecord(i);
      if (e->Get("code") == "00000") continue;
      ++refused;
      std::printf("未通过 %s：【%s】%s\n", e->Get("djmxxh").c_str(), e->Get("code").c_str(), e->Get("message").c_str());
    }
    std::printf("已提交 %d 条登记关系，%d 条未通过\n", entries->GetCount(), refused);
  } else {
    if (!service->delCxjmSbxxItems(o.ids)) session.Fail(service->GetErrorMessage());
    std::printf("已删除 %zu 条参保记录\n", o.ids.size());
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
