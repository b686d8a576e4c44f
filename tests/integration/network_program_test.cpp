// The programs as people run them: velmor-taxsim started on a free port, `velmor init` pointing a
// data directory at it, and a host on that directory exchanging with it.
#include <gtest/gtest.h>

#include "codec/taxml_exchange.h"
#include "framework/taxml_host.h"
#include "codec/taxml_response.h"
#include "host/host.h"
#include "support/process.h"
#include "support/running_program.h"
#include "support/temp_dir.h"

namespace velmor::testing {
namespace {

TEST(NetworkPrograms, InitPointsADataDirectoryAtARunningSimulator) {
  taxsim::testing::RunningProgram sim({taxsim::testing::kTaxsimProgram, "--port", "0", "--persons", "1000"});
  std::string line = sim.FirstLine();
  const std::string prefix = "listening on ";
  ASSERT_EQ(line.rfind(prefix + "http://127.0.0.1:", 0), 0u) << line;
  std::string url = line.substr(prefix.size());

  TempDir dir;
  std::string data = dir.File("data");
  ProcessResult init = RunProcess({std::string(VELMOR_BIN_DIR) + "/velmor", "init", "--data", data, "--server", url,
                                   "--djxh", "10000000000000000001"});
  ASSERT_EQ(init.exitCode, 0) << init.err;

  host::Host h({data, false});
  h.Start();
  {
    taxml::Call call;
    call.serviceCode = "9001";
    taxml::Reply reply = taxml::Send(call);
    ASSERT_TRUE(reply.Succeeded()) << reply.error;
    taxml::Response r = taxml::Response::Read(reply);
    EXPECT_EQ(r.Value("djxh"), "10000000000000000001");
    EXPECT_EQ(r.Value("serial"), reply.yblsh);
  }
  taxml::ReleaseHostComponents();
  h.Stop();
  EXPECT_EQ(sim.Terminate(), 0);
}

}  // namespace
}  // namespace velmor::testing
