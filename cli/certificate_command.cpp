// `velmor certificate ...`: a person's paid lines and the certificates over them.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/error_record.h"
#include "cli/output.h"
#include "cli/plugin_session.h"
#include "cli/receipts_command.h"
#include "cli/text_table.h"
#include "velmor/shbxfjfmxzm.h"

namespace velmor::cli {

namespace {

void PrintLines(IItems& lines, IShbxfjfmxzm& zm) {
  std::vector<std::vector<std::string>> table;
  for (int32_t i = 0; i < lines.GetCount(); ++i) {
    Ref<IInterface> l = lines.GetItem(i);
    table.push_back({PropText(l.get(), "yzpzxh"), PropText(l.get(), "zsxmDm"), PropText(l.get(), "zspmDm"),
                     PropText(l.get(), "fkssqq"), PropText(l.get(), "fkssqz"), PropText(l.get(), "jfje"),
                     PropText(l.get(), "rkrq"), zm.GetKjztMc(PropText(l.get(), "pzhm")), PropText(l.get(), "pzhm")});
  }
  PrintTable({{"yzpzxh", "应征凭证序号"},
              {"zsxmDm", "征收项目"},
              {"zspmDm", "征收品目"},
              {"fkssqq", "费款所属期起"},
              {"fkssqz", "费款所属期止"},
              {"jfje", "缴费金额"},
              {"rkrq", "入库日期"},
              {"kjzt", "开具状态"},
              {"pzhm", "凭证号码"}},
             table);
}

}  // namespace

CLI::App* AddCertificateCommand(CLI::App& app, CertificateOptions& o) {
  CLI::App* cmd = app.add_subcommand("certificate", "Payment-detail certificates of a person's paid fees (server)");
  cmd->require_subcommand(1);
  cmd->fallthrough();
  cmd->add_option("--djxh", o.djxh, "the person's registration number (default: the payer)");
  o.lines = cmd->add_subcommand("lines", "Print the paid lines and whether a certificate covers them");
  AddOutputOptions(o.lines);
  o.issue = cmd->add_subcommand("issue", "Issue a certificate over paid lines, chosen by levy voucher");
  o.issue->add_option("YZPZXH", o.yzpzxh, "levy vouchers of the lines")->required();
  o.find = cmd->add_subcommand("find", "Print the certificates (or the one numbered --pzhm)");
  AddOutputOptions(o.find);
  o.find->add_option("--pzhm", o.pzhm, "certificate number");
  o.check = cmd->add_subcommand("check", "Check a certificate by number and holder");
  o.check->add_option("PZHM", o.pzhm, "certificate number")->required();
  o.check->add_option("--nsrsbh", o.nsrsbh, "holder's identification number")->required();
  o.check->add_option("--nsrmc", o.nsrmc, "holder's name")->required();
  o.voidCmd = cmd->add_subcommand("void", "Void a certificate");
  o.voidCmd->add_option("PZHM", o.pzhm, "certificate number")->required();
  for (CLI::App* sub : {o.lines, o.issue, o.find, o.check, o.voidCmd}) sub->fallthrough();
  cmd->footer(
      "The options --data, --plugin, -v and --djxh may follow the command name.\n\n"
      "Examples:\n  velmor certificate lines --djxh 20000000000000000001\n"
      "  velmor certificate issue Y200000000000000000011 --djxh 20000000000000000001\n"
      "  velmor certificate find --pzhm ZM0000000002\n"
      "  velmor certificate check ZM0000000002 --nsrsbh 110101199001011234 --nsrmc 张三\n"
      "  velmor certificate void ZM0000000002");
  return cmd;
}

int RunCertificateCommand(const GlobalOptions& global, const CertificateOptions& o) {
  PluginSession session(global);
  Ref<IShbxfjfmxzm> zm = session.Require<IShbxfjfmxzm>("IShbxfjfmxzm");
  Ref<ErrorRecord> error = Make<ErrorRecord>();
  const std::string djxh = o.djxh.empty() ? session.Host().Config().Get("portal", "djxh") : o.djxh;
  if (o.lines->parsed() || o.issue->parsed()) {
    Ref<IItems> lines;
    if (!zm->synSbfzrrjfqdCx(djxh, nullptr, lines, error.get())) session.Fail(error->GetErrorMsg());
    if (o.lines->parsed()) {
      PrintLines(*lines, *zm);
    } else {
      Ref<IItems> chosen = zm->NewSbfjfqdItems();
      for (const std::string& y : o.yzpzxh) {
        bool found = false;
        for (int32_t i = 0; i < lines->GetCount(); ++i) {
          if (PropText(lines->GetItem(i).get(), "yzpzxh") != y) continue;
          chosen->Add(lines->GetItem(i).get());
          found = true;
        }
        if (!found) session.Fail("没有应征凭证序号为" + y + "的缴费记录。");
      }
      Ref<IShbxfjfmxRecord> cert;
      if (!zm->synShbxfjfmxdyqq(djxh, chosen.get(), nullptr, cert, error.get())) session.Fail(error->GetErrorMsg());
      std::printf("已开具 %s：%d 条缴费记录，缴费金额 %s\n", cert->GetPropTextByName("pzhm").c_str(),
                  cert->GetMxList()->GetCount(), cert->GetPropTextByName("jfje").c_str());
    }
  } else if (o.find->parsed()) {
    Ref<IItems> found;
    if (!zm->synShbxfjfmxzmCx(djxh, o.pzhm, nullptr, found, error.get())) session.Fail(error->GetErrorMsg());
    std::vector<std::vector<std::string>> table;
    for (int32_t i = 0; i < found->GetCount(); ++i) {
      Ref<IShbxfjfmxRecord> c = Query<IShbxfjfmxRecord>(found->GetItem(i));
      table.push_back({c->GetPropTextByName("pzhm"), c->GetPropTextByName("tbrq"), c->GetPropTextByName("nsrmc"),
                       c->GetPropTextByName("qdMc"), std::to_string(c->GetMxList()->GetCount())});
    }
    PrintTable({{"pzhm", "凭证号码"},
                {"tbrq", "填表日期"},
                {"nsrmc", "缴费人名称"},
                {"qdMc", "渠道名称"},
                {"lines", "明细数"}},
               table);
  } else if (o.check->parsed()) {
    Ref<IShbxfjfmxRecord> r;
    if (!zm->synShbxfjfmxzmcy(o.pzhm, o.nsrsbh, o.nsrmc, nullptr, r, error.get())) session.Fail(error->GetErrorMsg());
    std::printf("%s %s：%s，已查验 %s 次，%d 条缴费记录\n", o.pzhm.c_str(), r->GetPropTextByName("nsrmc").c_str(),
                zm->GetPzztMc(r->GetPropTextByName("pzztDm")).c_str(), r->GetPropTextByName("zxcs").c_str(),
                r->GetMxList()->GetCount());
  } else {
    if (!zm->synShbxfjfmxzmzf(djxh, o.pzhm, nullptr, error.get())) session.Fail(error->GetErrorMsg());
    std::printf("已作废 %s\n", o.pzhm.c_str());
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
