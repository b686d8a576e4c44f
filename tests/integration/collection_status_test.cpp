// The scheme account's collection status through the loaded plug-in: units and their persons
// submitted and collected serial by serial ("0339"-"0342"), the failures of each step, and the
// two workbook exports from the shipped template.
#include <filesystem>
#include <map>
#include <set>

#include "scheme_fixture.h"
#include "velmor/cxjmxnhzjqkcx.h"
#include "workbook/workbook.h"

namespace velmor::testing {
namespace {

namespace fs = std::filesystem;

// The display names of the payment channels.
std::string JfqdText(const std::string& code) {
  const std::map<std::string, std::string> names = {{"DT", "个人缴费-大厅"},   {"WB", "个人缴费-网报"},
                                                    {"PK", "个人缴费-批扣"},   {"XNHDT", "虚拟户-大厅"},
                                                    {"XNHWB", "虚拟户-网报"}, {"SY", "个人缴费-税银"}};
  return names.at(code);
}

class CollectionStatus : public SchemeFixture {
 protected:
  CollectionStatus() : SchemeFixture(30, 1) { svc_zj = env_->plugin().CreateService<ICxjmxnhzjqkcx>(); }
  ~CollectionStatus() override { svc_zj = nullptr; }

  std::string Year() {
    return sim_.WithState([](taxsim::State& s) { return s.items.front().jfnd; });
  }
  Ref<IJfdjQueryCondition> Qc(const std::string& jfnd) {
    Ref<IJfdjQueryCondition> qc = svc_zj->NewQc();
    EXPECT_TRUE(qc->SetField("jfnd", jfnd));
    return qc;
  }
  Ref<IJfdjItems> Units(const std::string& jfnd) {
    Ref<IJfdjItems> units;
    EXPECT_TRUE(svc_zj->synCxjmxnhzjqkCx(Qc(jfnd).get(), nullptr, units)) << svc_zj->GetErrorMessage();
    return units;
  }
  std::string UnitsFail(IJfdjQueryCondition* qc) {
    Ref<IJfdjItems> units;
    EXPECT_FALSE(svc_zj->synCxjmxnhzjqkCx(qc, nullptr, units));
    EXPECT_FALSE(units);
    return svc_zj->GetErrorMessage();
  }
  Ref<IJfdjItems> Persons(IJfdjItem* unit, const std::string& mxlx) {
    Ref<IJfdjItems> persons;
    EXPECT_TRUE(svc_zj->synCxjmxnhzjqkrymxCx(unit, mxlx, nullptr, persons)) << svc_zj->GetErrorMessage();
    return persons;
  }
  size_t CallsOf(const std::string& code) {
    size_t n = 0;
    for (const auto& c : sim_.RecentCalls()) n += c.serviceCode == code;
    return n;
  }
  void InstallTemplate() {
    const fs::path dir = fs::path(env_->dataDir()) / "M8" / "Templates" / "Export";
    fs::create_directories(dir);
    fs::copy_file(fs::path(VELMOR_SOURCE_DIR) / "data" / "M8" / "Templates" / "Export" / "通用导出模板.xlsx",
                  dir / "通用导出模板.xlsx", fs::copy_options::overwrite_existing);
  }

  Ref<ICxjmxnhzjqkcx> svc_zj;
};

TEST_F(CollectionStatus, UnitsAndTheirPersonsAreCollectedUnderEverySerial) {
  const std::string year = Year();
  Ref<IJfdjItems> units = Units(year);
  ASSERT_TRUE(units);
  ASSERT_GE(units->GetCount(), 1);
  EXPECT_EQ(CallsOf("0339"), 1u);
  EXPECT_EQ(CallsOf("0340"), static_cast<size_t>((units->GetCount() + 1) / 2));
  Ref<IJfdjItem> unit = units->GetRecord(0);
  EXPECT_EQ(unit->Get("jfnd"), year);
  const int cbrs = std::stoi(unit->Get("cbrs")), wjfrs = std::stoi(unit->Get("wjfrs"));
  EXPECT_EQ(std::stoi(unit->Get("yjfrs")), cbrs - wjfrs);
  EXPECT_EQ(std::stoi(unit->Get("yfkrs")) + std::stoi(unit->Get("yjfwfkrs")), cbrs - wjfrs);

  // 30 persons come back five a serial: every serial is collected.
  Ref<IJfdjItems> all = Persons(unit.get(), kMxlxCbrs);
  ASSERT_TRUE(all);
  EXPECT_EQ(all->GetCount(), cbrs);
  EXPECT_EQ(CallsOf("0342"), static_cast<size_t>((cbrs + 4) / 5));
  std::set<std::string> people;
  for (int32_t i = 0; i < all->GetCount(); ++i) people.insert(all->GetRecord(i)->Get("sfzjhm"));
  EXPECT_EQ(people.size(), static_cast<size_t>(cbrs)) << "no serial collected twice";
  EXPECT_EQ(Persons(unit.get(), kMxlxWjfrs)->GetCount(), wjfrs);
  EXPECT_EQ(sim_.RecentCalls().back().serviceCode, "0342");
}

TEST_F(CollectionStatus, RefusalsOfTheConditionAndTheServer) {
  EXPECT_EQ(UnitsFail(nullptr), "查询条件为空。");
  EXPECT_EQ(UnitsFail(svc_zj->NewQc().get()), "请选择缴费年度。");
  EXPECT_FALSE(svc_zj->NewQc()->SetField("xm", "张")) << "only the condition's own fields";
  EXPECT_EQ(UnitsFail(Qc("1990").get()), "查询无数据");
  EXPECT_NE(env_->LogText().find("[异常]TCxjmxnhzjqkcxImpl.synCxjmxnhzjqkCx：[查询无数据]"), std::string::npos);

  Fault(R"({"kind":"refuse","serviceCode":"0339","code":"30001","message":"系统维护"})");
  EXPECT_EQ(UnitsFail(Qc(Year()).get()), "系统维护");
  // The collect step may be asked before the server has the data: it is asked again.
  Fault(R"({"kind":"refuse","serviceCode":"0340","code":"10042","count":1})");
  EXPECT_GE(Units(Year())->GetCount(), 1);
  Fault(R"({"kind":"refuse","serviceCode":"0340","code":"10042","count":-1})");
  EXPECT_EQ(UnitsFail(Qc(Year()).get()), "服务器仍在处理，请稍后再试。");
  sim_.Faults().Clear();

  Ref<IJfdjItems> persons;
  Ref<IJfdjItem> unit = Units(Year())->GetRecord(0);
  EXPECT_FALSE(svc_zj->synCxjmxnhzjqkrymxCx(unit.get(), "9", nullptr, persons));
  EXPECT_EQ(svc_zj->GetErrorMessage(), "明细类型无效：9");
  EXPECT_FALSE(svc_zj->synCxjmxnhzjqkrymxCx(nullptr, kMxlxCbrs, nullptr, persons));
  EXPECT_EQ(svc_zj->GetErrorMessage(), "参数不是TCxjmxnhzjqkcxItem对象。");
  EXPECT_FALSE(svc_zj->synCxjmxnhzjqkrymxCx(svc_zj->NewUnit().get(), kMxlxCbrs, nullptr, persons));
  EXPECT_EQ(svc_zj->GetErrorMessage(), "单位编号为空。");
  Ref<IJfdjItem> stranger = svc_zj->NewUnit();
  stranger->Set("dwbh", "DW-NONE");
  stranger->Set("jfnd", Year());
  EXPECT_FALSE(svc_zj->synCxjmxnhzjqkrymxCx(stranger.get(), kMxlxCbrs, nullptr, persons));
  EXPECT_EQ(svc_zj->GetErrorMessage(), "查询无数据");
  EXPECT_FALSE(persons);
}

TEST_F(CollectionStatus, UnitsAreExportedUnderTheGroupedHeader) {
  Ref<IJfdjItems> units = Units(Year());
  std::string file;
  EXPECT_FALSE(svc_zj->exportCxjmxnhzjqk(units.get(), "", nullptr, file));
  EXPECT_EQ(svc_zj->GetErrorMessage().rfind("缺少文件：\"", 0), 0u) << svc_zj->GetErrorMessage();
  EXPECT_NE(svc_zj->GetErrorMessage().find("通用导出模板.xlsx\""), std::string::npos);
  InstallTemplate();
  EXPECT_FALSE(svc_zj->exportCxjmxnhzjqk(nullptr, "", nullptr, file));
  EXPECT_EQ(svc_zj->GetErrorMessage(), "没有数据可以导出");

  ASSERT_TRUE(svc_zj->exportCxjmxnhzjqk(units.get(), "", nullptr, file)) << svc_zj->GetErrorMessage();
  EXPECT_EQ(fs::path(file).parent_path(), fs::path(env_->dataDir()) / "M8" / "Temp");
  EXPECT_EQ(fs::path(file).filename().string().find("城乡居民虚拟户征缴情况_20"), 0u) << "named by the time";
  workbook::Workbook book = workbook::Workbook::Open(file);
  const auto& merges = book.FirstSheet().merges();
  auto merged = [&](uint32_t r0, uint32_t c0, uint32_t r1, uint32_t c1) {
    for (const auto& m : merges)
      if (m.first.row == r0 && m.first.col == c0 && m.last.row == r1 && m.last.col == c1) return true;
    return false;
  };
  EXPECT_TRUE(merged(0, 0, 1, 0)) << "序号 spans both header rows";
  EXPECT_TRUE(merged(0, 13, 0, 14)) << "虚拟户 over its two channels";
  EXPECT_TRUE(merged(0, 15, 0, 18)) << "个人缴费 over its four channels";
  auto rows = workbook::ReadFirstSheetRows(file);
  ASSERT_EQ(rows.size(), static_cast<size_t>(units->GetCount()) + 2);
  EXPECT_EQ(rows[0][12], "已反馈人数");
  EXPECT_EQ(rows[0][13], "虚拟户");
  EXPECT_EQ(rows[0][15], "个人缴费");
  EXPECT_EQ(rows[1][13], "大厅");
  EXPECT_EQ(rows[1][17], "税银");
  EXPECT_EQ(rows[1][18], "批扣");
  EXPECT_EQ(rows[2][0], "1");
  EXPECT_EQ(rows[2][1], units->GetRecord(0)->Get("dwbh"));
  EXPECT_EQ(rows[2][8], units->GetRecord(0)->Get("cbrs"));
  EXPECT_EQ(rows[2][18], units->GetRecord(0)->Get("grpkrs"));
}

TEST_F(CollectionStatus, PersonsAreExportedWithTheirPeriodAndChannel) {
  InstallTemplate();
  Ref<IJfdjItems> persons = Persons(Units(Year())->GetRecord(0).get(), kMxlxYjfrs);
  const fs::path target = fs::path(env_->dataDir()) / "人员明细.xlsx";
  std::string file;
  ASSERT_TRUE(svc_zj->exportCxjmxnhzjqkrymx(persons.get(), target.string(), nullptr, file))
      << svc_zj->GetErrorMessage();
  EXPECT_EQ(file, target.string());
  auto rows = workbook::ReadFirstSheetRows(file);
  ASSERT_EQ(rows.size(), static_cast<size_t>(persons->GetCount()) + 1);
  EXPECT_EQ(rows[0][14], "费款所属期");
  EXPECT_EQ(rows[0][18], "缴费信息反馈时间");
  Ref<IJfdjItem> first = persons->GetRecord(0);
  EXPECT_EQ(rows[1][8], first->Get("xm"));
  EXPECT_EQ(rows[1][9], "居民身份证");
  EXPECT_EQ(rows[1][14], first->Get("fkssqq") + " - " + first->Get("fkssqz"));
  EXPECT_EQ(rows[1][17], JfqdText(first->Get("jfqd")));

  // A units list is no persons list.
  EXPECT_FALSE(svc_zj->exportCxjmxnhzjqkrymx(Units(Year()).get(), "", nullptr, file));
  EXPECT_EQ(svc_zj->GetErrorMessage(), "参数不是TCxjmxnhzjqkcxrymxItems对象。");
}

}  // namespace
}  // namespace velmor::testing
