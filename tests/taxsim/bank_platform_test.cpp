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
  BankPlatform bank({GetTestKeys().tlsCert, GetTestKeys().tlsKey, GetTestKeys().dir + "/none.pem"});
  try {
    bank.Start();
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "无法读取文件：" + GetTestKeys().dir + "/none.pem");
  }
}

}  // namespace
}  // namespace velmor::taxsim
