// Syspzxx: the host's ISyspzxxIntf over values from the host configuration ("[syspzxx]": values
// by key; "[functions]": function codes with "Y" or "N"; "[function_settings]": a function's
// switch for one scheme setting, keyed "<function code>.<setting>.<value>" with "Y" or "N").
// Keys compare without regard to ASCII case, like every configuration key.
//
// Immutable after construction; thread-safe.
#pragma once

#include <map>
#include <string>

#include "velmor/object.h"
#include "velmor/syspzxx.h"

namespace velmor::host::components {

class Syspzxx final : public Object<ISyspzxxIntf> {
 public:
  Syspzxx(const std::map<std::string, std::string>& values, const std::map<std::string, std::string>& functions,
          const std::map<std::string, std::string>& functionSettings = {});

  bool IsFunctionEnabled(const std::string& functionCode) override;
  std::string GetValue(const std::string& key) override;
  bool IsFunctionEnabledFor(const std::string& functionCode, const std::string& setting,
                            const std::string& value) override;

 private:
  std::map<std::string, std::string> values_;     // keys lower-cased
  std::map<std::string, std::string> functions_;  // keys lower-cased
  std::map<std::string, std::string> settings_;   // keys lower-cased
};

}  // namespace velmor::host::components
