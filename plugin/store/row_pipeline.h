// PipelineRows: a store's rows made on a worker thread while the calling thread stores them.
//
// A large answer is read (decompressed, parsed, its rows' values picked out) and stored row by
// row. Both halves keep one core busy, and the answer's reading does not touch the database, so
// it runs on a thread of its own, a few hundred rows ahead of the statements, while the caller
// keeps its connection and transaction to itself.
//
// `make` runs on the worker. It fills each row's values in the BoundValues `out.Row()` hands it
// (cleared) and hands the row over with `out.Emit()`; a row left without Emit is not stored.
// `store` runs on the calling thread for each row emitted, in order, before PipelineRows returns.
// Where no thread can be started, `make` runs on the calling thread and each row is stored as it
// is emitted.
//
// Failures end both halves, and the caller sees the first in the rows' order:
// - `store` raising: the worker is told to stop (its next Row raises a private exception that
//   unwinds `make`), joined, and the store's exception is raised again;
// - `make` raising: the rows emitted before are stored, then its exception is raised again on
//   the calling thread.
// Either way nothing runs on the worker once PipelineRows has returned.
//
// Ownership: both callables are the caller's and used only during the call; the rows belong to
// the pipeline, and a row handed to `store` is valid only during that call.
// Thread rule: `make` must not touch the database, the host or anything `store` touches; it may
// read what the caller keeps alive for the call. The calling thread owns the connection.
#pragma once

#include <functional>

#include "store/bound_sql.h"

namespace velmor {

class RowOut {
 public:
  virtual ~RowOut() = default;
  // The next row's values, cleared; valid until Emit.
  virtual BoundValues& Row() = 0;
  // Hands over the row Row gave.
  virtual void Emit() = 0;
};

// Rows handed from the worker to the caller at a time: enough to keep each thread from waking
// the other for every row, few enough that a failed store wastes little reading.
inline constexpr size_t kPipelinedRowsPerBatch = 256;

void PipelineRows(const std::function<void(RowOut& out)>& make, const std::function<void(const BoundValues&)>& store);

}  // namespace velmor
