// IDBFields: the columns of a dataset, by name.
//
// Ownership: obtained from IDBDataSet::Fields; keeps its dataset alive. Thread-safety: that of
// its dataset. Never throws.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/db_object.h"
#include "velmor/ref.h"

namespace velmor {

class IDBField;

class IDBFields : public IInterface {
 public:
  VELMOR_IID("{3334ABB9-3595-4A70-B4D1-FA1AB976F770}")

  // 0 (host convenience): the number of columns.
  virtual int32_t Count() = 0;
  // 1 (host convenience): the column at a 0-based index; null when out of range.
  virtual Ref<IDBField> FieldByIndex(int32_t index) = 0;
  VELMOR_RESERVED_SLOT(2) VELMOR_RESERVED_SLOT(3) VELMOR_RESERVED_SLOT(4)
  // 5: the column of that name, compared without regard to ASCII case (the first one when the
  // query repeats a name); null when the dataset has no such column.
  virtual Ref<IDBField> FieldByName(const std::string& name) = 0;

 protected:
  ~IDBFields() = default;
};

}  // namespace velmor
