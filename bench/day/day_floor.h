// The floor of one step of the day: the time a prepared INSERT of as many rows takes in one
// transaction on the same kind of database file as the host's (SQLite, WAL journal, the host's
// cache settings), and the peak resident memory of a process between two marks.
//
// Plain functions; call them from one thread.
#pragma once

#include <string>
#include <sys/types.h>

namespace velmor::bench {

// Seconds to insert `rows` rows of `columns` short text values into a fresh table of a new
// database file in `dir` (the file is removed afterwards). Raises std::runtime_error naming the
// SQLite error when a statement fails.
double FloorSeconds(const std::string& dir, long rows, int columns);

// Peak resident memory of process `pid` (0: this one) in kB since start or the last ResetPeak;
// -1 when it cannot be read (the process is gone).
long PeakKb(pid_t pid = 0);

// Starts a new peak measure for process `pid` (0: this one); false when the kernel refuses.
bool ResetPeak(pid_t pid = 0);

}  // namespace velmor::bench
