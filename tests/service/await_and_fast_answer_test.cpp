// The toolkit's waiting for one asynchronous job within a patience (AwaitJob) and the fast reading
// of a taxML list answer (FastListAnswer), against the simulator.
#include <gtest/gtest.h>

#include "codec/base64.h"
#include "codec/gzip.h"
#include "codec/taxml_exchange.h"
#include "framework/host_access.h"
#include "integration/taxml_fixture.h"
#include "service/async_exchange.h"
#include "service/async_jobs.h"
#include "service/fast_answer.h"
#include "taxsim/faults.h"

namespace velmor::testing {
namespace {

using namespace std::chrono_literals;

class AwaitJobTest : public TaxmlFixture {
 protected:
  void SetUp() override {
    sim_.Handlers().Add("0098", [](const taxsim::Call&, taxsim::State&) {
      taxsim::TaxmlAnswer doc;
      pugi::xml_node list = doc.AddList("rowList");
      for (const char* v : {"a", "b"}) taxsim::TaxmlAnswer::AddValue(taxsim::TaxmlAnswer::AddRow(list, "rowDTO"), "v", v);
      return taxsim::Answer::Taxml(std::move(doc));
    });
  }
  std::string Submit() {
    taxml::Call call;
    call.serviceCode = "0098";
    return service::SubmitJob(*GetNetComm(), call, kDjxh);
  }
};

// A job's answer is its data (a gzip member) or a taxML reply, which fails the job only when it
// names a failure; the data is known by its first bytes however long the answer.
TEST_F(AwaitJobTest, RequireJobDataTellsDataFromAFailure) {
  std::string big(3 << 20, 'x');
  EXPECT_NO_THROW(RequireJobData(Base64Encode(GzipCompress(big))));
  EXPECT_NO_THROW(RequireJobData(Base64Encode(GzipCompress(""))));
  const std::string refused = Base64Encode("<taxML><code>10042</code><message>重复申报</message></taxML>");
  try {
    RequireJobData(refused);
    ADD_FAILURE() << "a failure reply passed";
  } catch (const taxml::Failure& f) {
    EXPECT_NE(std::string(f.what()).find("10042"), std::string::npos) << f.what();
  }
  EXPECT_NO_THROW(RequireJobData(Base64Encode(std::string("<taxML><code>") + taxml::kSuccessCode + "</code></taxML>")));
  for (const char* odd : {"", "H4", "%%%%", "H4sI%%%%", "null"}) EXPECT_NO_THROW(RequireJobData(odd)) << odd;
}

TEST_F(AwaitJobTest, AnswersWithinThePatienceOrTellsItRanOut) {
  const std::string serial = Submit();
  std::optional<std::string> text = service::AwaitJob(*GetNetComm(), "0098", serial, 5000ms, 20ms, nullptr);
  ASSERT_TRUE(text.has_value());
  const auto rows = service::FastListAnswer(*text, "rowList", false);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1]["v"], "b");
  EXPECT_THROW(service::FastListAnswer(*text, "otherList", false), taxml::Failure);
  // One row at a time: the same rows, counted before they are walked.
  const service::FastList list(*text, "rowList", false);
  EXPECT_EQ(list.Count(), 2u);
  nlohmann::ordered_json walked = nlohmann::ordered_json::array();
  list.ForEach([&](const nlohmann::ordered_json& row) { walked.push_back(row); });
  EXPECT_EQ(walked, rows);
  EXPECT_THROW(service::FastList(*text, "otherList", false), taxml::Failure);

  sim_.Faults().Add(taxsim::ParseFault({{"kind", "pending"}, {"polls", -1}, {"serviceCode", "0098"}}));
  const std::string stuck = Submit();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(service::AwaitJob(*GetNetComm(), "0098", stuck, 60ms, 20ms, nullptr).has_value());
  EXPECT_GE(std::chrono::steady_clock::now() - start, 60ms);
  // Unknown to the server: a failure, not "still pending".
  EXPECT_THROW(service::AwaitJob(*GetNetComm(), "0098", "NO-SUCH", 60ms, 20ms, nullptr), taxml::Failure);
}

TEST_F(AwaitJobTest, FastListAnswerRefusesOtherCodesAndBadText) {
  sim_.Faults().Add(taxsim::ParseFault({{"kind", "code"}, {"code", "30001"}, {"message", "x"}, {"serviceCode", "0098"}}));
  std::optional<std::string> text = service::AwaitJob(*GetNetComm(), "0098", Submit(), 5000ms, 20ms, nullptr);
  ASSERT_TRUE(text.has_value());
  try {
    service::FastList(*text, "rowList", false);
    ADD_FAILURE() << "refused code read as data";
  } catch (const taxml::Failure& e) {
    EXPECT_EQ(std::string(e.what()).rfind("【30001】", 0), 0u) << e.what();
  }
  EXPECT_ANY_THROW(service::FastListAnswer(Base64Encode("<taxML><code>00000"), "rowList", false));
  EXPECT_ANY_THROW(service::FastList(Base64Encode("<taxML><code>00000"), "rowList", false));
}

}  // namespace
}  // namespace velmor::testing
