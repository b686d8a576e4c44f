// SbfjnService: the host's ISbfjnService. Forwards its two queries to the tax server through the
// host's network interface as JSON exchanges under the service codes kArrearsCode and
// kVoucherStateCode (docs/wire.md), with a serial from the common functions.
//
// Thread-safe: every call takes its own network connection and request.
#pragma once

#include "velmor/common_functions.h"
#include "velmor/net_comm.h"
#include "velmor/object.h"
#include "velmor/ref.h"
#include "velmor/sbfjn_service.h"

namespace velmor::host::components {

class SbfjnService final : public Object<ISbfjnService> {
 public:
  static constexpr const char* kArrearsCode = "0901";
  static constexpr const char* kVoucherStateCode = "0902";

  SbfjnService(Ref<INetCommIntf> net, Ref<ICommonFunctions> common);

  bool GetQfxxByYzpzxh(const std::string& djxh, const std::string& yzpzxhList, const std::string& flag,
                       std::string& answer, std::string& error) override;
  bool GetDzsphmZt(const std::string& djxh, const std::string& kjrqq, const std::string& kjrqz, std::string& list,
                   std::string& error) override;

 private:
  // One exchange; the answer's JSON text, or false with the reason.
  bool Exchange(const char* code, const std::string& body, std::string& answer, std::string& error);

  const Ref<INetCommIntf> net_;
  const Ref<ICommonFunctions> common_;
};

}  // namespace velmor::host::components
