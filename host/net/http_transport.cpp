#include "host/net/http_transport.h"

#include <curl/curl.h>

#include <chrono>
#include <mutex>

namespace velmor::host::net {
namespace {

struct Transfer {
  CURL* curl;
  std::string* body;
  bool tooLarge = false;
  const std::atomic<bool>* cancel;
  const std::function<bool()>* tick;
  std::chrono::steady_clock::time_point lastTick;
};

size_t OnData(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  size_t n = size * count;
  if (t->body->size() + n > kMaxAnswerBytes) {
    t->tooLarge = true;
    return 0;  // makes curl stop with CURLE_WRITE_ERROR
  }
  // The announced length taken at once: grown by doubling, a body of 100 MB needs its old and
  // its new room at every step.
  curl_off_t length = 0;
  if (t->body->empty() && curl_easy_getinfo(t->curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
      length > 0 && static_cast<size_t>(length) <= kMaxAnswerBytes)
    t->body->reserve(static_cast<size_t>(length));
  t->body->append(data, n);
  return n;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* t = static_cast<Transfer*>(user);
  if (t->cancel && t->cancel->load()) return 1;
  if (t->tick && *t->tick) {
    auto now = std::chrono::steady_clock::now();
    if (now - t->lastTick >= std::chrono::milliseconds(50)) {
      t->lastTick = now;
      if (!(*t->tick)()) return 1;
    }
  }
  return 0;
}

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

HttpResult HttpPost(const std::string& url, const std::string& body, const std::vector<std::string>& headers,
                    const TransportOptions& options, const std::atomic<bool>* cancel,
                    const std::function<bool()>& tick) {
  GlobalInit();
  HttpResult result;
  CURL* curl = curl_easy_init();
  if (!curl) {
    result.error = "网络通讯失败：无法创建连接";
    return result;
  }
  curl_slist* list = nullptr;
  for (const auto& h : headers) list = curl_slist_append(list, h.c_str());
  // No "Expect: 100-continue" round trip for larger bodies.
  list = curl_slist_append(list, "Expect:");

  Transfer t{curl, &result.body, false, cancel, &tick, std::chrono::steady_clock::now()};
  char errbuf[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, options.httpsOnly ? "https" : "http,https");
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!options.caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, options.caFile.c_str());
  curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(curl, CURLOPT_POST, 1L);
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.connectTimeoutMs));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(options.timeoutMs));
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errbuf);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnData);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);

  CURLcode rc = curl_easy_perform(curl);
  std::string reason = errbuf[0] ? errbuf : curl_easy_strerror(rc);
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.httpStatus);
  curl_easy_cleanup(curl);
  curl_slist_free_all(list);

  switch (rc) {
    case CURLE_OK:
      if (result.httpStatus != 200 && !options.anyStatus) {
        result.error = "服务器应答异常：HTTP " + std::to_string(result.httpStatus);
        return result;
      }
      result.ok = true;
      return result;
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
      result.error = "无法连接服务器" + url;
      break;
    case CURLE_OPERATION_TIMEDOUT:
      result.error = "请求服务器超时（" + std::to_string(options.timeoutMs) + "毫秒）：" + url;
      break;
    case CURLE_ABORTED_BY_CALLBACK:
      result.error = "请求已取消";
      break;
    case CURLE_PEER_FAILED_VERIFICATION:
      result.error = "服务器证书验证失败：" + reason;
      break;
    case CURLE_SSL_CACERT_BADFILE:
      result.error = "CA证书文件无效：" + options.caFile;
      break;
    case CURLE_SSL_CONNECT_ERROR:
      result.error = "TLS连接失败：" + reason;
      break;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_WEIRD_SERVER_REPLY:
      result.error = "服务器应答不是HTTP：" + reason;
      break;
    case CURLE_WRITE_ERROR:
      if (t.tooLarge) {
        result.error = "服务器应答过大（超过" + std::to_string(kMaxAnswerBytes >> 20) + "MB）";
        break;
      }
      [[fallthrough]];
    default:
      result.error = "网络通讯失败：" + reason;
      break;
  }
  result.body.clear();
  return result;
}

}  // namespace velmor::host::net
