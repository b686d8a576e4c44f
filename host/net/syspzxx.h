// Syspzxx: the host's ISyspzxxIntf over values from the host configuration ("[syspzxx]": values
// by key; "[functions]": function codes with "Y" or "N").
//
// Immutable after construction; thread-safe.
#pragma once

#include <map>
#include <string>

#include "velmor/object.h"
#include "velmor/syspzxx.h"

namespace velmor::host::net {

class Syspzxx final : public Object<ISyspzxxIntf> {
 public:
  Syspzxx(std::map<std::string, std::string> values, std::map<std::string, std::string> functions)
      : values_(std::move(values)), functions_(std::move(functions)) {}

  bool IsFunctionEnabled(const std::string& functionCode) override {
    auto it = functions_.find(functionCode);
    return it != functions_.end() && (it->second == "Y" || it->second == "y");
  }
  std::string GetValue(const std::string& key) override {
    auto it = values_.find(key);
    return it == values_.end() ? std::string() : it->second;
  }

 private:
  const std::map<std::string, std::string> values_;
  const std::map<std::string, std::string> functions_;
};

}  // namespace velmor::host::net
