// IDBBoundExec: statements with bound values on one host database connection. A host that has
// it answers it from its IDBMechanism through QueryInterface; a plug-in that finds none places
// the values into the statement text instead (store/bound_sql.h), so the published connection
// interface keeps its slots.
//
// Ownership: obtained from an IDBMechanism by QueryInterface; it is the same connection object
// (same transaction, same error text: IDBMechanism::GetErrorText). Thread-safety: that of its
// connection. Never throws.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "velmor/db_value.h"
#include "velmor/interface.h"

namespace velmor {

class IDBBoundExec : public IInterface {
 public:
  VELMOR_IID("{F1055B1A-F978-41C7-B42E-9F678048E86B}")
  // 0: runs one statement whose "?" parameters take `values` in order (a text with a NUL or bytes
  // that are not UTF-8 is refused as ExecSQL refuses such SQL text). The statement prepared for a
  // text stays with the connection and is reused by the next call with the same text, so a bulk
  // write prepares its statement once. True when it ran; `changes` then holds the rows it
  // inserted, changed or deleted. A count of values other than the statement's parameters fails.
  virtual bool ExecBound(const std::string& sql, std::span<const DBValue> values, int64_t& changes) = 0;

 protected:
  ~IDBBoundExec() = default;
};

}  // namespace velmor
