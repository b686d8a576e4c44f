// IDBMechanism: the host's database connection ("VELMORMainCon"), handed out by
// IPlatformManager::GetDBMechanism.
//
// Only the identity is declared so far, which is what holding a Ref<IDBMechanism> needs; the base
// (IDBObject) and the operations (commands, queries, transactions) are declared here, in slot
// order, when the host's database is attached. One connection is used by one thread at a time.
#pragma once

#include "velmor/interface.h"

namespace velmor {

class IDBMechanism : public IInterface {
 public:
  VELMOR_IID("{0A375635-B6CB-4859-8E08-AD839F88BF38}")
};

}  // namespace velmor
