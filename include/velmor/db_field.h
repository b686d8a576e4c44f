// IDBField: one column of a dataset's current row. Values travel as text.
//
// Ownership: obtained from IDBFields; it keeps its dataset alive and always reads the dataset's
// current row (the value changes when the dataset moves). Thread-safety: that of its dataset.
// Never throws.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/db_object.h"

namespace velmor {

class IDBField : public IInterface {
 public:
  VELMOR_IID("{410327F9-4773-4B4A-9D69-B0F9E764B474}")

  // 0 (host convenience): the column name as the query named it.
  virtual std::string FieldName() = 0;
  // 1 (host convenience): true when the value is SQL NULL (AsString reads it as empty text).
  virtual bool IsNull() = 0;
  VELMOR_RESERVED_SLOT(2) VELMOR_RESERVED_SLOT(3) VELMOR_RESERVED_SLOT(4) VELMOR_RESERVED_SLOT(5)
  VELMOR_RESERVED_SLOT(6) VELMOR_RESERVED_SLOT(7) VELMOR_RESERVED_SLOT(8)
  // 9: the value as an integer (a real value is truncated); 0 for NULL, for text that is not a
  // number and for a value out of range, with the reason in the dataset's error text.
  virtual int32_t AsInteger() = 0;
  // 10: the value as text; empty for NULL and at Eof.
  virtual std::string AsString() = 0;
  VELMOR_RESERVED_SLOT(11) VELMOR_RESERVED_SLOT(12) VELMOR_RESERVED_SLOT(13) VELMOR_RESERVED_SLOT(14)
  VELMOR_RESERVED_SLOT(15) VELMOR_RESERVED_SLOT(16) VELMOR_RESERVED_SLOT(17) VELMOR_RESERVED_SLOT(18)
  // 19: sets the value of the row being appended or edited; false (nothing changed, reason in
  // the dataset's error text) when the dataset is not in Append or Edit.
  virtual bool SetAsString(const std::string& value) = 0;

 protected:
  ~IDBField() = default;
};

}  // namespace velmor
