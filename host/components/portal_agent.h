// PortalAgent: the host's IPortalAgent, answering from values given at construction (the
// host's configuration, "[portal] djxh" and "business_lines").
//
// Immutable after construction; thread-safe.
#pragma once

#include <string>
#include <vector>

#include "velmor/object.h"
#include "velmor/portal_agent.h"

namespace velmor::host::net {

class PortalAgent final : public Object<IPortalAgent> {
 public:
  // businessLines: marks separated by "," (blanks around them ignored, duplicates dropped).
  PortalAgent(std::string djxh, const std::string& businessLines);

  std::string GetDjxh() override { return djxh_; }
  std::vector<std::string> GetBusinessLines() override { return lines_; }
  bool IsBusinessLineEnabled(const std::string& mark) override;

 private:
  const std::string djxh_;
  std::vector<std::string> lines_;
};

}  // namespace velmor::host::net
