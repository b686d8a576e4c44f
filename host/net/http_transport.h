// HttpTransport: one HTTP POST through libcurl, with the host's time-outs, and every failure
// turned into a readable one-line text (docs/wire.md, "Texts of the host").
//
// Each Post uses its own curl handle and connection, so calls from several threads never share
// state; curl's global initialisation runs once. Proxies from the environment are ignored: the
// configured server address is used as is.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace velmor::host::net {

struct TransportOptions {
  int connectTimeoutMs = 5000;
  int timeoutMs = 60000;  // the whole exchange
  std::string caFile;      // trusted CA certificates (PEM); empty: the system's trust store
  bool httpsOnly = false;  // refuse every protocol but https (curl never follows to another)
  bool anyStatus = false;  // an answer of any HTTP status is a result (its body kept); else only 200
};

struct HttpResult {
  bool ok = false;        // an HTTP 200 answer (any status with anyStatus) arrived whole
  std::string error;      // why not, when !ok
  long httpStatus = 0;
  std::string body;
};

// Largest answer accepted; a longer one fails the exchange.
inline constexpr size_t kMaxAnswerBytes = size_t{512} << 20;

// Posts body to url. TLS peers are always verified (certificate and host name). `headers` are "Name: value" lines. `cancel`, when given, aborts the transfer
// as soon as it turns true; `tick`, when given, runs every 50 ms or so on the calling thread
// while the transfer is under way (the main thread lets its window repaint there) and aborts the
// transfer by answering false.
HttpResult HttpPost(const std::string& url, const std::string& body, const std::vector<std::string>& headers,
                    const TransportOptions& options, const std::atomic<bool>* cancel = nullptr,
                    const std::function<bool()>& tick = {});

}  // namespace velmor::host::net
