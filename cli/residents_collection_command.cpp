// `velmor residents collection units|persons`: how collection stands for the payer's scheme
// account per unit, and the persons behind one figure of a unit, printed or exported.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/accounts_command.h"
#include "cli/output.h"
#include "cli/plugin_session.h"
#include "cli/text_table.h"
#include "velmor/cxjmxnhzjqkcx.h"

namespace velmor::cli {

void AddCollectionCommand(CLI::App& residents, CollectionOptions& o) {
  o.cmd = residents.add_subcommand("collection", "Collection status of the scheme account per unit");
  o.cmd->require_subcommand(1);
  o.cmd->fallthrough();
  o.units = o.cmd->add_subcommand("units", "Units of a year with their insured, unpaid, paid and fed-back figures");
  o.persons = o.cmd->add_subcommand("persons", "Persons behind one figure of a unit");
  for (CLI::App* sub : {o.units, o.persons}) {
    sub->add_option("--jfnd", o.jfnd, "payment year")->required();
    sub->add_option("--sbjbjgdm", o.sbjbjgdm, "social-insurance agency");
    sub->add_option("--export", o.exportFile, "write the result into this workbook (.xlsx)")->type_name("FILE");
    sub->add_flag("--export-new", o.exportNew, "write the workbook under a new name in M8/Temp of the data directory");
    sub->fallthrough();
  }
  const std::pair<const char*, std::string*> filters[] = {
      {"--jdxzdm", &o.jdxzdm}, {"--sqczdm", &o.sqczdm}, {"--zsxmdm", &o.zsxmdm}, {"--zspmdm", &o.zspmdm}, {"--zszmdm", &o.zszmdm}};
  for (const auto& [name, value] : filters) o.units->add_option(name, *value, "filter of the condition");
  o.persons->add_option("--dwbh", o.dwbh, "unit number (as `units` prints it)")->required();
  o.persons->add_option("--mxlx", o.mxlx, "figure: 1 insured, 2 unpaid, 3 paid, 4 paid without feedback, 5 fed back")
      ->check(CLI::IsMember({"1", "2", "3", "4", "5"}));
  o.cmd->footer(
      "The options --data, --plugin and -v may follow the command name.\n\n"
      "Examples:\n  velmor residents collection units --jfnd 2024\n"
      "  velmor residents collection units --jfnd 2024 --export units.xlsx\n"
      "  velmor residents collection persons --jfnd 2024 --dwbh DW11010100 --mxlx 2 --export-new");
}

int RunCollectionCommand(const GlobalOptions& global, const CollectionOptions& o) {
  PluginSession session(global);
  Ref<ICxjmxnhzjqkcx> service = session.Require<ICxjmxnhzjqkcx>("ICxjmxnhzjqkcx");
  Ref<IJfdjQueryCondition> qc = service->NewQc();
  qc->SetField("jfnd", o.jfnd);
  qc->SetField("sbjbjgdm", o.sbjbjgdm);
  qc->SetField("jdxzdm", o.jdxzdm);
  qc->SetField("sqczdm", o.sqczdm);
  qc->SetField("zsxmdm", o.zsxmdm);
  qc->SetField("zspmdm", o.zspmdm);
  qc->SetField("zszmdm", o.zszmdm);
  Ref<IJfdjItems> units;
  if (!service->synCxjmxnhzjqkCx(qc.get(), nullptr, units)) session.Fail(service->GetErrorMessage());
  const bool exporting = o.exportNew || !o.exportFile.empty();
  std::string written;
  if (o.units->parsed()) {
    std::vector<std::vector<std::string>> rows;
    for (int32_t i = 0; i < units->GetCount(); ++i) {
      Ref<IJfdjItem> u = units->GetRecord(i);
      rows.push_back({u->Get("dwbh"), u->Get("dwmc"), u->Get("cbrs"), u->Get("wjfrs"), u->Get("yjfrs"),
                      u->Get("yjfwfkrs"), u->Get("yfkrs")});
    }
    PrintTable({{"dwbh", "单位编号"},
                {"dwmc", "单位名称"},
                {"cbrs", "参保人数"},
                {"wjfrs", "未缴费人数"},
                {"yjfrs", "已缴费人数"},
                {"yjfwfkrs", "已缴费未反馈人数"},
                {"yfkrs", "已反馈人数"}},
               rows);
    if (exporting && !service->exportCxjmxnhzjqk(units.get(), o.exportFile, nullptr, written))
      session.Fail(service->GetErrorMessage());
  } else {
    Ref<IJfdjItem> unit;
    for (int32_t i = 0; i < units->GetCount() && !unit; ++i)
      if (units->GetRecord(i)->Get("dwbh") == o.dwbh) unit = units->GetRecord(i);
    if (!unit) session.Fail("未找到单位：" + o.dwbh);
    Ref<IJfdjItems> persons;
    if (!service->synCxjmxnhzjqkrymxCx(unit.get(), o.mxlx, nullptr, persons)) session.Fail(service->GetErrorMessage());
    std::vector<std::vector<std::string>> rows;
    for (int32_t i = 0; i < persons->GetCount(); ++i) {
      Ref<IJfdjItem> p = persons->GetRecord(i);
      rows.push_back({p->Get("xm"), p->Get("sfzjhm"), p->Get("rybh"), p->Get("jfje"), p->Get("jfsj"),
                      p->Get("jfqd"), p->Get("fksj")});
    }
    PrintTable({{"xm", "姓名"},
                {"sfzjhm", "证件号码"},
                {"rybh", "人员编号"},
                {"jfje", "缴费金额"},
                {"jfsj", "缴费时间"},
                {"jfqd", "缴费渠道"},
                {"fksj", "缴费信息反馈时间"}},
               rows);
    if (exporting && !service->exportCxjmxnhzjqkrymx(persons.get(), o.exportFile, nullptr, written))
      session.Fail(service->GetErrorMessage());
  }
  if (!written.empty()) std::printf("已导出：%s\n", written.c_str());
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
