// The simulated bank on its own: it verifies signatures over the parameters rebuilt in order,
// refuses what it cannot verify, and its control routes refuse what they do not know.
#include "taxsim/bank/bank_platform.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <httplib.h>

#include "support/temp_dir.h"
#include "support/test_keys.h"

namespace velmor::taxsim {
namespace {

using velmor::testing::GetTestKeys;
using velmor::testing::ReadFile;
using Json = nlohmann::ordered_json;

class Bank : public ::testing::Test {
 protected:
  Bank() : bank_({GetTestKeys().tlsCert, GetTestKeys().tlsKey, GetTestKeys().signPublic}) { bank_.Start(); }
  Json Post(const std::string& path, const std::string& body) {
    httplib::SSLClient client("127.0.0.1", bank_.Port());
    client.set_ca_cert_path(GetTestKeys().tlsCert.c_str());
    client.enable_server_certificate_verification(true);
    auto res = client.Post(path.c_str(), body, "application/json");
    if (!res) return Json{{"transport", "failed"}};
    return Json::parse(res->body, nullptr, false);
  }
  BankPlatform bank_;
};

TEST(BankText, RebuildsTheParametersInTheirOrder) {
  const Json body = {{"Py_Ordr_No", "PY1"}, {"VNo", "2"}, {"Cmdty_Ordr_No", nullptr}, {"SIGN_INF", "x"}};
  EXPECT_EQ(BankSignedText(body, BankEnquiryNames()), "VNo=2&Sgn_Algr=&Cmdty_Ordr_No=null&Py_Ordr_No=PY1");
  EXPECT_EQ(BankOrderNames().size(), 37u);
}

TEST(BankText, AMalformedSignatureIsNoSignature) {
  const std::string pub = ReadFile(GetTestKeys().signPublic);
  EXPECT_FALSE(BankVerify(pub, "text", "not base64!"));
  EXPECT_FALSE(BankVerify(pub, "text", "QUJD"));
  EXPECT_THROW(BankVerify("no key", "text", "QUJD"), std::runtime_error);
}

TEST_F(Bank, RefusesUnsignedOrUnreadableRequests) {
  EXPECT_EQ(Post("/online/socialorder", R"({"VNo":"2","Cmdty_Ordr_No":"S1"})")["Rsp_Inf"], "验签失败");
  EXPECT_EQ(Post("/online/enquireorder", "[]")["Rsp_Inf"], "请求报文不是JSON对象");
  EXPECT_TRUE(bank_.Orders().empty());
}

TEST_F(Bank, ControlRoutesRefuseWhatTheyDoNotKnow) {
  EXPECT_EQ(Post("/_bank/faults", R"({"kind":"explode"})")["error"], "unknown fault kind: explode");
  EXPECT_EQ(Post("/_bank/faults", R"({"kind":"http-error"})")["ok"], true);
  EXPECT_EQ(Post("/_bank/state", R"({"Cmdty_Ordr_No":"S-NONE","state":"paid"})")["ok"], false);
  EXPECT_FALSE(bank_.SetOrderState("S-NONE", "paid"));
  httplib::SSLClient client("127.0.0.1", bank_.Port());
  client.set_ca_cert_path(GetTestKeys().tlsCert.c_str());
  client.enable_server_certificate_verification(true);
  auto res = client.Post("/online/socialorder", "{}", "application/json");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 500) << "the queued fault";
}

TEST(BankStart, NamesAMissingFile) {
  BankPlatform bank({GetTestKeys().tlsCert, GetTestKeys().dir + "/none.pem", GetTestKeys().signPublic});
  try {
    bank.Start();
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "无法读取文件：" + GetTestKeys().dir + "/none.pem");
  }
  BankPlatform keyless({GetTestKeys().tlsCert, GetTestKeys().tlsKey, ""});
  EXPECT_THROW(keyless.Start(), std::runtime_error);
}

// The merchant's key may be handed over after the bank started: until a file that reads as a
// public key is there, signed requests are refused naming it; then it is used.
TEST(BankStart, ReadsTheMerchantKeyWhenFirstNeeded) {
  velmor::testing::TempDir dir;
  const std::string key = dir.path() + "/merchant.pem";
  BankPlatform bank({GetTestKeys().tlsCert, GetTestKeys().tlsKey, key});
  ASSERT_NO_THROW(bank.Start());
  auto post = [&](const std::string& body) {
    httplib::SSLClient client("127.0.0.1", bank.Port());
    client.set_ca_cert_path(GetTestKeys().tlsCert.c_str());
    client.enable_server_certificate_verification(true);
    auto res = client.Post("/online/enquireorder", body, "application/json");
    return res ? Json::parse(res->body, nullptr, false) : Json{{"transport", "failed"}};
  };
  const std::string unsigned_ = R"({"VNo":"2","Cmdty_Ordr_No":"S1","Py_Ordr_No":"P1","SIGN_INF":"QUJD"})";
  EXPECT_EQ(post(unsigned_)["Rsp_Inf"], "商户公钥不可用：" + key) << "no file yet";
  const std::string pem = ReadFile(GetTestKeys().signPublic);
  velmor::testing::WriteFile(key, pem.substr(0, pem.size() / 2));
  EXPECT_EQ(post(unsigned_)["Rsp_Cd"], "E105") << "half written";
  velmor::testing::WriteFile(key, pem);
  EXPECT_EQ(post(unsigned_)["Rsp_Inf"], "验签失败") << "the key is read and the signature checked";
}

}  // namespace
}  // namespace velmor::taxsim
