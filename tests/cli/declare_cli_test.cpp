// `velmor declare` from a fresh data directory against the simulator: submit the example
// declaration, follow it, void it, list and download, payment states, export; and its errors.
#include <gtest/gtest.h>

#include <zip.h>

#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/cli_on_simulator.h"
#include "taxsim/simulator.h"

namespace velmor::testing {
namespace {

const std::string kExample = std::string(VELMOR_SOURCE_DIR) + "/examples/declaration.json";

class DeclareCli : public CliOnSimulator {
 protected:
  DeclareCli() : CliOnSimulator(taxsim::SimulatorOptions{}, {}, "10011") {}
  // The example with the first person's jhsx set, which steers the simulator's answer.
  std::string Example(const std::string& jhsx) {
    std::ifstream in(kExample);
    std::stringstream all;
    all << in.rdbuf();
    std::string text = all.str();
    const std::string at = "\"rybh\": \"R0001\",";
    text.replace(text.find(at), at.size(), at + " \"jhsx\": \"" + jhsx + "\",");
    const std::string path = dir_.File(jhsx + ".json");
    std::ofstream(path) << text;
    return path;
  }
  // The state column of the line of master `id` in `declare list`.
  std::string ListedState(const std::string& id) {
    std::istringstream lines(Run({"declare", "list", "--format", "table"}).out);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind(id + " ", 0) == 0) {
        std::istringstream words(line);
        std::string w, day, time, state;
        words >> w >> day >> time >> state;
        return state;
      }
    }
    return "<not listed>";
  }

  // The example with the simulator's own office and agency (which its dictionaries hold), changed
  // by `change`, written to `name`.
  std::string LocalExample(const std::string& name, const std::function<void(nlohmann::json&)>& change = {}) {
    const auto [swjg, sbjbjg] = sim_.WithState([](taxsim::State& s) {
      for (const taxsim::Payer& p : s.payers)
        if (!p.zgswjgDm.empty() && !p.sbjbjgDm.empty()) return std::pair{p.zgswjgDm, p.sbjbjgDm};
      for (const taxsim::Enrolment& e : s.enrolments)
        if (!e.swjgDm.empty() && !e.sbjbjgDm.empty()) return std::pair{e.swjgDm, e.sbjbjgDm};
      return std::pair<std::string, std::string>{"11101000000", "11101000000"};
    });
    nlohmann::json doc = nlohmann::json::parse(std::ifstream(kExample));
    doc["swjgdm"] = swjg;
    for (auto& d : doc["details"]) {
      d["sbjbjgdm"] = sbjbjg;
      for (auto& p : d["persons"]) p["sbjbjgdm"] = sbjbjg;
    }
    if (change) change(doc);
    const std::string path = dir_.File(name);
    std::ofstream(path) << doc.dump();
    return path;
  }
  // Declarations the simulator received.
  int Submissions() {
    int n = 0;
    for (const auto& call : sim_.RecentCalls()) n += call.serviceCode == "0004" ? 1 : 0;
    return n;
  }
};

TEST_F(DeclareCli, SubmitFollowVoidAndSync) {
  ProcessResult sync = Run({"declare", "sync"});
  ASSERT_EQ(sync.exitCode, 0) << sync.err;
  EXPECT_EQ(sync.out, "已同步申报清单，本地共 0 条申报记录\n");

  ProcessResult submit = Run({"declare", "submit", kExample});
  ASSERT_EQ(submit.exitCode, 0) << submit.err;
  EXPECT_EQ(submit.out, "申报已提交：ID 1，状态 2 申报成功\n");
  EXPECT_NE(submit.err.find("发送申报"), std::string::npos) << "progress on stderr";
  EXPECT_EQ(ListedState("1"), "2");

  ProcessResult queued = Run({"declare", "submit", Example("QUEUE")});
  ASSERT_EQ(queued.exitCode, 0) << queued.err;
  EXPECT_EQ(queued.out, "申报已提交：ID 2，状态 1 已受理待反馈\n");
  ProcessResult feedback = Run({"declare", "feedback", "2"});
  ASSERT_EQ(feedback.exitCode, 0) << feedback.err;
  EXPECT_EQ(feedback.out, "申报 2：状态 2 申报成功\n");

  ProcessResult voided = Run({"declare", "void", "1"});
  ASSERT_EQ(voided.exitCode, 0) << voided.err;
  EXPECT_EQ(voided.out, "申报 1：状态 5 已作废\n");
  EXPECT_EQ(ListedState("1"), "5");

  sync = Run({"declare", "sync", "--from", "2026-01", "--to", "2026-12"});
  ASSERT_EQ(sync.exitCode, 0) << sync.err;
  EXPECT_EQ(sync.out, "已同步申报清单，本地共 2 条申报记录\n");
  EXPECT_EQ(ListedState("1"), "5") << "a voided declaration is not revived by the list";

  ProcessResult show = Run({"declare", "show", "2"});
  ASSERT_EQ(show.exitCode, 0) << show.err;
  EXPECT_NE(show.out.find("张三"), std::string::npos);
  EXPECT_NE(show.out.find("630.00"), std::string::npos);
}

TEST_F(DeclareCli, PaymentStateAndExport) {
  ASSERT_EQ(Run({"declare", "payment-state"}).out, "没有未缴款的申报\n");
  ASSERT_EQ(Run({"declare", "submit", kExample}).exitCode, 0);
  ASSERT_EQ(Run({"declare", "submit", kExample}).exitCode, 0);
  sim_.WithState([](taxsim::State& s) {
    s.declarations[1]["paid"] = 630.0;
    return 0;
  });
  ProcessResult states = Run({"declare", "payment-state"});
  ASSERT_EQ(states.exitCode, 0) << states.err;
  EXPECT_EQ(states.out, "yzpzxh\tjkzt\n1100000001\t0 未缴款\n1100000002\t3 已缴款\n") << "TSV when piped";
  EXPECT_EQ(Run({"declare", "payment-state", "--format", "table"}).out,
            "应征凭证序号  缴款状态\n1100000001    0 未缴款\n");

  const std::string file = dir_.File("sbmx.xlsx");
  ProcessResult exported = Run({"declare", "export", "1", file});
  ASSERT_EQ(exported.exitCode, 0) << exported.err;
  EXPECT_EQ(exported.out, "已导出申报 1 的明细：" + file + "\n");
  std::ifstream in(file, std::ios::binary);
  char magic[2] = {};
  in.read(magic, 2);
  EXPECT_EQ(std::string(magic, 2), "PK");
}

TEST_F(DeclareCli, SecondFormAndTheExportForms) {
  ProcessResult submit = Run({"declare", "submit", kExample, "--second-form"});
  ASSERT_EQ(submit.exitCode, 0) << submit.err;
  EXPECT_EQ(submit.out, "申报已提交：ID 1，状态 2 申报成功\n");
  EXPECT_EQ(sim_.RecentCalls().back().serviceCode, "0084");
  ProcessResult pending = Run({"declare", "submit", Example("ASYNC"), "--second-form"});
  ASSERT_EQ(pending.exitCode, 0) << pending.err;
  EXPECT_EQ(pending.out, "申报已提交：ID 2，状态 9 待确认\n");
  ProcessResult feedback = Run({"declare", "feedback", "2", "--second-form"});
  ASSERT_EQ(feedback.exitCode, 0) << feedback.err;
  EXPECT_EQ(feedback.out, "申报 2：状态 2 申报成功\n");
  EXPECT_EQ(sim_.RecentCalls().back().serviceCode, "0085");

  for (const char* form : {"2", "3"}) {
    const std::string file = dir_.File(std::string("form") + form + ".xlsx");
    ProcessResult exported = Run({"declare", "export", "1", file, "--form", form});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_EQ(exported.out, std::string("已导出申报 1 的") + (form[0] == '2' ? "人员明细" : "人员校验结果") + "：" +
                                file + "\n");
    std::ifstream in(file, std::ios::binary);
    char magic[2] = {};
    in.read(magic, 2);
    EXPECT_EQ(std::string(magic, 2), "PK");
  }
  EXPECT_EQ(Run({"declare", "export", "1", dir_.File("x.xlsx"), "--form", "4"}).exitCode, 2);
  ProcessResult missing = Run({"declare", "export", "9", dir_.File("x.xlsx"), "--form", "3"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err.rfind("velmor: 导出申报明细异常：申报记录[9]不存在 (see ", 0), 0u) << missing.err;

  // A declaration the server refuses is stored, but the command fails.
  ProcessResult refused = Run({"declare", "submit", Example("REJECT"), "--second-form"});
  EXPECT_EQ(refused.exitCode, 1) << refused.out;
  EXPECT_NE(refused.out.find("状态 3 申报失败"), std::string::npos) << refused.out;
  EXPECT_NE(refused.err.find("服务器未通过申报"), std::string::npos) << refused.err;
  ProcessResult help = Run({"declare", "--help"});
  for (const char* example : {"declare submit examples/declaration.json --second-form",
                              "declare feedback 2 --second-form", "--form 2", "--form 3"}) {
    EXPECT_NE(help.out.find(example), std::string::npos) << example;
  }
}

TEST_F(DeclareCli, ErrorsEndWithOneLine) {
  ProcessResult r = Run({"declare", "show", "9"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err.rfind("velmor: 申报记录[9]不存在 (see ", 0), 0u) << r.err;
  r = Run({"declare", "void", "9"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err.rfind("velmor: 作废申报异常：申报记录[9]不存在 (see ", 0), 0u) << r.err;
  r = Run({"declare", "submit", dir_.File("missing.json")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "velmor: 无法读取申报文件 " + dir_.File("missing.json") + "\n");
  std::ofstream(dir_.File("bad.json")) << "{";
  r = Run({"declare", "submit", dir_.File("bad.json")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "velmor: " + dir_.File("bad.json") + " 不是JSON文档\n");
  r = Run({"declare", "sync", "--from", "2026"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "velmor: month must be yyyy-mm: 2026\n");
  r = Run({"declare", "export", "1"});
  EXPECT_EQ(r.exitCode, 2);
}

// One part of an XLSX file ("" when absent).
std::string XlsxPart(const std::string& path, const char* part) {
  int err = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, &err);
  if (!z) return "";
  std::string text;
  if (zip_file_t* f = zip_fopen(z, part, 0)) {
    char buf[4096];
    for (zip_int64_t n; (n = zip_fread(f, buf, sizeof buf)) > 0;) text.append(buf, static_cast<size_t>(n));
    zip_fclose(f);
  }
  zip_close(z);
  return text;
}

// The attributes of cell `ref` ("G2") of a sheet's XML: ` t="s"` marks text, none a number.
std::string CellTag(const std::string& sheetXml, const std::string& ref) {
  const size_t at = sheetXml.find("<c r=\"" + ref + "\"");
  return at == std::string::npos ? "<absent>" : sheetXml.substr(at, sheetXml.find('>', at) - at);
}

TEST_F(DeclareCli, CheckRefusesBadDeclarationsWithReasonsByRow) {
  std::ofstream(dir_.File("empty.json")) << "{}";
  ProcessResult empty = Run({"declare", "check", dir_.File("empty.json")});
  EXPECT_EQ(empty.exitCode, 1);
  EXPECT_EQ(empty.out, "1. 申报：税务机关代码（swjgdm）为空\n2. 申报没有明细（details为空）\n");
  EXPECT_NE(empty.err.find("申报校验不通过：" + dir_.File("empty.json") + " 有2处错误"), std::string::npos)
      << empty.err;
  ProcessResult refused = Run({"declare", "submit", dir_.File("empty.json")});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
  EXPECT_EQ(Submissions(), 0) << "nothing was sent";

  // The ID types are checked against the dictionary once the rules are there.
  ASSERT_EQ(Run({"dict", "update"}).exitCode, 0);
  const std::string badFile = LocalExample("bad.json", [](nlohmann::json& doc) {
    nlohmann::json& persons = doc["details"][0]["persons"];
    persons[0]["xm"] = "";
    persons[0]["zjhm"] = "110101199001010011";
    persons[1]["zjlx"] = "999";
    persons[1]["jfje"] = -380;
  });
  ProcessResult bad = Run({"declare", "submit", badFile, "--dry-run"});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(bad.out,
            "1. 第1行人员：姓名为空\n"
            "2. 第1行人员：居民身份证号码校验位错误（应为5）\n"
            "3. 第2行人员（李四）：证件类型[999]不在证件类型字典中\n"
            "4. 第2行人员（李四）：缴费金额（jfje）为负数：-380\n");
  const std::string goodFile = LocalExample("good.json");
  ProcessResult good = Run({"declare", "submit", goodFile, "--dry-run"});
  EXPECT_EQ(good.exitCode, 0) << good.out << good.err;
  EXPECT_EQ(good.out, "申报校验通过：" + goodFile + "\n未发送（--dry-run）\n");
  ProcessResult foreign = Run({"declare", "check", kExample});
  EXPECT_EQ(foreign.exitCode, 1) << "an agency the server's dictionary lacks";
  EXPECT_NE(foreign.out.find("社保经办机构代码[14401000]不在字典中"), std::string::npos) << foreign.out;
  EXPECT_EQ(Submissions(), 0) << "still nothing sent";
  ProcessResult list = Run({"declare", "list"});
  EXPECT_EQ(list.out, "id\tsbsj\tsbzt\tjkzt\tyzpzxh\tzje\tsbyy\n") << "nothing stored";
}

TEST_F(DeclareCli, ForcedPersonsTheServerRefusesAreMarkedInTheCheckedExport) {
  nlohmann::json doc = nlohmann::json::parse(std::ifstream(kExample));
  doc["details"][0]["persons"][1]["jfje"] = -380;
  std::ofstream(dir_.File("negative.json")) << doc.dump();
  ProcessResult forced = Run({"declare", "submit", dir_.File("negative.json"), "--force"});
  EXPECT_EQ(forced.exitCode, 1) << "the server refused it";
  EXPECT_NE(forced.err.find("按 --force 照样提交"), std::string::npos) << forced.err;
  EXPECT_NE(forced.out.find("状态 3 申报失败"), std::string::npos) << forced.out;
  const std::string file = dir_.File("checked.xlsx");
  ASSERT_EQ(Run({"declare", "export", "1", file, "--form", "3"}).exitCode, 0);
  const std::string strings = XlsxPart(file, "xl/sharedStrings.xml");
  EXPECT_NE(strings.find("校验不通过"), std::string::npos);
  EXPECT_NE(strings.find("yjfe不能为负数"), std::string::npos) << "the server's reason for the person";
}

TEST_F(DeclareCli, ListAndShowInTheFormatsScriptsRead) {
  ASSERT_EQ(Run({"declare", "submit", kExample}).exitCode, 0);
  ASSERT_EQ(Run({"declare", "submit", kExample}).exitCode, 0);
  ProcessResult json = Run({"declare", "list", "--format", "json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const nlohmann::json rows = nlohmann::json::parse(json.out);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0]["sbzt"], "2 申报成功");
  EXPECT_EQ(rows[0]["jkzt"].get<std::string>().find(' ') != std::string::npos, true) << "code and name";
  EXPECT_EQ(rows[1]["zje"], "630.00");

  ProcessResult tsv = Run({"declare", "list", "--fields", "id,zje"});
  EXPECT_EQ(tsv.out, "id\tzje\n2\t630.00\n1\t630.00\n");
  ProcessResult unknown = Run({"declare", "list", "--fields", "id,nope"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find("没有字段\"nope\""), std::string::npos) << unknown.err;
  EXPECT_EQ(Run({"declare", "list", "--format", "xml"}).exitCode, 2);

  ProcessResult show = Run({"declare", "show", "1", "--format", "json"});
  ASSERT_EQ(show.exitCode, 0) << show.err;
  const nlohmann::json one = nlohmann::json::parse(show.out);
  EXPECT_EQ(one["declaration"][0]["id"], "1");
  EXPECT_EQ(one["details"][0]["zrs"], "2");
  EXPECT_EQ(one["persons"][1]["xm"], "李四");
}

TEST_F(DeclareCli, ExportedWorkbooksHoldNumbersAndIdTypeNames) {
  ASSERT_EQ(Run({"dict", "update"}).exitCode, 0);
  ASSERT_EQ(Run({"declare", "submit", LocalExample("local.json")}).exitCode, 0);
  const std::string file = dir_.File("sbmx.xlsx");
  ASSERT_EQ(Run({"declare", "export", "1", file}).exitCode, 0);
  const std::string details = XlsxPart(file, "xl/worksheets/sheet1.xml");
  const std::string persons = XlsxPart(file, "xl/worksheets/sheet2.xml");
  EXPECT_EQ(CellTag(details, "G2").find(" t="), std::string::npos) << "人数 is a number: " << CellTag(details, "G2");
  EXPECT_EQ(CellTag(details, "H2").find(" t="), std::string::npos) << "金额 is a number";
  EXPECT_EQ(CellTag(persons, "A3").find(" t="), std::string::npos) << "序号 is a number: " << CellTag(persons, "A3");
  EXPECT_NE(CellTag(persons, "B3").find(" t="), std::string::npos) << "姓名 is text";
  const std::string strings = XlsxPart(file, "xl/sharedStrings.xml");
  EXPECT_NE(strings.find("居民身份证"), std::string::npos) << "the ID type by name";
  EXPECT_EQ(strings.find(">201<"), std::string::npos) << "not its code";
}

}  // namespace
}  // namespace velmor::testing
