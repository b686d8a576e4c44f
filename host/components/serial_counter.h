// SerialCounter: the source of NewSerialNo's uniqueness. Numbers are handed out from blocks
// reserved in a state file of the data directory: a reservation takes an exclusive lock on the
// file, reads the last reserved number, writes (and syncs) the end of the new block, and unlocks.
// A crash loses at most the unused rest of a block, never reuses a number; several processes on
// one data directory reserve disjoint blocks.
//
// Without a state file (empty path) the counter lives in the process only and starts from the
// clock in microseconds, which keeps it unique across restarts as long as the clock does not run
// back. Thread-safe.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

namespace velmor::host::net {

class SerialCounter {
 public:
  static constexpr uint64_t kBlock = 1000;
  static constexpr const char* kFileName = "serial.seq";

  explicit SerialCounter(std::string statePath);

  // The next number (from 1). Raises velmor::Exception when the state file cannot be read,
  // locked, written or holds something other than a number.
  uint64_t Next();

  const std::string& StatePath() const { return path_; }

 private:
  void Reserve();

  const std::string path_;
  std::mutex mutex_;
  uint64_t next_ = 0;
  uint64_t end_ = 0;  // next_ == end_: the block is used up
};

}  // namespace velmor::host::net
