// IDBDataSet: the rows of one query, read forward: while not Eof, read Fields, Next.
//
// Writing through a dataset: open a keyed SELECT of one table (every column a plain column of
// that table), then Append when it is at Eof, otherwise Edit; set fields with SetAsString; Post.
// Append inserts a row holding the fields that were set; Edit changes the current row, found
// again by the values it was read with (Post fails when it changed or disappeared meanwhile).
//
// The rows are read when the query is opened; the dataset holds no statement open afterwards.
// Ownership: obtained from IDBMechanism::OpenQuery; it keeps its connection alive; drop it at the
// end of the operation. Thread-safety: that of its connection. Never throws: failures answer false
// and leave the engine's message in GetErrorText().
#pragma once

#include "velmor/db_object.h"
#include "velmor/ref.h"

namespace velmor {

class IDBFields;

class IDBDataSet : public IInterface {
 public:
  VELMOR_IID("{D98C6D18-315B-4E2B-BCCF-12B8ADA28B91}")

  // 0 (host convenience): the message of the last failure on this dataset or its fields.
  virtual std::string GetErrorText() = 0;
  VELMOR_RESERVED_SLOT(1) VELMOR_RESERVED_SLOT(2) VELMOR_RESERVED_SLOT(3) VELMOR_RESERVED_SLOT(4)
  VELMOR_RESERVED_SLOT(5) VELMOR_RESERVED_SLOT(6) VELMOR_RESERVED_SLOT(7) VELMOR_RESERVED_SLOT(8)
  VELMOR_RESERVED_SLOT(9) VELMOR_RESERVED_SLOT(10)
  // 11: the columns of the result.
  virtual Ref<IDBFields> Fields() = 0;
  VELMOR_RESERVED_SLOT(12) VELMOR_RESERVED_SLOT(13) VELMOR_RESERVED_SLOT(14) VELMOR_RESERVED_SLOT(15)
  VELMOR_RESERVED_SLOT(16) VELMOR_RESERVED_SLOT(17) VELMOR_RESERVED_SLOT(18) VELMOR_RESERVED_SLOT(19)
  VELMOR_RESERVED_SLOT(20) VELMOR_RESERVED_SLOT(21) VELMOR_RESERVED_SLOT(22) VELMOR_RESERVED_SLOT(23)
  VELMOR_RESERVED_SLOT(24) VELMOR_RESERVED_SLOT(25)
  // 26: true when there is no current row.
  virtual bool Eof() = 0;
  VELMOR_RESERVED_SLOT(27) VELMOR_RESERVED_SLOT(28) VELMOR_RESERVED_SLOT(29)
  // 30: moves to the next row (staying at Eof at the end); a pending Append or Edit is
  // cancelled. The rows were read when the query was opened, so this cannot fail: always true.
  virtual bool Next() = 0;
  VELMOR_RESERVED_SLOT(31) VELMOR_RESERVED_SLOT(32) VELMOR_RESERVED_SLOT(33)
  // 34: starts a new row (all fields empty) to be written by Post. False when the result is not
  // editable (not a plain query of one table).
  virtual bool Append() = 0;
  VELMOR_RESERVED_SLOT(35)
  // 36: starts changing the current row. False at Eof or when the result is not editable.
  virtual bool Edit() = 0;
  VELMOR_RESERVED_SLOT(37)
  // 38: writes the row being appended or edited; afterwards the dataset stands on the written
  // row. False when nothing was pending or the write failed (the row stays pending then).
  virtual bool Post() = 0;
  // 39 (host convenience): drops a pending Append or Edit.
  virtual void Cancel() = 0;

 protected:
  ~IDBDataSet() = default;
};

}  // namespace velmor
