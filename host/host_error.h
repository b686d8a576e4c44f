// HostError: the one exception type of the reference host. Its message is one line, fit to be
// printed as is by the command line ("plug-in not found: ...", "velmor.conf:3: ...").
#pragma once

#include <stdexcept>
#include <string>

namespace velmor::host {

class HostError : public std::runtime_error {
 public:
  explicit HostError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace velmor::host
