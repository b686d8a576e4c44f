// SyncEvent: an event object in the manner of the operating system's: signalled by Set, waited
// for with a time-out; an auto-reset event lets one successful wait through and becomes
// unsignalled again, a manual-reset event stays signalled until Reset.
//
// Thread-safety: every member may be called from any thread at once. The object must outlive
// every thread that waits on it (owners join their threads before destroying their events).
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace velmor {

class SyncEvent {
 public:
  explicit SyncEvent(bool manualReset = false, bool initiallySignalled = false)
      : manual_(manualReset), signalled_(initiallySignalled) {}
  SyncEvent(const SyncEvent&) = delete;
  SyncEvent& operator=(const SyncEvent&) = delete;

  void Set() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      signalled_ = true;
    }
    if (manual_)
      cv_.notify_all();
    else
      cv_.notify_one();
  }
  void Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = false;
  }
  // True when the event was (or became) signalled within `timeout`; an auto-reset event is
  // unsignalled again afterwards. A zero time-out only tests it.
  bool WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!cv_.wait_for(lock, timeout, [this] { return signalled_; })) return false;
    if (!manual_) signalled_ = false;
    return true;
  }
  bool IsSet() {
    std::lock_guard<std::mutex> lock(mutex_);
    return signalled_;
  }

 private:
  const bool manual_;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool signalled_;
};

}  // namespace velmor
