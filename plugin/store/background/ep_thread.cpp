#include "store/background/ep_thread.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <exception>

#include "velmor/platform.h"

namespace velmor {

TEPThread::TEPThread(std::string className, bool createSuspended) : className_(std::move(className)) {
  thread_ = std::thread([this] { Main(); });
  id_ = thread_.get_id();
  std::unique_lock<std::mutex> lock(gateMutex_);
  gate_.wait(lock, [this] { return tidKnown_; });
  lock.unlock();
  platform::DebugOutput("+ [" + className_ + ":" + std::to_string(tid_) + "]线程[Suspended:" +
                        (createSuspended ? "True" : "False") + "]被 创建");
}

TEPThread::~TEPThread() {
  Terminate();
  std::lock_guard<std::mutex> join(joinMutex_);
  if (thread_.joinable()) {
    if (IsCurrentThread()) {
      // An owner broke the rule and freed the object on its own thread; the thread cannot be
      // joined from itself, so it is let go (it touches nothing of the object any more).
      platform::DebugOutput("[" + className_ + "]线程在自身线程中被释放");
      thread_.detach();
    } else {
      thread_.join();
    }
  }
  platform::DebugOutput("- [" + className_ + ":" + std::to_string(tid_) + "]线程被 销毁");
}

void TEPThread::Main() {
  {
    std::unique_lock<std::mutex> lock(gateMutex_);
    tid_ = static_cast<int>(::syscall(SYS_gettid));
    tidKnown_ = true;
    gate_.notify_all();
    gate_.wait(lock, [this] { return started_ || Terminated(); });
    if (!started_) {
      finished_.store(true, std::memory_order_release);
      return;
    }
  }
  try {
    Execute();
  } catch (const std::exception& e) {
    platform::DebugOutput("[" + className_ + "]线程异常：" + e.what());
  } catch (...) {
    platform::DebugOutput("[" + className_ + "]线程异常");
  }
  finished_.store(true, std::memory_order_release);
}

bool TEPThread::Start() {
  std::lock_guard<std::mutex> lock(gateMutex_);
  if (started_ || Terminated()) return false;
  started_ = true;
  gate_.notify_all();
  return true;
}

void TEPThread::Terminate() {
  {
    std::lock_guard<std::mutex> lock(gateMutex_);
    terminated_.store(true, std::memory_order_release);
    gate_.notify_all();
  }
  OnTerminate();
}

void TEPThread::WaitFor() {
  if (IsCurrentThread()) return;
  std::lock_guard<std::mutex> join(joinMutex_);
  if (thread_.joinable()) thread_.join();
}

void TEPThread::StopThread() {
  Terminate();
  WaitFor();
}

}  // namespace velmor
