#include "host/components/syspzxx.h"

#include "host/text_util.h"

namespace velmor::host::components {

Syspzxx::Syspzxx(const std::map<std::string, std::string>& values, const std::map<std::string, std::string>& functions,
                 const std::map<std::string, std::string>& functionSettings) {
  for (const auto& [k, v] : values) values_[AsciiLower(k)] = v;
  for (const auto& [k, v] : functions) functions_[AsciiLower(k)] = v;
  for (const auto& [k, v] : functionSettings) settings_[AsciiLower(k)] = v;
}

bool Syspzxx::IsFunctionEnabled(const std::string& functionCode) {
  auto it = functions_.find(AsciiLower(functionCode));
  return it != functions_.end() && EqualsIgnoreCase(it->second, "Y");
}

bool Syspzxx::IsFunctionEnabledFor(const std::string& functionCode, const std::string& setting,
                                   const std::string& value) {
  auto it = settings_.find(AsciiLower(functionCode + "." + setting + "." + value));
  if (it == settings_.end()) return IsFunctionEnabled(functionCode);
  return EqualsIgnoreCase(it->second, "Y");
}

std::string Syspzxx::GetValue(const std::string& key) {
  auto it = values_.find(AsciiLower(key));
  return it == values_.end() ? std::string() : it->second;
}

}  // namespace velmor::host::components
