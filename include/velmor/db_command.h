// IDBCommand: a statement runner on one connection, used for update-else-insert (run the
// UPDATE, and the INSERT when RowsAffected() is below 1).
//
// Ownership: obtained from IDBMechanism::GetCommand; it keeps its connection alive and shares
// the connection's transaction. Thread-safety: that of its connection. Never throws.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/db_object.h"

namespace velmor {

class IDBCommand : public IInterface {
 public:
  VELMOR_IID("{C0305802-2D12-4155-85E5-98FF2D4EC2B1}")

  VELMOR_RESERVED_SLOT(0) VELMOR_RESERVED_SLOT(1) VELMOR_RESERVED_SLOT(2) VELMOR_RESERVED_SLOT(3)
  // 4: the engine's message of the last failed Execute; empty after one that succeeded.
  virtual std::string GetErrorText() = 0;
  VELMOR_RESERVED_SLOT(5) VELMOR_RESERVED_SLOT(6) VELMOR_RESERVED_SLOT(7) VELMOR_RESERVED_SLOT(8)
  VELMOR_RESERVED_SLOT(9) VELMOR_RESERVED_SLOT(10) VELMOR_RESERVED_SLOT(11) VELMOR_RESERVED_SLOT(12)
  VELMOR_RESERVED_SLOT(13) VELMOR_RESERVED_SLOT(14)
  // 15: runs the statement(s) as IDBMechanism::ExecSQL does; true when all ran.
  virtual bool Execute(const std::string& sql) = 0;
  // 16: rows inserted, changed or deleted by the last successful Execute (all of its
  // statements together); 0 after a failed one.
  virtual int32_t RowsAffected() = 0;

 protected:
  ~IDBCommand() = default;
};

}  // namespace velmor
