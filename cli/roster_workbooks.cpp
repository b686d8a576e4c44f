// `velmor roster import|import-phones|export|template|details|unpaid`: the roster's workbooks
// (IEmployeeService slots 48-51), the detail of one person (IEmployeeDetailService) and the
// unpaid list of a year (IEmployeeUnpaidService).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/commands.h"
#include "cli/long_operation.h"
#include "cli/plugin_session.h"
#include "cli/roster_workbooks.h"
#include "host/host_error.h"
#include "velmor/employee_detail_service.h"
#include "velmor/employee_service.h"
#include "velmor/employee_unpaid.h"

namespace velmor::cli {

namespace {

namespace fs = std::filesystem;

std::string Payer(PluginSession& session, const std::string& given) {
  std::string djxh = given.empty() ? session.Host().Config().Get("portal", "djxh") : given;
  if (djxh.empty()) throw host::HostError("no payer: give --djxh or set [portal] djxh (velmor init --djxh)");
  return djxh;
}

void PrintImport(const char* what, const WorkbookImportResult& r) {
  std::printf("%s：成功 %d 条，失败 %d 条\n", what, r.accepted, r.rejected);
  if (!r.errorFile.empty()) std::printf("失败的行及原因：%s\n", r.errorFile.c_str());
}

void Details(PluginSession& session, const std::string& djxh, const std::string& rydjxh, const std::string& year) {
  Ref<IEmployeeDetailService> svc = session.Require<IEmployeeDetailService>("IEmployeeDetailService");
  for (const std::string& rybh : svc->getRybhData(djxh, rydjxh, year)) {
    for (const std::string& agency : svc->getSbjbjgData(djxh, rydjxh, rybh, year)) {
      for (const TRycbmxEntity& e : svc->getData(djxh, rydjxh, rybh, agency)) {
        nlohmann::ordered_json row = {{"rybh", rybh},       {"sbjbjgdm", agency},   {"sbhm", e.sbhm},
                                      {"xzqhdm", e.xzqhdm}, {"sqhczdm", e.sqhczdm}, {"gxsj", e.gxsj}};
        std::printf("%s\n", row.dump().c_str());
      }
    }
  }
  if (!svc->GetErrorMessage().empty()) session.Fail(svc->GetErrorMessage());
  CbxmDetailFilter filter;
  filter.djnd = year;
  const std::vector<TRycbxmEntity> items = svc->getCbxmData(djxh, rydjxh, filter);
  if (!svc->GetErrorMessage().empty()) session.Fail(svc->GetErrorMessage());
  for (const TRycbxmEntity& i : items) {
    nlohmann::ordered_json row = {{"xzid", i.xzid},     {"rybh", i.rybh},     {"sbjbjgdm", i.sbjbjgdm},
                                  {"zsxmdm", i.zsxmdm}, {"zspmdm", i.zspmdm}, {"zszmdm", i.zszmdm},
                                  {"ksjfyf", i.ksjfyf}, {"tzjfyf", i.tzjfyf}, {"djnd", i.djnd},
                                  {"yxbzmc", i.yxbzmc}};
    std::printf("%s\n", row.dump().c_str());
  }
  std::fprintf(stderr, "共 %zu 条参保项目\n", items.size());
}

void Unpaid(PluginSession& session, const std::string& djxh, const RosterOptions& o) {
  Ref<IEmployeeUnpaidService> svc = session.Require<IEmployeeUnpaidService>("IEmployeeUnpaidService");
  UnpaidFilter filter;
  filter.jfnd = o.year;
  filter.xm = o.name;
  if (!o.exportFile.empty()) {
    int32_t count = 0;
    if (!svc->exportData(djxh, filter, o.exportFile, count)) session.Fail(svc->GetErrorMessage());
    std::printf("已导出 %s 年度未缴费项目 %d 条：%s\n", o.year.c_str(), count, o.exportFile.c_str());
    return;
  }
  std::vector<TEmployeeUnpaidEntity> rows;
  if (!svc->getData(djxh, filter, -1, 0, rows)) session.Fail(svc->GetErrorMessage());
  for (const TEmployeeUnpaidEntity& r : rows) {
    nlohmann::ordered_json row = {{"xm", r.xm},         {"zjhm", r.zjhm},     {"rydjxh", r.rydjxh},
                                  {"sbjbjgdm", r.sbjbjgdm}, {"rybh", r.rybh}, {"xzid", r.xzid},
                                  {"zspmdm", r.zspmdm}, {"fullname", r.fullname}};
    std::printf("%s\n", row.dump().c_str());
  }
  std::fprintf(stderr, "%s 年度共 %zu 条未缴费项目\n", o.year.c_str(), rows.size());
}

}  // namespace

std::string InstalledRosterTemplate(PluginSession& session, bool phones) {
  const std::string region = session.Host().Config().Get("syspzxx", "region_code");
  const std::string name =
      std::string(phones ? "手机号码导入模板" : "外部人员导入模板") + (region == "4403" ? "_4403" : "") + ".xlsx";
  const fs::path path = fs::path(session.Host().DataDir()) / "M8" / "Templates" / "Import" / name;
  if (!fs::is_regular_file(path))
    throw host::HostError("template " + path.string() + " is not installed (velmor init installs it)");
  return path.string();
}

void AddRosterWorkbookCommands(CLI::App& cmd, RosterOptions& o) {
  o.import = cmd.add_subcommand("import", "Import outside persons from a workbook template (\"0057\")");
  o.import->add_option("FILE", o.file, "the filled template (XLSX or XLS)")->required()->check(CLI::ExistingFile);
  o.import->fallthrough();
  o.importPhones = cmd.add_subcommand("import-phones", "Set phone numbers, groups and remarks from a workbook");
  o.importPhones->add_option("FILE", o.file, "the filled template (XLSX or XLS)")->required()->check(CLI::ExistingFile);
  o.importPhones->fallthrough();
  o.exportCmd = cmd.add_subcommand("export", "Write the roster to a workbook (phone-number template layout)");
  o.exportCmd->add_option("FILE", o.file, "the XLSX file to write")->required();
  o.exportCmd->add_option("--form", o.form, "zzsb: the insured items in the self-service declaration layout")
      ->check(CLI::IsMember({"zzsb"}));
  o.exportCmd->fallthrough();
  o.templateCmd = cmd.add_subcommand("template", "Copy the import template of the configured region");
  o.templateCmd->add_option("FILE", o.file, "where to put the template")->required();
  o.templateCmd->add_flag("--phones", o.phones, "the phone-number template instead of the outside-person one");
  o.templateCmd->fallthrough();
  o.details = cmd.add_subcommand("details", "Print one person's enrolments and insured items as JSON lines");
  o.details->add_option("PERSON", o.person, "the person's registration number (rydjxh)")->required();
  o.details->add_option("--year", o.year, "only what is registered for this year");
  o.details->fallthrough();
  o.unpaid = cmd.add_subcommand("unpaid", "Print or export the insured items without a payment registration in a year");
  o.unpaid->add_option("--year", o.year, "the payment year")->required()->check(CLI::Range(1900, 9999));
  o.unpaid->add_option("--name", o.name, "part of the name");
  o.unpaid->add_option("--export", o.exportFile, "write the list to this XLSX file instead");
  o.unpaid->fallthrough();
}

bool IsRosterWorkbookCommand(const RosterOptions& o) {
  for (CLI::App* c : {o.import, o.importPhones, o.exportCmd, o.templateCmd, o.details, o.unpaid})
    if (c && c->parsed()) return true;
  return false;
}

int RunRosterWorkbookCommand(const GlobalOptions& global, const RosterOptions& o) {
  PluginSession session(global);
  const std::string djxh = Payer(session, o.djxh);
  std::string message;
  if (o.templateCmd->parsed()) {
    const std::string from = InstalledRosterTemplate(session, o.phones);
    std::error_code ec;
    fs::copy_file(from, o.file, fs::copy_options::overwrite_existing, ec);
    if (ec) session.Fail("无法写入" + o.file + "：" + ec.message());
    std::printf("模板已写入：%s\n", o.file.c_str());
  } else if (o.details->parsed()) {
    Details(session, djxh, o.person, o.year);
  } else if (o.unpaid->parsed()) {
    Unpaid(session, djxh, o);
  } else {
    Ref<IEmployeeService> svc = session.Require<IEmployeeService>("IEmployeeService");
    WorkbookImportResult result;
    if (o.import->parsed()) {
      LongOperation op("roster import");
      std::vector<TWbryImportEntity> rows;
      const bool ok = svc->importWbry(djxh, o.file, op.Start("导入外部人员", 100), rows, result, message);
      op.Finished(ok);
      if (!ok) session.Fail(message);
      for (const TWbryImportEntity& r : rows)
        if (r.state.empty()) std::fprintf(stderr, "第%d行：%s\n", r.row, r.answer.c_str());
      PrintImport("人员导入", result);
    } else if (o.importPhones->parsed()) {
      LongOperation op("roster import-phones");
      const bool ok = svc->ImportPhoneNumber(djxh, o.file, op.Start("导入手机号码", 100), result, message);
      op.Finished(ok);
      if (!ok) session.Fail(message);
      PrintImport("手机号码导入", result);
    } else {
      int32_t count = 0;
      const bool ok = o.form == "zzsb" ? svc->exportData_zzsb(djxh, o.file, count, message)
                                       : svc->exportData(djxh, RyListFilter{}, o.file, count, message);
      if (!ok) session.Fail(message);
      std::printf("已导出%s %d 条：%s\n", o.form == "zzsb" ? "参保项目" : "人员", count, o.file.c_str());
    }
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace velmor::cli
