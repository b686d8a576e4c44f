// ReturnCodeMessage: the host's IReturnCodeMessage over a table from the host configuration
// ("[messages]": "10042 = text" maps a result code, "0046.FDA = text" a return code under a
// service code). Codes compare without regard to ASCII case, like every configuration key.
//
// Immutable after construction; thread-safe.
#pragma once

#include <map>
#include <string>

#include "velmor/object.h"
#include "velmor/return_code_message.h"

namespace velmor::host::net {

class ReturnCodeMessage final : public Object<IReturnCodeMessage> {
 public:
  explicit ReturnCodeMessage(const std::map<std::string, std::string>& table);

  std::string RenderMessage(const std::string& code, const std::string& message) override;
  std::string GetCodeMessage(const std::string& code, const std::string& functionCode) override;

 private:
  std::map<std::string, std::string> table_;  // keys lower-cased
};

}  // namespace velmor::host::net
