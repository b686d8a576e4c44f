// The host components of the network side, built from the host configuration and registered in
// the host's factory at start-up:
//
//   INetCommIntf        (unnamed)    NetComm to [server] url
//   ICommonFunctions    "Default"    CommonFunctions, serial state in <data dir>/serial.seq
//   IPortalAgent        (unnamed)    PortalAgent from [portal] djxh, business_lines
//   IReturnCodeMessage  (unnamed)    ReturnCodeMessage over [messages]
//   ISyspzxxIntf        (unnamed)    Syspzxx over [syspzxx] and [functions]
//   IHttpClient         (unnamed)    HttpClient over [https] (net/http_client.h)
//
// Settings of [server] besides url: connect_timeout_ms (default 5000), timeout_ms (60000),
// batch_threads (4). Runs on the host's main thread during Host::Start.
#pragma once

#include <functional>
#include <string>

#include "host/host_config.h"
#include "host/net/net_comm.h"
#include "host/service_factory.h"

namespace velmor::host::components {

// Raises HostError "<origin>: [server] <key> ..." for a url that is not http(s) or a setting that
// is not a number in its range.
net::NetOptions ReadNetOptions(const HostConfig& config, const std::string& origin);

// Reads the settings (raising HostError as above, before anything is registered) and registers
// the six components. `exchangeLog` records each server exchange (net::NetOptions).
void RegisterNetworkComponents(ServiceFactory& factory, const HostConfig& config, const std::string& dataDir,
                               const std::string& origin,
                               std::function<void(int32_t, const std::string&)> exchangeLog = {});

}  // namespace velmor::host::components
