#include "taxsim/handlers.h"

namespace velmor::taxsim {

void HandlerRegistry::Add(const std::string& serviceCode, Handler handler) {
  std::lock_guard lock(mutex_);
  handlers_[serviceCode] = std::move(handler);
}

void HandlerRegistry::Remove(const std::string& serviceCode) {
  std::lock_guard lock(mutex_);
  handlers_.erase(serviceCode);
}

std::vector<std::string> HandlerRegistry::Codes() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> codes;
  for (const auto& [code, handler] : handlers_) codes.push_back(code);
  return codes;
}

Handler HandlerRegistry::Find(std::string_view serviceCode) const {
  std::lock_guard lock(mutex_);
  auto it = handlers_.find(serviceCode);
  return it == handlers_.end() ? Handler{} : it->second;
}

}  // namespace velmor::taxsim
