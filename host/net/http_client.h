// HttpClient: the host's IHttpClient on libcurl (http_transport.h), configured by the
// "[https]" section of the host configuration (docs/host-config.md):
//   ca_file            trusted CA certificates (PEM); unset: the system's trust store
//   allow_http         "yes" lets plain http:// addresses through (tests); default "no"
//   connect_timeout_ms time allowed to connect, default 5000
//   timeout_ms         time allowed for a whole exchange, default 30000
//
// Immutable after construction; thread-safe (each Post has its own connection).
#pragma once

#include <cstdint>
#include <string>

#include "host/host_config.h"
#include "host/net/http_transport.h"
#include "velmor/http_client.h"
#include "velmor/object.h"

namespace velmor::host::net {

struct HttpClientOptions {
  HttpClientOptions() { transport.timeoutMs = 30000; }
  TransportOptions transport;
  bool allowHttp = false;
};

// Reads "[https]"; raises HostError "<origin>: [https] ..." naming a bad value.
HttpClientOptions ReadHttpClientOptions(const HostConfig& config, const std::string& origin);

class HttpClient final : public Object<IHttpClient> {
 public:
  explicit HttpClient(HttpClientOptions options);

  bool Post(const std::string& url, const std::string& body, const std::string& headers, int32_t& status,
            std::string& answer, std::string& error) override;

 private:
  HttpClientOptions options_;
};

}  // namespace velmor::host::net
