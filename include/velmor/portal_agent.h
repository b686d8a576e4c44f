// IPortalAgent: the host's portal-agent component: who the current payer is (`djxh`) and which
// business lines are enabled for it (marks such as "5", "8", "9").
//
// Answers from the host configuration; thread-safe.
#pragma once

#include <string>
#include <vector>

#include "velmor/interface.h"

namespace velmor {

class IPortalAgent : public IInterface {
 public:
  VELMOR_IID("{3C9A4E21-7B6F-4D28-A1E5-5F0C8B2D9E47}")
  // The current payer's registration number; empty when none is configured.
  virtual std::string GetDjxh() = 0;
  // The enabled business lines in configuration order, without duplicates.
  virtual std::vector<std::string> GetBusinessLines() = 0;
  virtual bool IsBusinessLineEnabled(const std::string& mark) = 0;

 protected:
  ~IPortalAgent() = default;
};

}  // namespace velmor
