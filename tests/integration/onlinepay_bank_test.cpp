// Bank orders through the loaded plug-in: placed over HTTPS with signed parameters, recorded,
// followed to paid and closed; the signature checked by OpenSSL's own command line.
#include "integration/onlinepay_fixture.h"

#include <cstdlib>

namespace velmor::testing {
namespace {

using nlohmann::json;

class OnlineBank : public OnlinePayFixture {};

TEST_F(OnlineBank, AnOrderIsPlacedRecordedPaidAndClosed) {
  std::string message;
  json r = Place(Order(), message);
  ASSERT_EQ(message, "");
  ASSERT_EQ(bank_.Orders().size(), 1u);
  const taxsim::BankOrder at = bank_.Orders().front();
  EXPECT_EQ(r["spddh"], at.cmdtyOrdrNo);
  EXPECT_EQ(r["zfddh"], at.pyOrdrNo) << "the payment order number comes from the bank's reply";
  EXPECT_EQ(r["jfje"], "120.50");
  EXPECT_EQ(at.amount, "120.50");
  EXPECT_EQ(r["syturl"].get<std::string>().rfind(bank_.Url() + "/cashier?order=", 0), 0u);
  EXPECT_EQ(r["ddscrq"].get<std::string>().size(), 19u);
  EXPECT_GT(r["ddcssj"].get<std::string>(), r["ddscrq"].get<std::string>());

  json lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  for (const json& l : lines) {
    EXPECT_EQ(l["ddzt"], "0");
    EXPECT_EQ(l["zfddh"], at.pyOrdrNo);
    EXPECT_EQ(l["xm"], "O'Neil 张") << "a quote in a value is stored, not broken";
    EXPECT_EQ(l["syturl"], r["syturl"]);
  }
  EXPECT_EQ(lines[0]["zspmdm"], "102100200") << "newest first";
  EXPECT_EQ(mgr_->GetCount("{\"ddzt\":\"0\"}"), 2);
  EXPECT_EQ(json::parse(mgr_->GetAllDjfDataLb()),
            json::parse("[{\"spddh\":\"" + at.cmdtyOrdrNo + "\",\"zfddh\":\"" + at.pyOrdrNo + "\"}]"));

  std::string state;
  ASSERT_TRUE(mgr_->DoZfztCx(at.cmdtyOrdrNo, at.pyOrdrNo, state, message)) << message;
  EXPECT_EQ(json::parse(state)["ddzt"], 0);
  ASSERT_TRUE(bank_.SetOrderState(at.cmdtyOrdrNo, "paid"));
  ASSERT_TRUE(mgr_->DoZfztCx(at.cmdtyOrdrNo, at.pyOrdrNo, state, message)) << message;
  EXPECT_EQ(json::parse(state)["ddzt"], 1);
  EXPECT_EQ(mgr_->GetCount("{\"ddzt\":\"1\"}"), 2);
  EXPECT_EQ(mgr_->GetAllDjfDataLb(), "[]");
  ASSERT_TRUE(bank_.SetOrderState(at.cmdtyOrdrNo, "closed"));
  ASSERT_TRUE(mgr_->DoZfztCx(at.cmdtyOrdrNo, at.pyOrdrNo, state, message)) << message;
  EXPECT_EQ(mgr_->GetCount("{\"ddzt\":\"2\"}"), 2);

  ASSERT_TRUE(bank_.SetOrderState(at.cmdtyOrdrNo, "odd"));
  EXPECT_FALSE(mgr_->DoZfztCx(at.cmdtyOrdrNo, at.pyOrdrNo, state, message));
  EXPECT_EQ(message, "订单状态异常");
  EXPECT_EQ(mgr_->GetCount("{\"ddzt\":\"2\"}"), 2) << "an unknown state leaves the record alone";
  EXPECT_NE(env_->LogText().find("[TGrsbfjn.DoZfztCx]异常：订单状态异常"), std::string::npos);
}

TEST_F(OnlineBank, TheBodyHoldsTheParametersInOrderWithNullAndTheSignature) {
  std::string message;
  Place(Order(), message);
  ASSERT_EQ(message, "");
  ASSERT_FALSE(bank_.RecentBodies().empty());
  const nlohmann::ordered_json body = nlohmann::ordered_json::parse(bank_.RecentBodies().back());
  std::vector<std::string> keys;
  for (auto it = body.begin(); it != body.end(); ++it) keys.push_back(it.key());
  std::vector<std::string> expected(taxsim::BankOrderNames().begin(), taxsim::BankOrderNames().end());
  expected.push_back("SIGN_INF");
  EXPECT_EQ(keys, expected);
  EXPECT_TRUE(body["PyF_Crdnlt"].is_null());
  EXPECT_EQ(body["Fee_Itm_Cd"], "10212") << "item type 01";
  EXPECT_EQ(body["Strt_YrMo"], "0000") << "no start month";
  EXPECT_EQ(body["End_YrMo"], "202612");
  EXPECT_EQ(body["IttParty_Stm_ID"], "QD0001");
  EXPECT_EQ(body["SocIns_Hdl_Inst_Cd"], "S0001");
  EXPECT_EQ(body["Entp_Stff_ID"], "RB0001");
  EXPECT_EQ(body["IttParty_Tms"].get<std::string>().size(), 17u);
}

// An outside verifier: OpenSSL's command line checks the signature over the parameter text.
TEST_F(OnlineBank, OpenSslsCommandLineVerifiesTheSignature) {
  std::string message;
  Place(Order(), message);
  ASSERT_EQ(message, "");
  const nlohmann::ordered_json body = nlohmann::ordered_json::parse(bank_.RecentBodies().back());
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir.File("text"), taxsim::BankSignedText(body, taxsim::BankOrderNames())));
  ASSERT_TRUE(WriteFile(dir.File("sig.b64"), body["SIGN_INF"].get<std::string>()));
  const std::string verify = "openssl base64 -d -A -in '" + dir.File("sig.b64") + "' -out '" + dir.File("sig") +
                             "' && openssl dgst -sha256 -verify '" + GetTestKeys().signPublic + "' -signature '" +
                             dir.File("sig") + "' '" + dir.File("text") + "' > '" + dir.File("out") + "' 2>&1";
  ASSERT_EQ(std::system(verify.c_str()), 0) << ReadFile(dir.File("out"));
  EXPECT_EQ(ReadFile(dir.File("out")), "Verified OK\n");
  // A changed parameter no longer verifies.
  std::string text = ReadFile(dir.File("text"));
  text.replace(text.find("Fee_Itm_Prj_Amt=120.50"), 22, "Fee_Itm_Prj_Amt=1.00");
  ASSERT_TRUE(WriteFile(dir.File("text"), text));
  EXPECT_NE(std::system(verify.c_str()), 0);
}

TEST_F(OnlineBank, TheFeeItemCodeFollowsTheItemType) {
  for (const auto& [pmlx, code] : {std::pair{"00", "10210"}, std::pair{"01", "10212"}, std::pair{"05", "00000"}}) {
    json o = Order();
    o["pmlx"] = pmlx;
    o["ksny"] = "202601";
    std::string message;
    Place(o, message);
    ASSERT_EQ(message, "");
    const json body = json::parse(bank_.RecentBodies().back());
    EXPECT_EQ(body["Fee_Itm_Cd"], code) << pmlx;
    EXPECT_EQ(body["Strt_YrMo"], "202601");
  }
}

}  // namespace
}  // namespace velmor::testing
