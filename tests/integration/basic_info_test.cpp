// The residents' basic-information collection through the loaded plug-in against the simulator.
#include "residents_fixture.h"
#include "velmor/cxjmjcxxcj.h"

namespace velmor::testing {
namespace {

class BasicInfo : public ResidentsFixture {
 protected:
  BasicInfo() { Reload(true); }
  ~BasicInfo() override { jcxx_ = nullptr; }

  // The plug-in again, with the function switched on or off.
  void Reload(bool enabled) {
    jcxx_ = nullptr;
    mgr_ = nullptr;
    svc_ = nullptr;
    dao_ = nullptr;
    jdczbg_ = nullptr;
    jdczbgDao_ = nullptr;
    env_.reset();
    env_ = std::make_unique<LoadedPlugin>("[server]\nurl = " + sim_.Url() + "\n[portal]\ndjxh = " + kPayer +
                                          "\n[functions]\nM8300-01-19-01-00 = " + (enabled ? "Y" : "N") + "\n");
    jcxx_ = env_->plugin().CreateService<ICxjmjcxxcj>();
    mgr_ = env_->plugin().CreateService<IXnhMgr>();
    svc_ = env_->plugin().CreateService<IEmployeeService>();
    dao_ = env_->plugin().CreateService<IEmployeeDao>();
  }

  Ref<IJfdjItem> Person(size_t k) {
    taxsim::Person sp = SimPersonAt(k);
    Ref<IJfdjItem> p = jcxx_->NewCxjmjcxx_Ry_Item();
    p->Set("czlx", "1");
    p->Set("rydjxh", sp.rydjxh);
    p->Set("xm", sp.xm);
    p->Set("zjlxDm", sp.zjlxDm);
    p->Set("zjhm", sp.zjhm);
    p->Set("czddz", "D'Arcy路&<2>号");
    return p;
  }
  Ref<IJfdjItems> Lines(std::initializer_list<const char*> types) {
    Ref<IJfdjItems> lines = jcxx_->NewCxjmjcxx_Xz_Items();
    for (const char* t : types) {
      Ref<IJfdjItem> l = jcxx_->NewCxjmjcxx_Xz_Item();
      l->Set("xzlxDm", t);
      l->Set("sbjbjgDm", "AG1");
      l->Set("jdxzDm", "J1");
      l->Set("sqczDm", "S1");
      lines->Add(l.get());
    }
    return lines;
  }

  Ref<ICxjmjcxxcj> jcxx_;
};

TEST_F(BasicInfo, APersonIsSentAndRecordedWithTheResultOfEachLine) {
  EXPECT_TRUE(jcxx_->IsFunctionEnabled());
  Ref<IJfdjItem> p = Person(0);
  Ref<IJfdjItems> lines = Lines({"110", ""});
  ASSERT_TRUE(jcxx_->synCxjmshbxfjfdj(p.get(), lines.get(), nullptr)) << jcxx_->GetErrorMessage();
  EXPECT_GT(p->GetId(), 0);
  EXPECT_EQ(p->Get("rycode"), "00000");
  EXPECT_EQ(lines->GetRecord(0)->Get("xzcode"), "00000");
  EXPECT_EQ(lines->GetRecord(1)->Get("xzcode"), "20002");

  EXPECT_EQ(jcxx_->getCxjmjcxx_Ry_Count(nullptr), 1);
  Ref<IJfdjItems> rows = jcxx_->NewCxjmjcxx_Ry_Items();
  ASSERT_TRUE(jcxx_->getCxjmjcxx_Ry_Data(nullptr, 1, 10, rows.get())) << jcxx_->GetErrorMessage();
  ASSERT_EQ(rows->GetCount(), 1);
  EXPECT_EQ(rows->GetRecord(0)->Get("czddz"), "D'Arcy路&<2>号");
  EXPECT_FALSE(rows->GetRecord(0)->Get("tjsj").empty());
  Ref<IJfdjItems> stored = jcxx_->NewCxjmjcxx_Xz_Items();
  ASSERT_TRUE(jcxx_->getCxjmjcxx_Xz_Data(p->GetId(), stored.get()));
  ASSERT_EQ(stored->GetCount(), 2);
  EXPECT_EQ(stored->GetRecord(1)->Get("xzmessage"), "险种类型不能为空");

  Ref<IJfdjQueryCondition> qc = jcxx_->NewCxjmjcxx_Ry_QueryCondition();
  qc->SetZjhm(p->Get("zjhm").substr(2, 6));
  EXPECT_EQ(jcxx_->getCxjmjcxx_Ry_Count(qc.get()), 1);
  qc->SetXm("%");
  EXPECT_EQ(jcxx_->getCxjmjcxx_Ry_Count(qc.get()), 0) << "% is searched for, not a wildcard";
}

TEST_F(BasicInfo, RefusedAndUnreadableAnswersStillRecordThePerson) {
  Ref<IJfdjItem> p = Person(1);
  p->Set("zjhm", "");
  EXPECT_FALSE(jcxx_->synCxjmshbxfjfdj(p.get(), Lines({"110"}).get(), nullptr));
  EXPECT_EQ(jcxx_->GetErrorMessage(), "证件号码不能为空");
  EXPECT_EQ(p->Get("rycode"), "20001");

  Garble("0202");
  Ref<IJfdjItem> q = Person(2);
  EXPECT_FALSE(jcxx_->synCxjmshbxfjfdj(q.get(), Lines({"110"}).get(), nullptr));
  EXPECT_EQ(jcxx_->GetErrorMessage().rfind("反馈报文异常：", 0), 0u) << jcxx_->GetErrorMessage();
  EXPECT_EQ(q->Get("rymessage"), jcxx_->GetErrorMessage()) << "the reason is the person's message";

  Refuse("10042", "0202");
  EXPECT_FALSE(jcxx_->synCxjmshbxfjfdj(Person(3).get(), nullptr, nullptr));
  EXPECT_EQ(jcxx_->getCxjmjcxx_Ry_Count(nullptr), 3) << "every answer is recorded";
  Fault(R"({"kind": "http-error", "serviceCode": "0202"})");
  EXPECT_FALSE(jcxx_->synCxjmshbxfjfdj(Person(4).get(), nullptr, nullptr));
  EXPECT_EQ(jcxx_->getCxjmjcxx_Ry_Count(nullptr), 3) << "no answer, nothing to record";
}

TEST_F(BasicInfo, LinesOfAnotherPayersPersonStayHidden) {
  ASSERT_TRUE(dao_->ExecSQL("insert into ds_cxjmjcxxcjryb (djxh, xm) values ('OTHER', '别人')"));
  const int64_t other = std::stoll(Scalar("select id from ds_cxjmjcxxcjryb where djxh = 'OTHER'"));
  ASSERT_TRUE(dao_->ExecSQL("insert into ds_cxjmjcxxcjxzb (zbid, xzlxDm) values (" + std::to_string(other) + ", '110')"));
  Ref<IJfdjItems> lines = jcxx_->NewCxjmjcxx_Xz_Items();
  ASSERT_TRUE(jcxx_->getCxjmjcxx_Xz_Data(other, lines.get()));
  EXPECT_EQ(lines->GetCount(), 0);
  EXPECT_EQ(jcxx_->getCxjmjcxx_Ry_Count(nullptr), 0);
}

TEST_F(BasicInfo, RegistrationNumbersAndOpenLines) {
  std::string json;
  ASSERT_TRUE(jcxx_->synSbdjxhCx({SimPersonAt(0).rydjxh, "UNKNOWN"}, json)) << jcxx_->GetErrorMessage();
  nlohmann::json rows = nlohmann::json::parse(json);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0]["sbdjxh"], "S" + SimPersonAt(0).rydjxh);
  EXPECT_FALSE(jcxx_->synSbdjxhCx({}, json));
  EXPECT_EQ(jcxx_->GetErrorMessage(), "人员登记序号列表为空。");

  ASSERT_TRUE(mgr_->DjxxXz(nullptr)) << mgr_->GetErrorMessage();
  Ref<IJfdjItems> open = jcxx_->NewCxjmjcxx_Xz_Items();
  ASSERT_TRUE(jcxx_->synJfdjxzfwCx(Person(0).get(), open.get(), nullptr)) << jcxx_->GetErrorMessage();
  ASSERT_EQ(open->GetCount(), 1) << "only the line open for registration";
  EXPECT_EQ(open->GetRecord(0)->Get("ksjfny"), "2025-01");
  EXPECT_EQ(open->GetRecord(0)->Get("cbrytslbDm"), "01");

  Ref<IJfdjItem> stranger = Person(0);
  stranger->Set("rydjxh", "UNKNOWN");
  EXPECT_FALSE(jcxx_->synJfdjxzfwCx(stranger.get(), open.get(), nullptr));
  EXPECT_EQ(jcxx_->GetErrorMessage(), "城乡居民社保登记序号不存在。");
  Refuse("10009", "0203");
  EXPECT_FALSE(jcxx_->synJfdjxzfwCx(Person(0).get(), open.get(), nullptr));
  EXPECT_EQ(jcxx_->GetErrorMessage().rfind("查询城乡居民社保登记序号失败：", 0), 0u) << jcxx_->GetErrorMessage();
  Fault(R"({"kind": "not-json", "serviceCode": "0208"})");
  EXPECT_FALSE(jcxx_->synJfdjxzfwCx(Person(0).get(), open.get(), nullptr));
}

TEST_F(BasicInfo, APreviousRegistrationBecomesRecords) {
  const std::string answer = R"({"code": "00000", "ryjfDjxxList": [
      {"jfrlx": "0", "xm": "张三", "zjhm": "110", "xbDm": "1", "ryjfDjxzList": [{"xzlxDm": "110", "cbsfDm": "1"}]},
      {"jfrlx": "1", "xm": "单位", "ryjfDjxzList": [{"xzlxDm": "310"}]}]})";
  Ref<IJfdjItems> persons = jcxx_->NewCxjmjcxx_Ry_Items(), lines = jcxx_->NewCxjmjcxx_Xz_Items();
  ASSERT_TRUE(jcxx_->RyjfDjxxToItems(answer, persons.get(), lines.get())) << jcxx_->GetErrorMessage();
  ASSERT_EQ(persons->GetCount(), 1);
  EXPECT_EQ(persons->GetRecord(0)->Get("xbDm"), "1");
  ASSERT_EQ(lines->GetCount(), 1);
  EXPECT_EQ(lines->GetRecord(0)->Get("cbsf"), "1");
  EXPECT_EQ(lines->GetRecord(0)->Get("zbid"), "1");
  EXPECT_FALSE(jcxx_->RyjfDjxxToItems(R"({"code": "30001", "message": "无"})", persons.get(), lines.get()));
  EXPECT_FALSE(jcxx_->RyjfDjxxToItems("not json", persons.get(), lines.get()));
}

TEST_F(BasicInfo, OfferedOnlyWhenTheFunctionIsEnabled) {
  Reload(false);
  EXPECT_FALSE(jcxx_->IsFunctionEnabled());
  EXPECT_FALSE(jcxx_->synCxjmshbxfjfdj(Person(0).get(), nullptr, nullptr));
  EXPECT_EQ(jcxx_->GetErrorMessage(), "城乡居民基础信息采集功能未启用。");
  std::string json;
  EXPECT_FALSE(jcxx_->synSbdjxhCx({"1"}, json));
  EXPECT_EQ(jcxx_->getCxjmjcxx_Ry_Count(nullptr), 0);
}

}  // namespace
}  // namespace velmor::testing
