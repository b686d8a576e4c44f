// The host's HTTP(S) client: answers over verified TLS, refusals of untrusted certificates, of
// plain http unless allowed, of time-outs, and its configuration.
#include "host/net/http_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <httplib.h>

#include "host/host_error.h"
#include "support/test_keys.h"

namespace velmor::host::net {
namespace {

using velmor::testing::GetTestKeys;

// A loopback server (TLS or plain) on a free port, answering /echo, /fail and /slow.
class Loopback {
 public:
  explicit Loopback(bool tls) {
    if (tls) server_ = std::make_unique<httplib::SSLServer>(GetTestKeys().tlsCert.c_str(), GetTestKeys().tlsKey.c_str());
    else server_ = std::make_unique<httplib::Server>();
    server_->Post("/echo", [](const httplib::Request& req, httplib::Response& res) {
      res.set_content(req.get_header_value("X-Probe") + "|" + req.body, "text/plain");
    });
    server_->Post("/fail", [](const httplib::Request&, httplib::Response& res) {
      res.status = 500;
      res.set_content("broken", "text/plain");
    });
    server_->Post("/slow", [](const httplib::Request&, httplib::Response& res) {
      std::this_thread::sleep_for(std::chrono::milliseconds(600));
      res.set_content("late", "text/plain");
    });
    port_ = server_->bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    for (int i = 0; i < 2000 && !server_->is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~Loopback() {
    server_->stop();
    thread_.join();
  }
  std::string Url(const std::string& path) const {
    return std::string(dynamic_cast<httplib::SSLServer*>(server_.get()) ? "https" : "http") + "://127.0.0.1:" +
           std::to_string(port_) + path;
  }

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
};

struct Reply {
  bool ok = false;
  int32_t status = -1;
  std::string answer, error;
};

Reply Post(const std::string& config, const std::string& url, const std::string& headers = "") {
  HttpClient client(ReadHttpClientOptions(HostConfig::Parse(config, "velmor.conf"), "velmor.conf"));
  Reply r;
  r.ok = client.Post(url, "body", headers, r.status, r.answer, r.error);
  return r;
}

std::string Trusting() { return "[https]\nca_file = " + GetTestKeys().tlsCert + "\n"; }

TEST(HttpClient, AnswersOverVerifiedTlsWithAnyStatus) {
  Loopback tls(true);
  Reply r = Post(Trusting(), tls.Url("/echo"), "X-Probe: seen\r\nContent-Type: text/plain\n");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.answer, "seen|body");
  r = Post(Trusting(), tls.Url("/fail"));
  ASSERT_TRUE(r.ok) << "an error status is still an answer: " << r.error;
  EXPECT_EQ(r.status, 500);
  EXPECT_EQ(r.answer, "broken");
}

TEST(HttpClient, RefusesAnUntrustedOrUnreadableCertificateAuthority) {
  Loopback tls(true);
  Reply r = Post("[https]\nca_file = " + GetTestKeys().otherCert + "\n", tls.Url("/echo"));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.error.rfind("服务器证书验证失败：", 0), 0u) << r.error;
  r = Post("[https]\nca_file = " + GetTestKeys().dir + "/none.pem\n", tls.Url("/echo"));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "CA证书文件无效：" + GetTestKeys().dir + "/none.pem");
  r = Post("", tls.Url("/echo"));
  EXPECT_FALSE(r.ok) << "a self-signed certificate is not in the system's trust store";
}

TEST(HttpClient, RefusesPlainHttpUnlessAllowed) {
  Loopback plain(false);
  Reply r = Post(Trusting(), plain.Url("/echo"));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "不允许以明文HTTP访问：" + plain.Url("/echo"));
  r = Post(Trusting(), "ftp://127.0.0.1/x");
  EXPECT_EQ(r.error, "地址不是https://：ftp://127.0.0.1/x");
  r = Post("[https]\nallow_http = YES\n", plain.Url("/echo"), "X-Probe: p");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.answer, "p|body");
}

TEST(HttpClient, GivesUpAfterTheTimeOut) {
  Loopback tls(true);
  Reply r = Post(Trusting() + "timeout_ms = 200\n", tls.Url("/slow"));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "请求服务器超时（200毫秒）：" + tls.Url("/slow"));
}

TEST(HttpClient, ConfigurationNamesABadValue) {
  auto message = [](const std::string& text) {
    try {
      ReadHttpClientOptions(HostConfig::Parse(text, "c"), "c");
    } catch (const HostError& e) {
      return std::string(e.what());
    }
    return std::string("<none>");
  };
  EXPECT_EQ(message("[https]\nallow_http = maybe\n"), "c: [https] allow_http must be \"yes\" or \"no\", not \"maybe\"");
  EXPECT_EQ(message("[https]\ntimeout_ms = 0\n"),
            "c: [https] timeout_ms must be an integer from 1 to 3600000, not \"0\"");
  HttpClientOptions o = ReadHttpClientOptions(HostConfig::Parse("", "c"), "c");
  EXPECT_FALSE(o.allowHttp);
  EXPECT_EQ(o.transport.timeoutMs, 30000);
  EXPECT_TRUE(o.transport.caFile.empty());
}

}  // namespace
}  // namespace velmor::host::net
