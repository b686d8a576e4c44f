#include "host/components/network_components.h"

#include <charconv>
#include <map>

#include "host/host_error.h"
#include "host/net/http_client.h"
#include "host/components/common_functions.h"
#include "host/components/portal_agent.h"
#include "host/components/return_code_message.h"
#include "host/components/serial_counter.h"
#include "host/components/syspzxx.h"
#include "velmor/common_functions.h"
#include "velmor/http_client.h"
#include "velmor/portal_agent.h"
#include "velmor/return_code_message.h"
#include "velmor/syspzxx.h"

namespace velmor::host::components {
namespace {

int ReadInt(const HostConfig& config, const char* key, int fallback, int min, int max, const std::string& origin) {
  auto text = config.Find(HostConfig::kServer, key);
  if (!text || text->empty()) return fallback;
  int v = 0;
  auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), v);
  if (ec != std::errc() || end != text->data() + text->size() || v < min || v > max)
    throw HostError(origin + ": [server] " + key + " must be an integer from " + std::to_string(min) + " to " +
                    std::to_string(max) + ", not \"" + *text + "\"");
  return v;
}

std::map<std::string, std::string> SectionMap(const HostConfig& config, const char* section) {
  std::map<std::string, std::string> out;
  for (auto& [key, value] : config.Section(section)) out[key] = value;
  return out;
}

}  // namespace

net::NetOptions ReadNetOptions(const HostConfig& config, const std::string& origin) {
  net::NetOptions o;
  o.serverUrl = config.Get(HostConfig::kServer, "url");
  if (!o.serverUrl.empty() && o.serverUrl.rfind("http://", 0) != 0 && o.serverUrl.rfind("https://", 0) != 0)
    throw HostError(origin + ": [server] url must begin with http:// or https://, not \"" + o.serverUrl + "\"");
  o.transport.connectTimeoutMs = ReadInt(config, "connect_timeout_ms", 5000, 1, 600000, origin);
  o.transport.timeoutMs = ReadInt(config, "timeout_ms", 60000, 1, 3600000, origin);
  o.batchThreads = ReadInt(config, "batch_threads", 4, 1, 64, origin);
  return o;
}

void RegisterNetworkComponents(ServiceFactory& factory, const HostConfig& config, const std::string& dataDir,
                               const std::string& origin, std::function<void(int32_t, const std::string&)> exchangeLog) {
  net::NetOptions options = ReadNetOptions(config, origin);
  net::HttpClientOptions https = net::ReadHttpClientOptions(config, origin);
  options.exchangeLog = std::move(exchangeLog);
  factory.RegisterService(INetCommIntf::kIid, Make<net::NetComm>(std::move(options)).get());
  factory.RegisterNamedService(ICommonFunctions::kIid, "Default",
                               Make<CommonFunctions>(dataDir + "/" + SerialCounter::kFileName).get());
  factory.RegisterService(IPortalAgent::kIid, Make<PortalAgent>(config.Get(HostConfig::kPortal, "djxh"),
                                                                config.Get(HostConfig::kPortal, "business_lines"))
                                                  .get());
  factory.RegisterService(IReturnCodeMessage::kIid, Make<ReturnCodeMessage>(SectionMap(config, "messages")).get());
  factory.RegisterService(IHttpClient::kIid,
                          Make<net::HttpClient>(std::move(https)).get());
  factory.RegisterService(ISyspzxxIntf::kIid,
                          Make<Syspzxx>(SectionMap(config, "syspzxx"), SectionMap(config, "functions"),
                                        SectionMap(config, "function_settings"))
                              .get());
}

}  // namespace velmor::host::components
