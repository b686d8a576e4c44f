// The floor of one step of the day: the time a prepared INSERT of as many rows takes in one
// transaction on the same kind of database file as the host's (SQLite, WAL journal, the host's
// cache settings), and the peak resident memory of a process between two marks.
//
// Plain functions; call them from one thread.
#pragma once

#include <sys/types.h>
#include <string>
#include <vector>

namespace velmor::bench {

// Seconds to insert `rows` rows of `columns` short text values into a fresh table of a new
// database file in `dir` (the file is removed afterwards). Raises std::runtime_error naming the
// SQLite error when a statement fails.
double FloorSeconds(const std::string& dir, long rows, int columns);

// The floor of a step that stores rows: the rows that `tables` of the database file `source` hold
// after the step, inserted again with one prepared INSERT per table in one transaction into the
// same tables (columns and indexes as `source` declares them) of a new database file in `dir`.
// The rows are read into memory first; only the inserts and the commit are timed. A column
// declared INTEGER PRIMARY KEY is left to the engine, as the store leaves it. Raises
// std::runtime_error naming the SQLite error when a statement fails.
struct StoredFloor {
  double seconds = 0;
  long rows = 0;
};
StoredFloor StoredRowsFloor(const std::string& dir, const std::string& source, const std::vector<std::string>& tables);

// Peak resident memory of process `pid` (0: this one) in kB since start or the last ResetPeak;
// -1 when it cannot be read (the process is gone).
long PeakKb(pid_t pid = 0);

// Starts a new peak measure for process `pid` (0: this one); false when the kernel refuses.
bool ResetPeak(pid_t pid = 0);

}  // namespace velmor::bench
