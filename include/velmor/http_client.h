// IHttpClient: the host's HTTP(S) client that the plug-in calls for the few partners it reaches
// directly (the bank platform of online payment), beside the tax server's network interface.
//
// Certificates are always verified (the system's trust store, or the CA file the host
// configuration names); plain http:// addresses are refused unless the host configuration allows
// them (tests). The host owns the component; the plug-in holds it by reference. Thread-safe: each
// call uses its own connection.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/interface.h"

namespace velmor {

class IHttpClient : public IInterface {
 public:
  VELMOR_IID("{6C0B8E57-3A1F-4D2E-9B74-5E21C8F0A9D3}")
  // Posts body to url with the header lines in `headers` ("Name: value", one per line). True when
  // an answer arrived: status holds its HTTP status and answer its body, whatever the status.
  // False when none did (refused address, TLS failure, connection failure, time-out): error names
  // the cause, status is 0 and answer empty.
  virtual bool Post(const std::string& url, const std::string& body, const std::string& headers, int32_t& status,
                    std::string& answer, std::string& error) = 0;

 protected:
  ~IHttpClient() = default;
};

}  // namespace velmor
