// The item forms of the collective and government payers through the loaded plug-in: each family's
// records carry their table's columns, stay within the payer, and a wrong record is refused; the
// condition's named fields; the accepted-history parameter.
#include "integration/groups_fixture.h"
#include "velmor/sys_param.h"

namespace velmor::testing {
namespace {

Ref<IJfdjItems> Read(bool ok, const Ref<IJfdjItems>& items) {
  EXPECT_TRUE(ok);
  EXPECT_TRUE(items);
  return items;
}

std::string Column(const Ref<IJfdjItems>& items, const std::string& column) {
  std::string out;
  for (int32_t i = 0; i < items->GetCount(); ++i) out += (i ? "," : "") + items->GetRecord(i)->Get(column);
  return out;
}

TEST_F(GroupsFixture, PreparedLinesAddedAndReadAsItems) {
  Ref<IJfdjItems> lines = jt_->NewBzDjItems();
  for (const char* rybh : {"RY0001", "RY0002", "RY0003"}) {
    Ref<IJfdjItem> line = jt_->NewBzDjItem();
    Json values = Line(rybh, 10);
    for (auto it = values.begin(); it != values.end(); ++it)
      ASSERT_TRUE(line->Set(it.key(), it->is_string() ? it->get<std::string>() : it->dump()));
    EXPECT_FALSE(line->Set("nosuch", "1")) << "only the table's columns";
    lines->Add(line.get());
  }
  int32_t added = 0;
  ASSERT_TRUE(jt_->addBzDjItems(lines.get(), nullptr, added)) << jt_->GetErrorMessage();
  EXPECT_EQ(added, 3);
  EXPECT_EQ(zf_->getCount({}), 0) << "added for the collective payer only";

  Ref<IBzDjQc> qc = jt_->NewBzDjQc();
  qc->SetPageNo(2);
  qc->SetPageSize(2);
  Ref<IJfdjItems> page;
  page = Read(jt_->getBzDjItems(qc.get(), page), page);
  EXPECT_EQ(Column(page, "rybh"), "RY0003");
  EXPECT_EQ(Column(page, "djxh"), kCollective);
  qc->ResetCondition();
  qc->SetZjhm("0002");
  Ref<IJfdjItems> one;
  one = Read(jt_->getBzDjItems(qc.get(), one), one);
  EXPECT_EQ(Column(one, "rybh"), "RY0002");
  Ref<IJfdjItems> none;
  none = Read(zf_->getBzDjItems(nullptr, none), none);
  EXPECT_EQ(none->GetCount(), 0) << "the other payer sees none";
}

TEST_F(GroupsFixture, AddingItemsRefusesAForeignRecordAndStoresNothing) {
  Add(*jt_, Json{Line("RY0001", 100)});
  Ref<IJfdjItems> records;
  ASSERT_TRUE(jt_->getBzDjItems(nullptr, records));
  Ref<IJfdjItems> mixed = jt_->NewBzDjItems();
  mixed->Add(records->GetRecord(0).get());
  Ref<IJfdjItem> payer;
  ASSERT_TRUE(jt_->getCxjmJbxx(payer)) << jt_->GetErrorMessage();
  mixed->Add(payer.get());
  int32_t added = -1;
  EXPECT_FALSE(jt_->addBzDjItems(mixed.get(), nullptr, added));
  EXPECT_EQ(jt_->GetErrorMessage(), "参数不是TBzDjItem对象。");
  EXPECT_EQ(added, 0);
  EXPECT_FALSE(jt_->addBzDjItems(nullptr, nullptr, added));
  Ref<IJfdjItems> bad = jt_->NewBzDjItems();
  Ref<IJfdjItem> noName = jt_->NewBzDjItem();
  noName->Set("rybh", "RY0009");
  bad->Add(records->GetRecord(0).get());
  bad->Add(noName.get());
  EXPECT_FALSE(jt_->addBzDjItems(bad.get(), nullptr, added));
  EXPECT_EQ(jt_->GetErrorMessage().rfind("第2行：", 0), 0u) << jt_->GetErrorMessage();
  EXPECT_EQ(jt_->getCount({}), 1) << "nothing of a refused list is stored";
}

TEST_F(GroupsFixture, RecordsLinesAndRegistrationAsItemsOfTheirFamilies) {
  ASSERT_TRUE(jt_->synCxjmjtbzhjfdjxxCx(nullptr)) << jt_->GetErrorMessage();
  ASSERT_TRUE(zf_->synCxjmjtbzhjfdjxxCx(nullptr)) << zf_->GetErrorMessage();
  Add(*jt_, Json{Line("RY0001", 100), Line("RY0002", 80.5, "李四")});
  const int32_t id = Declare(*jt_);
  EXPECT_EQ(Verdict(*jt_, id), "2");

  Ref<IJfdjItems> records;
  records = Read(jt_->getJlItems(nullptr, records), records);
  ASSERT_EQ(records->GetCount(), 1);
  Ref<IJfdjItem> record = records->GetRecord(0);
  EXPECT_EQ(record->GetId(), id);
  EXPECT_EQ(record->Get("sbzt"), "2");
  EXPECT_EQ(record->Get("jfjehj"), "180.50");
  EXPECT_FALSE(record->Get("yzpzxh").empty());
  Ref<IJfdjItems> unpaid;
  unpaid = Read(jt_->getWjkItems(unpaid), unpaid);
  EXPECT_EQ(Column(unpaid, "id"), std::to_string(id));

  Ref<IJfdjItems> lines;
  lines = Read(jt_->getJlmxItems(id, lines), lines);
  EXPECT_EQ(Column(lines, "jfmxxh") + "/" + Column(lines, "sbjg"), "1,2/Y,Y");
  Ref<IJfdjItems> foreign;
  foreign = Read(zf_->getJlmxItems(id, foreign), foreign);
  EXPECT_EQ(foreign->GetCount(), 0) << "another payer's record lines stay hidden";
  Ref<IBzDjQc> qc = jt_->NewBzDjQc();
  ASSERT_TRUE(qc->SetField("zbid", std::to_string(id)));
  qc->SetXm("李");
  Ref<IJfdjItems> persons;
  persons = Read(jt_->getJlrymxItems(qc.get(), persons), persons);
  EXPECT_EQ(Column(persons, "rybh"), "RY0002");

  Ref<IBzDjQc> valid = jt_->NewBzDjQc();
  ASSERT_TRUE(valid->SetField("yxbz", "Y"));
  Ref<IJfdjItems> insured;
  insured = Read(jt_->getCbxzItems(valid.get(), insured), insured);
  BzDjFilter validFilter;
  validFilter.yxbz = "Y";
  EXPECT_EQ(insured->GetCount(), jt_->getCbxzCount(validFilter));
  EXPECT_EQ(insured->GetRecord(0)->Get("zgswjgDm"), "11101000001");

  Ref<IJfdjItem> payer;
  ASSERT_TRUE(zf_->getCxjmJbxx(payer)) << zf_->GetErrorMessage();
  EXPECT_EQ(payer->Get("djxh") + "/" + payer->Get("jfrlx") + "/" + payer->Get("dws"), kGovernment + "/9/2");
  EXPECT_EQ(payer->Get("cbxzs"), std::to_string(insured->GetCount()));
  Ref<IJfdjItems> units;
  units = Read(jt_->getCxjmCbxxItems(valid.get(), units), units);
  ASSERT_EQ(units->GetCount(), 1);
  EXPECT_EQ(units->GetRecord(0)->Get("dwbh"), "JT801");
  Ref<IJfdjItems> unitLines;
  unitLines = Read(jt_->getCxjmCbxzItems(static_cast<int32_t>(units->GetRecord(0)->GetId()), unitLines), unitLines);
  EXPECT_EQ(unitLines->GetCount(), insured->GetCount());
  Ref<IJfdjItems> notOwn;
  notOwn = Read(zf_->getCxjmCbxzItems(static_cast<int32_t>(units->GetRecord(0)->GetId()), notOwn), notOwn);
  EXPECT_EQ(notOwn->GetCount(), 0) << "a unit of another payer";
}

TEST_F(GroupsFixture, TheConditionNamesItsFieldsAndABadPageFails) {
  Ref<IBzDjQc> qc = jt_->NewBzDjQc();
  EXPECT_FALSE(qc->SetField("djxh", kGovernment)) << "the payer is the service's, not the condition's";
  EXPECT_FALSE(qc->SetField("zbid", "12x"));
  EXPECT_FALSE(qc->SetField("zbid", "-1"));
  ASSERT_TRUE(qc->SetField("jfnd", "2024"));
  ASSERT_TRUE(qc->SetField("zbid", "7"));
  qc->SetZjlxDm("201");
  const BzDjFilter f = qc->GetFilter();
  EXPECT_EQ(f.jfnd + "/" + std::to_string(f.zbid) + "/" + f.zjlx + "/" + std::to_string(f.page), "2024/7/201/-1");
  qc->ResetCondition();
  EXPECT_EQ(qc->GetField("jfnd"), "");
  EXPECT_EQ(qc->GetField("zbid"), "");

  qc->SetPageNo(1);
  qc->SetPageSize(0);
  Ref<IJfdjItems> items = jt_->NewBzDjItems();
  EXPECT_FALSE(jt_->getBzDjItems(qc.get(), items));
  EXPECT_FALSE(items) << "no list on failure";
  EXPECT_EQ(jt_->GetErrorMessage(), "数据库查询失败。");
}

TEST_F(GroupsFixture, AnAcceptedVerdictMarksTheAcceptedHistoryParameter) {
  Ref<ISysParamIntf> params = env_->plugin().CreateService<ISysParamIntf>();
  Add(*zf_, Json{Line("FAIL0001", 100)});
  EXPECT_EQ(Verdict(*zf_, Declare(*zf_)), "3");
  params->SetDjxh(kGovernment);
  EXPECT_EQ(params->GetValue("jtbzsb_lssj"), "") << "a failed verdict marks nothing";
  Add(*jt_, Json{Line("RY0001", 100)});
  const int32_t id = Declare(*jt_);
  params->SetDjxh(kCollective);
  EXPECT_EQ(params->GetValue("jtbzsb_lssj"), "") << "submitted only";
  EXPECT_EQ(Verdict(*jt_, id), "2");
  params->SetDjxh(kCollective);
  EXPECT_EQ(params->GetValue("jtbzsb_lssj"), "1");
  params->SetDjxh(kGovernment);
  EXPECT_EQ(params->GetValue("jtbzsb_lssj"), "") << "per payer";
}

}  // namespace
}  // namespace velmor::testing
