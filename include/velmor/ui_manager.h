// IUIManager: the host's user-interface manager (instance "Default"). The plug-in asks the user
// through it, for instance whether to go on waiting for a slow server.
//
// AskYesNo blocks the calling thread until the user (or whatever answers for the host: a flag, a
// test) has answered; call it on the host's main thread. A host that cannot ask anybody answers
// false, so that an operation never waits on a question nobody will see.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class IUIManager : public IInterface {
 public:
  VELMOR_IID("{48E1C55B-0026-4FB0-9DCB-174156FD2DF5}")
  virtual std::string GetName() = 0;
  // True for yes. `question` is the full text shown to the user.
  virtual bool AskYesNo(const std::string& question) = 0;

 protected:
  ~IUIManager() = default;
};

}  // namespace velmor
