#include "store/background/thread_reaper.h"

#include <mutex>
#include <vector>

namespace velmor {
namespace {

struct Reaper {
  std::mutex mutex;
  std::vector<std::unique_ptr<TEPThread>> held;
};

// Freed when the module unloads, after the shut-down has joined what it held.
Reaper& TheReaper() {
  static Reaper reaper;
  return reaper;
}

}  // namespace

void ReapLater(std::unique_ptr<TEPThread> thread) {
  if (!thread) return;
  thread->Terminate();
  std::vector<std::unique_ptr<TEPThread>> done;
  {
    Reaper& r = TheReaper();
    std::lock_guard<std::mutex> lock(r.mutex);
    // Threads that have ended meanwhile are freed now (outside the lock).
    for (auto it = r.held.begin(); it != r.held.end();) {
      if ((*it)->Finished() && !(*it)->IsCurrentThread()) {
        done.push_back(std::move(*it));
        it = r.held.erase(it);
      } else {
        ++it;
      }
    }
    r.held.push_back(std::move(thread));
  }
  done.clear();
}

void JoinReapedThreads() {
  std::vector<std::unique_ptr<TEPThread>> all;
  {
    Reaper& r = TheReaper();
    std::lock_guard<std::mutex> lock(r.mutex);
    all.swap(r.held);
  }
  all.clear();  // each destructor joins its thread
}

size_t TEST_ReapedThreadCount() {
  Reaper& r = TheReaper();
  std::lock_guard<std::mutex> lock(r.mutex);
  return r.held.size();
}

}  // namespace velmor
