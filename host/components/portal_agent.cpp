#include "host/components/portal_agent.h"

#include <algorithm>

namespace velmor::host::net {

PortalAgent::PortalAgent(std::string djxh, const std::string& businessLines) : djxh_(std::move(djxh)) {
  size_t start = 0;
  while (start <= businessLines.size()) {
    size_t comma = businessLines.find(',', start);
    if (comma == std::string::npos) comma = businessLines.size();
    std::string mark = businessLines.substr(start, comma - start);
    mark.erase(0, mark.find_first_not_of(" \t"));
    mark.erase(mark.find_last_not_of(" \t") + 1);
    if (!mark.empty() && std::find(lines_.begin(), lines_.end(), mark) == lines_.end()) lines_.push_back(mark);
    start = comma + 1;
  }
}

bool PortalAgent::IsBusinessLineEnabled(const std::string& mark) {
  return std::find(lines_.begin(), lines_.end(), mark) != lines_.end();
}

}  // namespace velmor::host::net
