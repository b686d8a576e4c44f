// StoreEnv: a started reference host on a temporary data directory with the plug-in's service
// units (linked into the test) started in it, so stores run on the host's real database.
#pragma once

#include <string>

#include "framework/host_access.h"
#include "host/db/fault_injection.h"
#include "support/host_fixture.h"
#include "velmor/db.h"

namespace velmor::testing {

class StoreEnv : public StartedHost {
 public:
  StoreEnv();
  ~StoreEnv();

  // A new connection to the host database.
  Ref<IDBMechanism> Db();
  // A new service object of the class registered under T's GUID string.
  template <InterfaceType T>
  Ref<T> Create() {
    Ref<IInterface> out;
    if (!factory().CreateService(T::kIid.ToString(), T::kIid, out)) return nullptr;
    return Query<T>(out);
  }
  // The debug log written since the host started.
  std::string Log() const { return LogText(); }
};

// First column of each row, as text.
std::vector<std::string> Column(IDBMechanism& db, const std::string& sql);
std::string Scalar(IDBMechanism& db, const std::string& sql);

}  // namespace velmor::testing
