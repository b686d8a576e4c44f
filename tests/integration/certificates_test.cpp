// Payment-detail certificates through the exports: paid lines with their identities, a
// certificate issued, found, checked and voided, and every failure of the five exchanges.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "business/error_info.h"
#include "support/host_fixture.h"
#include "taxsim/faults.h"
#include "taxsim/simulator.h"
#include "velmor/error_info.h"
#include "velmor/shbxfjfmxzm.h"

namespace velmor::testing {
namespace {

const std::string kPayer = "10000000000000000001";

class CertificatesTest : public ::testing::Test {
 protected:
  CertificatesTest() : sim_(Options()) {
    sim_.Start();
    env_ = std::make_unique<LoadedPlugin>("[server]\nurl = " + sim_.Url() + "\n[portal]\ndjxh = " + kPayer + "\n");
    zm_ = env_->plugin().CreateService<IShbxfjfmxzm>();
    error_ = Ref<IErrorInfo>(static_cast<IErrorInfo*>(New<TErrorInfo>().get()));
    auto person = sim_.WithState([](taxsim::State& s) { return s.persons.front(); });
    rydjxh_ = person.rydjxh;
    xm_ = person.xm;
    zjhm_ = person.zjhm;
  }
  ~CertificatesTest() override {
    zm_ = nullptr;
    error_ = nullptr;
    env_.reset();
  }
  static taxsim::SimulatorOptions Options() {
    taxsim::SimulatorOptions o;
    o.generate.persons = 3;
    o.generate.payers = 1;
    o.generate.seed = 5;
    return o;
  }
  void Fault(const std::string& json) { sim_.Faults().Add(taxsim::ParseFault(nlohmann::json::parse(json))); }
  Ref<IItems> Lines() {
    Ref<IItems> lines;
    EXPECT_TRUE(zm_->synSbfzrrjfqdCx(rydjxh_, nullptr, lines, error_.get())) << error_->GetErrorMsg();
    return lines;
  }
  static std::string Prop(const Ref<IInterface>& item, const char* name) {
    return Query<IBusinessObject>(item)->GetPropTextByName(name);
  }

  taxsim::Simulator sim_;
  std::unique_ptr<LoadedPlugin> env_;
  Ref<IShbxfjfmxzm> zm_;
  Ref<IErrorInfo> error_;
  std::string rydjxh_, xm_, zjhm_;
};

TEST_F(CertificatesTest, PaidLinesCarryTheirIdentityAndIssueState) {
  Ref<IItems> lines = Lines();
  ASSERT_GE(lines->GetCount(), 1);
  std::set<std::string> ids;
  for (int32_t i = 0; i < lines->GetCount(); ++i) {
    Ref<IBusinessObject> line = Query<IBusinessObject>(lines->GetItem(i));
    EXPECT_EQ(line->GetPropTextByName("id").size(), 32u);
    EXPECT_EQ(line->GetPropTextByName("id"), zm_->GetJfqdId(line.get()));
    ids.insert(line->GetPropTextByName("id"));
  }
  EXPECT_EQ(ids.size(), static_cast<size_t>(lines->GetCount()));
  // The server put the last line on a certificate already.
  Ref<IInterface> last = lines->GetItem(lines->GetCount() - 1);
  EXPECT_EQ(zm_->GetKjztMc(Prop(last, "pzhm")), "已开具");
  EXPECT_EQ(zm_->GetKjztMc(""), "未开具");

  // One field apart: another identity.
  Ref<IShbxfjfmxRecord> a = zm_->NewSbfjfqdItem(), b = zm_->NewSbfjfqdItem();
  a->SetPropTextByName("yzpzxh", "1");
  b->SetPropTextByName("yzpzxh", "1");
  EXPECT_EQ(zm_->GetJfqdId(a.get()), zm_->GetJfqdId(b.get()));
  b->SetPropTextByName("fkssqz", "2025-12-31");
  EXPECT_NE(zm_->GetJfqdId(a.get()), zm_->GetJfqdId(b.get()));
  EXPECT_NE(env_->LogText().find("TShbxfjfmxzm.synSbfzrrjfqdCx"), std::string::npos);
}

TEST_F(CertificatesTest, IssueFindCheckAndVoid) {
  Ref<IItems> lines = Lines();
  ASSERT_GE(lines->GetCount(), 2) << "the generated person needs two insured items";
  Ref<IItems> chosen = zm_->NewSbfjfqdItems();
  chosen->Add(lines->GetItem(0).get());
  Ref<IShbxfjfmxRecord> cert;
  ASSERT_TRUE(zm_->synShbxfjfmxdyqq(rydjxh_, chosen.get(), nullptr, cert, error_.get())) << error_->GetErrorMsg();
  const std::string pzhm = cert->GetPropTextByName("pzhm");
  EXPECT_FALSE(pzhm.empty());
  EXPECT_EQ(cert->GetPropTextByName("nsrmc"), xm_);
  ASSERT_EQ(cert->GetMxList()->GetCount(), 1);
  EXPECT_EQ(Prop(cert->GetMxList()->GetItem(0), "yzpzxh"), Prop(lines->GetItem(0), "yzpzxh"));
  EXPECT_EQ(Prop(Lines()->GetItem(0), "pzhm"), pzhm);

  // The same line twice: refused by the server.
  EXPECT_FALSE(zm_->synShbxfjfmxdyqq(rydjxh_, chosen.get(), nullptr, cert, error_.get()));
  EXPECT_EQ(error_->GetErrorMsg().rfind("【30175】", 0), 0u) << error_->GetErrorMsg();
  EXPECT_FALSE(zm_->synShbxfjfmxdyqq(rydjxh_, zm_->NewSbfjfqdItems().get(), nullptr, cert, error_.get()));
  EXPECT_EQ(error_->GetErrorMsg(), "请选择要开具证明的缴费记录。");

  Ref<IItems> found;
  ASSERT_TRUE(zm_->synShbxfjfmxzmCx(rydjxh_, "", nullptr, found, error_.get())) << error_->GetErrorMsg();
  EXPECT_EQ(found->GetCount(), 2);
  ASSERT_TRUE(zm_->synShbxfjfmxzmCx(rydjxh_, pzhm, nullptr, found, error_.get()));
  ASSERT_EQ(found->GetCount(), 1);
  Ref<IShbxfjfmxRecord> one = Query<IShbxfjfmxRecord>(found->GetItem(0));
  EXPECT_EQ(one->GetMxList()->GetCount(), 1);

  Ref<IShbxfjfmxRecord> checked;
  ASSERT_TRUE(zm_->synShbxfjfmxzmcy(pzhm, zjhm_, xm_, nullptr, checked, error_.get())) << error_->GetErrorMsg();
  EXPECT_EQ(zm_->GetPzztMc(checked->GetPropTextByName("pzztDm")), "正常");
  EXPECT_EQ(checked->GetPropTextByName("zxcs"), "1");
  EXPECT_EQ(zm_->GetJfztMc(Prop(checked->GetMxList()->GetItem(0), "jfzt")), "正常");
  EXPECT_FALSE(zm_->synShbxfjfmxzmcy(pzhm, "X", xm_, nullptr, checked, error_.get()));
  EXPECT_EQ(error_->GetErrorMsg(), "【30180】纳税人信息与证明不符");

  ASSERT_TRUE(zm_->synShbxfjfmxzmzf(rydjxh_, pzhm, nullptr, error_.get())) << error_->GetErrorMsg();
  ASSERT_TRUE(zm_->synShbxfjfmxzmcy(pzhm, zjhm_, xm_, nullptr, checked, error_.get()));
  EXPECT_EQ(zm_->GetPzztMc(checked->GetPropTextByName("pzztDm")), "已作废");
  EXPECT_FALSE(zm_->synShbxfjfmxzmzf(rydjxh_, pzhm, nullptr, error_.get()));
  EXPECT_EQ(error_->GetErrorMsg().rfind("【30178】", 0), 0u);
  EXPECT_EQ(Prop(Lines()->GetItem(0), "pzhm"), "");  // free again
  EXPECT_FALSE(zm_->synShbxfjfmxzmzf(rydjxh_, "ZM-NONE", nullptr, error_.get()));
  EXPECT_EQ(error_->GetErrorMsg().rfind("【30177】", 0), 0u);
}

TEST_F(CertificatesTest, FailuresOfEveryExchange) {
  Ref<IItems> lines;
  Fault(R"({"kind":"code","code":"30999","message":"系统维护","serviceCode":"0174"})");
  EXPECT_FALSE(zm_->synSbfzrrjfqdCx(rydjxh_, nullptr, lines, error_.get()));
  EXPECT_EQ(error_->GetErrorMsg(), "【30999】系统维护");
  EXPECT_EQ(error_->GetErrorCode(), -1);
  EXPECT_EQ(lines->GetCount(), 0);
  Fault(R"({"kind":"drop-list","list":"sbfjfqdList","serviceCode":"0174"})");
  EXPECT_FALSE(zm_->synSbfzrrjfqdCx(rydjxh_, nullptr, lines, error_.get()));
  EXPECT_EQ(error_->GetErrorMsg(), "反馈报文缺少<sbfjfqdList>节点。");
  Fault(R"({"kind":"bad-base64","serviceCode":"0174"})");
  EXPECT_FALSE(zm_->synSbfzrrjfqdCx(rydjxh_, nullptr, lines, error_.get()));
  EXPECT_EQ(error_->GetErrorMsg().rfind("反馈报文异常：", 0), 0u) << error_->GetErrorMsg();
  EXPECT_NE(env_->LogText().find("[TShbxfjfmxzm.synSbfzrrjfqdCx.parseResp]异常："), std::string::npos);
  Fault(R"({"kind":"refuse","code":"10009","message":"服务不可用","serviceCode":"0174"})");
  EXPECT_FALSE(zm_->synSbfzrrjfqdCx(rydjxh_, nullptr, lines, error_.get()));
  EXPECT_NE(error_->GetErrorMsg().find("服务不可用"), std::string::npos) << error_->GetErrorMsg();
  EXPECT_FALSE(zm_->synSbfzrrjfqdCx("nobody", nullptr, lines, error_.get()));
  EXPECT_EQ(error_->GetErrorMsg(), "【30174】未查询到缴费人");

  Ref<IItems> found;
  Fault(R"({"kind":"drop-list","list":"sbfCyhsbfZmList","serviceCode":"0176"})");
  EXPECT_FALSE(zm_->synShbxfjfmxzmCx(rydjxh_, "", nullptr, found, error_.get()));
  EXPECT_EQ(error_->GetErrorMsg(), "反馈报文缺少<sbfCyhsbfZmList>节点。");
  Ref<IShbxfjfmxRecord> checked;
  Fault(R"({"kind":"bad-base64","serviceCode":"0178"})");
  EXPECT_FALSE(zm_->synShbxfjfmxzmcy("ZM1", "1", "x", nullptr, checked, error_.get()));
  EXPECT_EQ(error_->GetErrorMsg().rfind("反馈报文异常：", 0), 0u);
  EXPECT_FALSE(zm_->synShbxfjfmxzmcy("ZM-NONE", "1", "x", nullptr, checked, error_.get()));
  EXPECT_EQ(error_->GetErrorMsg().rfind("【30179】", 0), 0u);
  Fault(R"({"kind":"code","code":"30177","message":"不能作废","serviceCode":"0177"})");
  EXPECT_FALSE(zm_->synShbxfjfmxzmzf(rydjxh_, "ZM1", nullptr, error_.get()));
  EXPECT_EQ(error_->GetErrorMsg(), "【30177】不能作废");
}

TEST_F(CertificatesTest, FactoriesAndDisplayNames) {
  for (auto record : {zm_->NewShbxfjfmxdyItem(), zm_->NewShbxfjfmxdymxItem(), zm_->NewShbxfjfmxzmItem(),
                      zm_->NewShbxfjfmxzmmxItem(), zm_->NewShbxfjfmxzmcyItem(), zm_->NewShbxfjfmxzmcymxItem()}) {
    ASSERT_TRUE(record);
    EXPECT_EQ(record->GetMxList()->GetCount(), 0);
  }
  EXPECT_TRUE(zm_->NewShbxfjfmxzmcymxItem()->HasProperty("jfzt"));
  EXPECT_TRUE(zm_->NewShbxfjfmxzmcyItem()->HasProperty("pzztDm"));
  for (auto list : {zm_->NewShbxfjfmxdymxItems(), zm_->NewShbxfjfmxzmItems(), zm_->NewShbxfjfmxzmmxItems(),
                    zm_->NewShbxfjfmxzmcymxItems()})
    EXPECT_EQ(list->GetCount(), 0);
  EXPECT_EQ(zm_->GetJfztMc("1"), "已退费");
  EXPECT_EQ(zm_->GetJfztMc("2"), "部分退费");
  EXPECT_EQ(zm_->GetJfztMc("9"), "");
  EXPECT_EQ(zm_->GetPzztMc("0"), "正常");
  EXPECT_EQ(zm_->GetJfqdId(nullptr), "");
}

}  // namespace
}  // namespace velmor::testing
