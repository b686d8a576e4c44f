// IDBRowReader: a query's rows handed over one at a time, as the engine steps to them, without a
// dataset holding the whole result (a listing of 200,000 roster rows would otherwise be copied
// into the dataset, then read out of it cell by cell). A host that has it answers it from its
// IDBMechanism through QueryInterface; a plug-in that finds none opens the query as a dataset
// (store/row_reading.h), so the published connection interface keeps its slots.
//
// Ownership: obtained from an IDBMechanism by QueryInterface; it is the same connection object
// (same transaction, same error text: IDBMechanism::GetErrorText). The sink is the caller's and
// only used during the call. Thread-safety: that of its connection, which stays locked for the
// whole reading, so the sink must not use the connection (nor wait on a thread that does). Never
// throws; the sink must not throw either.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "velmor/interface.h"

namespace velmor {

// Receives the rows of IDBRowReader::ReadRows. Texts are valid only during the call that gives
// them.
class IDBRowSink {
 public:
  // The result's column names, in order, once before the first row (also for a result of none).
  virtual void Columns(std::span<const std::string_view> names) = 0;
  // One row: each cell's text as IDBField::AsString gives it (NULL as empty text, a number as the
  // engine writes it, a blob's bytes). False stops the reading; the call still succeeds.
  virtual bool Row(std::span<const std::string_view> cells) = 0;

 protected:
  ~IDBRowSink() = default;
};

class IDBRowReader : public IInterface {
 public:
  VELMOR_IID("{B70653D4-94E2-4260-8B9A-F0AA842FDB50}")
  // 0: runs exactly one statement (as OpenQuery takes it) and hands its columns, then each row,
  // to `sink`. True when every row was handed over or the sink stopped; false, with the engine's
  // message in the connection's error text, when the statement could not be prepared or failed
  // while stepping (the rows handed over before stay handed over).
  virtual bool ReadRows(const std::string& sql, IDBRowSink& sink) = 0;

 protected:
  ~IDBRowReader() = default;
};

}  // namespace velmor
