// UIManager: the user-interface manager of a host without windows (instance "Default"). The
// plug-in only obtains and caches it; it answers its name. Stateless, safe on any thread.
#pragma once

#include "velmor/object.h"
#include "velmor/sys_differ.h"

namespace velmor::host {

class UIManager final : public Object<IUIManager> {
 public:
  std::string GetName() override { return "Default"; }
};

}  // namespace velmor::host
