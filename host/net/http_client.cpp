#include "host/net/http_client.h"

#include <charconv>
#include <vector>

#include "host/host_error.h"
#include "host/text_util.h"

namespace velmor::host::net {
namespace {

constexpr const char* kSection = "https";

int ReadMs(const HostConfig& config, const char* key, int fallback, const std::string& origin) {
  auto text = config.Find(kSection, key);
  if (!text || text->empty()) return fallback;
  int v = 0;
  auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), v);
  if (ec != std::errc() || end != text->data() + text->size() || v < 1 || v > 3600000)
    throw HostError(origin + ": [https] " + key + " must be an integer from 1 to 3600000, not \"" + *text + "\"");
  return v;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

}  // namespace

HttpClientOptions ReadHttpClientOptions(const HostConfig& config, const std::string& origin) {
  HttpClientOptions o;
  o.transport.caFile = config.Get(kSection, "ca_file");
  const std::string allow = config.Get(kSection, "allow_http", "no");
  if (EqualsIgnoreCase(allow, "yes")) o.allowHttp = true;
  else if (!EqualsIgnoreCase(allow, "no"))
    throw HostError(origin + ": [https] allow_http must be \"yes\" or \"no\", not \"" + allow + "\"");
  o.transport.connectTimeoutMs = ReadMs(config, "connect_timeout_ms", o.transport.connectTimeoutMs, origin);
  o.transport.timeoutMs = ReadMs(config, "timeout_ms", o.transport.timeoutMs, origin);
  return o;
}

HttpClient::HttpClient(HttpClientOptions options) : options_(std::move(options)) {
  options_.transport.httpsOnly = !options_.allowHttp;
  options_.transport.anyStatus = true;
}

bool HttpClient::Post(const std::string& url, const std::string& body, const std::string& headers, int32_t& status,
                      std::string& answer, std::string& error) {
  status = 0;
  answer.clear();
  error.clear();
  // Refused here, before any connection, so that a key-signed body never travels in clear text.
  if (!StartsWith(url, "https://") && !(options_.allowHttp && StartsWith(url, "http://"))) {
    error = StartsWith(url, "http://") ? "不允许以明文HTTP访问：" + url : "地址不是https://：" + url;
    return false;
  }
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < headers.size()) {
    size_t end = headers.find('\n', start);
    if (end == std::string::npos) end = headers.size();
    std::string line = headers.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(std::move(line));
    start = end + 1;
  }
  HttpResult r = HttpPost(url, body, lines, options_.transport);
  if (!r.ok) {
    error = r.error;
    return false;
  }
  status = static_cast<int32_t>(r.httpStatus);
  answer = std::move(r.body);
  return true;
}

}  // namespace velmor::host::net
