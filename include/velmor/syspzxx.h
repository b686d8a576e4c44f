// ISyspzxxIntf: the host's system configuration component: whether a function code is enabled
// (at all, or for one scheme setting of the payer), and configuration values by key
// ("ENABLE_CXJMYTB").
//
// Answers from the host configuration; thread-safe.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class ISyspzxxIntf : public IInterface {
 public:
  VELMOR_IID("{A4E7C920-1D5B-4B8F-9E36-0C2F7D8A5B61}")
  // True when the function code is configured "Y" (any case); false otherwise.
  virtual bool IsFunctionEnabled(const std::string& functionCode) = 0;
  // The configured value of key; empty when not set.
  virtual std::string GetValue(const std::string& key) = 0;
  // Whether the function code is enabled for the payer's scheme setting `setting` = `value`
  // (for example "yjgl" = "Y"): the setting's own switch when one is configured, else
  // IsFunctionEnabled(functionCode).
  virtual bool IsFunctionEnabledFor(const std::string& functionCode, const std::string& setting,
                                    const std::string& value) = 0;

 protected:
  ~ISyspzxxIntf() = default;
};

}  // namespace velmor
