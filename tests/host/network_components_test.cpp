// The portal agent, return-code messages and system configuration, the network settings of the
// host configuration, and their registration when the host starts.
#include "host/components/network_components.h"

#include <gtest/gtest.h>

#include "host/host_error.h"
#include "host/components/portal_agent.h"
#include "host/components/return_code_message.h"
#include "host/components/syspzxx.h"
#include "support/host_fixture.h"
#include "velmor/common_functions.h"
#include "velmor/portal_agent.h"
#include "velmor/return_code_message.h"
#include "velmor/syspzxx.h"

namespace velmor::testing {
namespace {

using host::HostConfig;

TEST(PortalAgent, DjxhAndBusinessLines) {
  Ref<host::components::PortalAgent> p = Make<host::components::PortalAgent>("10000000000000000001", " 5, 8,,9 ,5");
  EXPECT_EQ(p->GetDjxh(), "10000000000000000001");
  EXPECT_EQ(p->GetBusinessLines(), (std::vector<std::string>{"5", "8", "9"}));
  EXPECT_TRUE(p->IsBusinessLineEnabled("8"));
  EXPECT_FALSE(p->IsBusinessLineEnabled("7"));
  EXPECT_TRUE(Make<host::components::PortalAgent>("", "")->GetBusinessLines().empty());
}

TEST(ReturnCodeMessage, MapsConfiguredCodesAndKeepsTheRest) {
  Ref<host::components::ReturnCodeMessage> m =
      Make<host::components::ReturnCodeMessage>(std::map<std::string, std::string>{{"10042", "已受理，请稍后查询"}, {"0046.FDA", "验证失败"}});
  EXPECT_EQ(m->RenderMessage("10042", "server text"), "已受理，请稍后查询");
  EXPECT_EQ(m->RenderMessage("30035", "已作废"), "已作废");
  EXPECT_EQ(m->RenderMessage("", "text"), "text");
  EXPECT_EQ(m->GetCodeMessage("FDA", "0046"), "验证失败");
  EXPECT_EQ(m->GetCodeMessage("fda", "0046"), "验证失败") << "keys compare without regard to case";
  EXPECT_EQ(m->GetCodeMessage("FDA", "0047"), "");
  EXPECT_EQ(m->GetCodeMessage("", "0046"), "");
}

TEST(Syspzxx, FunctionsAndValues) {
  Ref<host::components::Syspzxx> s = Make<host::components::Syspzxx>(std::map<std::string, std::string>{{"ENABLE_CXJMYTB", "Y"}},
                                                       std::map<std::string, std::string>{{"0053", "y"}, {"0054", "N"}});
  EXPECT_EQ(s->GetValue("ENABLE_CXJMYTB"), "Y");
  EXPECT_EQ(s->GetValue("enable_cxjmytb"), "Y");
  EXPECT_EQ(s->GetValue("ENABLE_CXJMCXSJYJFE"), "");
  EXPECT_TRUE(s->IsFunctionEnabled("0053"));
  EXPECT_FALSE(s->IsFunctionEnabled("0054"));
  EXPECT_FALSE(s->IsFunctionEnabled("0055"));
}

std::string OptionsError(const std::string& text) {
  try {
    host::components::ReadNetOptions(HostConfig::Parse(text, "velmor.conf"), "velmor.conf");
  } catch (const host::HostError& e) {
    return e.what();
  }
  return "read";
}

TEST(NetworkSettings, DefaultsAndLimits) {
  auto o = host::components::ReadNetOptions(HostConfig::Parse("", "c"), "c");
  EXPECT_EQ(o.serverUrl, "");
  EXPECT_EQ(o.transport.connectTimeoutMs, 5000);
  EXPECT_EQ(o.transport.timeoutMs, 60000);
  EXPECT_EQ(o.batchThreads, 4);
  o = host::components::ReadNetOptions(
      HostConfig::Parse("[server]\nurl = http://127.0.0.1:9\ntimeout_ms = 250\nbatch_threads = 8\n", "c"), "c");
  EXPECT_EQ(o.serverUrl, "http://127.0.0.1:9");
  EXPECT_EQ(o.transport.timeoutMs, 250);
  EXPECT_EQ(o.batchThreads, 8);

  EXPECT_EQ(OptionsError("[server]\nurl = 127.0.0.1:9\n"),
            "velmor.conf: [server] url must begin with http:// or https://, not \"127.0.0.1:9\"");
  EXPECT_EQ(OptionsError("[server]\ntimeout_ms = soon\n"),
            "velmor.conf: [server] timeout_ms must be an integer from 1 to 3600000, not \"soon\"");
  EXPECT_EQ(OptionsError("[server]\nbatch_threads = 0\n"),
            "velmor.conf: [server] batch_threads must be an integer from 1 to 64, not \"0\"");
  EXPECT_EQ(OptionsError("[server]\nconnect_timeout_ms = 10x\n"),
            "velmor.conf: [server] connect_timeout_ms must be an integer from 1 to 600000, not \"10x\"");
}

TEST(NetworkComponents, TheHostRegistersThemFromItsConfiguration) {
  StartedHost env(
      "[server]\nurl = http://127.0.0.1:1\n[portal]\ndjxh = 10000000000000000001\nbusiness_lines = 5,9\n"
      "[messages]\n10042 = 已受理\n[syspzxx]\nENABLE_CXJMYTB = Y\n[functions]\n0053 = Y\n"
      "[function_settings]\n0053.yjgl.Y = n\n0054.yjgl.N = Y\n");
  auto& f = env.factory();
  auto net = Query<INetCommIntf>(f.FindService(INetCommIntf::kIid));
  ASSERT_TRUE(net);
  auto common = Query<ICommonFunctions>(f.FindNamedService(ICommonFunctions::kIid, "Default"));
  ASSERT_TRUE(common);
  std::string serial = common->NewSerialNo();
  EXPECT_EQ(serial.substr(14), "0000000000000001");
  EXPECT_FALSE(ReadFile(env.dataDir() + "/serial.seq").empty()) << "the counter lives in the data directory";
  auto portal = Query<IPortalAgent>(f.FindService(IPortalAgent::kIid));
  ASSERT_TRUE(portal);
  EXPECT_EQ(portal->GetDjxh(), "10000000000000000001");
  EXPECT_TRUE(portal->IsBusinessLineEnabled("9"));
  auto messages = Query<IReturnCodeMessage>(f.FindService(IReturnCodeMessage::kIid));
  ASSERT_TRUE(messages);
  EXPECT_EQ(messages->RenderMessage("10042", "x"), "已受理");
  auto sys = Query<ISyspzxxIntf>(f.FindService(ISyspzxxIntf::kIid));
  ASSERT_TRUE(sys);
  EXPECT_TRUE(sys->IsFunctionEnabled("0053"));
  EXPECT_EQ(sys->GetValue("ENABLE_CXJMYTB"), "Y");
  // A scheme setting's own switch wins; without one the function's.
  EXPECT_FALSE(sys->IsFunctionEnabledFor("0053", "YJGL", "Y"));
  EXPECT_TRUE(sys->IsFunctionEnabledFor("0053", "yjgl", "N"));
  EXPECT_TRUE(sys->IsFunctionEnabledFor("0054", "yjgl", "N"));
  EXPECT_FALSE(sys->IsFunctionEnabledFor("0054", "yjgl", "Y"));

  Ref<IRequest> r = net->CreateRequest();
  r->SetServiceCode("9001");
  EXPECT_EQ(net->Execute(r.get(), nullptr, 0, 0, 0), -1);
  EXPECT_EQ(net->GetLastErrorText(), "无法连接服务器http://127.0.0.1:1/service/9001") << "the configured address";
}

TEST(NetworkComponents, ABadNetworkSettingStopsTheHostStart) {
  try {
    StartedHost env("[server]\nurl = tcp://x\n");
    ADD_FAILURE() << "started";
  } catch (const host::HostError& e) {
    std::string what = e.what();
    EXPECT_NE(what.find("velmor.conf: [server] url must begin with http:// or https://, not \"tcp://x\""),
              std::string::npos)
        << what;
  }
}

}  // namespace
}  // namespace velmor::testing
