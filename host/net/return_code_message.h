// ReturnCodeMessage: the host's IReturnCodeMessage over a table from the host configuration
// ("[messages]": "10042 = text" maps a result code, "0046.FDA = text" a return code under a
// service code).
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
  explicit ReturnCodeMessage(std::map<std::string, std::string> table) : table_(std::move(table)) {}

  std::string RenderMessage(const std::string& code, const std::string& message) override {
    auto it = table_.find(code);
    return it == table_.end() || code.empty() ? message : it->second;
  }
  std::string GetCodeMessage(const std::string& code, const std::string& functionCode) override {
    auto it = table_.find(functionCode + "." + code);
    return it == table_.end() ? std::string() : it->second;
  }

 private:
  const std::map<std::string, std::string> table_;
};

}  // namespace velmor::host::net
