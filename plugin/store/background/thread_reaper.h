// The module's reaper of background threads whose owner went away on the thread itself (a task
// that drops the last reference of the service running it, for instance). Such an owner cannot
// join its own thread, so it hands the thread object over; the reaper joins and frees it later:
// on the next hand-over once it has ended, and in any case in the module's shut-down, so no
// thread outlives the module.
//
// Thread-safety: both functions may be called from any thread; JoinAll runs in the shut-down,
// on the host's thread, and must not be called from a thread it would wait for.
#pragma once

#include <memory>

#include "store/background/ep_thread.h"

namespace velmor {

// Terminates `thread` and keeps it until it can be joined and freed.
void ReapLater(std::unique_ptr<TEPThread> thread);
// Joins and frees every thread handed over so far.
void JoinReapedThreads();
// The number of threads held (tests).
size_t TEST_ReapedThreadCount();

}  // namespace velmor
