// TEPThread: the base of the module's background threads (writer threads, the task worker, the
// pool threads). It reports each thread's creation and destruction to the system debug output:
// "+ [<class>:<id>]线程[Suspended:True|False]被 创建" and "- [<class>:<id>]线程被 销毁".
//
// The operating-system thread exists from construction on and waits until Start() (a class that
// runs at once calls Start() at the end of its own constructor, never earlier, so Execute never
// sees a half-built object). Terminate() asks it to end; a thread terminated before it started
// ends without running Execute. An exception that escapes Execute is written to the debug
// output and ends the thread.
//
// Ownership and shut-down: the owner joins the thread before it frees the object. A class that
// overrides Execute calls StopThread() first in its destructor (the base destructor does it too,
// but by then the derived part is gone). An owner that is itself destroyed on the thread it owns
// hands the object to ReapLater (thread_reaper.h) instead of deleting it. No thread outlives the
// module: the module's shut-down joins whatever was handed over.
//
// Thread-safety: Start, Terminate, Terminated, Finished and WaitFor may be called from any thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace velmor {

class TEPThread {
 public:
  TEPThread(const TEPThread&) = delete;
  TEPThread& operator=(const TEPThread&) = delete;
  virtual ~TEPThread();

  // Lets a suspended thread run; false when it was started (or terminated) before.
  bool Start();
  // Asks the thread to end: Terminated() turns true and OnTerminate() wakes its waits.
  void Terminate();
  bool Terminated() const { return terminated_.load(std::memory_order_acquire); }
  // True once Execute has returned (or the thread ended without running it).
  bool Finished() const { return finished_.load(std::memory_order_acquire); }
  // Waits until the thread has ended; does nothing when called on the thread itself.
  void WaitFor();
  // Terminate and WaitFor.
  void StopThread();

  // The operating system's identifier of the thread.
  int ThreadId() const { return tid_; }
  const std::string& ClassName() const { return className_; }
  // True when called on this object's thread.
  bool IsCurrentThread() const { return std::this_thread::get_id() == id_; }

 protected:
  TEPThread(std::string className, bool createSuspended);

  virtual void Execute() = 0;
  // Called by Terminate (on the terminating thread) so that a derived class can end its waits.
  virtual void OnTerminate() {}

 private:
  void Main();

  std::string className_;
  std::mutex gateMutex_;
  std::condition_variable gate_;
  bool started_ = false;
  bool tidKnown_ = false;
  int tid_ = 0;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::mutex joinMutex_;  // one joiner at a time
  std::thread thread_;
  std::thread::id id_;
};

}  // namespace velmor
