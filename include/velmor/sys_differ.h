// ISysDiffer: the host's regional-difference settings (text by key, e.g. "cbxzDjNf_YANGL").
// Empty text for a key that is not configured. Safe on any thread.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class ISysDiffer : public IInterface {
 public:
  VELMOR_IID("{A22D6A37-4373-4FF5-BE98-035B6498551F}")
  virtual std::string GetDifferValue(const std::string& key) = 0;

 protected:
  ~ISysDiffer() = default;
};

// The host's user-interface manager; the plug-in only obtains and caches it.
class IUIManager : public IInterface {
 public:
  VELMOR_IID("{48E1C55B-0026-4FB0-9DCB-174156FD2DF5}")
  virtual std::string GetName() = 0;

 protected:
  ~IUIManager() = default;
};

}  // namespace velmor
