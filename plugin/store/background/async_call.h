// One-off background calls on a pool of threads (the registration download started in the
// background, for instance).
//
//   std::shared_ptr<AsyncCall> call = RunAsyncCall("updateYgcbxx", [djxh] { ... });
//   call->Wait(std::chrono::seconds(5));
//
// The pool keeps every call in its list of running calls until the call has finished, so a
// caller may drop its handle at once. Pool threads are TEPThreads, created on demand (at most
// kMaxPoolThreads) and kept idle for the next call. Host singletons (platform manager and the
// like) must be obtained on the host's thread before a call needs them.
//
// Shut-down: ShutdownAsyncCalls (the module's shut-down) cancels the calls not yet started,
// waits for the running ones and joins the threads; a later RunAsyncCall starts a fresh pool.
//
// Thread-safety: every function may be called from any thread, except ShutdownAsyncCalls, which
// must not run on a pool thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace velmor {

inline constexpr int kMaxPoolThreads = 4;

class AsyncCall {
 public:
  enum class State { kQueued, kRunning, kFinished, kCancelled };

  // What the call is, for the debug log.
  const std::string& Name() const { return name_; }
  State GetState();
  // True once the call has ended (finished or cancelled).
  bool Done();
  // Waits until the call has ended; true when it did within `timeout`.
  bool Wait(std::chrono::milliseconds timeout);
  // The text of the exception that ended the procedure, empty when it returned normally.
  std::string ErrorText();

  AsyncCall(std::string name, std::function<void()> proc) : name_(std::move(name)), proc_(std::move(proc)) {}

 private:
  friend class AsyncCallPool;
  void Run();
  void Cancel();

  std::string name_;
  std::function<void()> proc_;
  std::mutex mutex_;
  std::condition_variable done_;
  State state_ = State::kQueued;
  std::string error_;
};

// Queues `proc` on the module's pool and returns its handle.
std::shared_ptr<AsyncCall> RunAsyncCall(std::string name, std::function<void()> proc);
// Calls not yet ended (queued or running).
size_t PendingAsyncCalls();
void ShutdownAsyncCalls();

}  // namespace velmor
