// ISysDiffer: the host's regional-difference settings (text by key, e.g. "cbxzDjNf_YANGL").
// Empty text for a key that is not configured. Safe on any thread.
#pragma once

#include <string>

#include "velmor/interface.h"
#include "velmor/ui_manager.h"  // IUIManager was declared here; kept for its includers

namespace velmor {

class ISysDiffer : public IInterface {
 public:
  VELMOR_IID("{A22D6A37-4373-4FF5-BE98-035B6498551F}")
  virtual std::string GetDifferValue(const std::string& key) = 0;

 protected:
  ~ISysDiffer() = default;
};

}  // namespace velmor
