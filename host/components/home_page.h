// HomePage: the host's home-page window. It is registered as a platform window while the host
// runs; its handle is kept as the system parameter "homepage_handle" (under "global_param") so
// that services can send it notices. A notice is a window message (kArrearsNotice,
// kOverdueNotice, kResidentsNotice) whose long parameter points at a NUL-terminated JSON text
// {"funccode", "funcparam", "message", "action": "add" | "delete"}; the window records every
// notice it receives and hands it to the sink (the command line prints them).
//
// Thread-safe: the window may receive messages on any thread; Notices() copies under a lock.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "velmor/platform.h"

namespace velmor::host::components {

class HomePage {
 public:
  static constexpr uint32_t kArrearsNotice = 0x8511;
  static constexpr uint32_t kOverdueNotice = 0x8512;
  // Residents of the current year remain undeclared (the residents' year check).
  static constexpr uint32_t kResidentsNotice = 0x8513;
  static constexpr const char* kWindowName = "homepage";
  static constexpr const char* kHandleParameter = "homepage_handle";

  struct Notice {
    uint32_t message = 0;
    std::string text;
  };

  HomePage();   // registers the window
  ~HomePage();  // unregisters it
  HomePage(const HomePage&) = delete;
  HomePage& operator=(const HomePage&) = delete;

  platform::WindowHandle Handle() const { return handle_; }
  std::vector<Notice> Notices() const;
  // Called for each notice after it is recorded (on the sender's thread); empty: none.
  void SetSink(std::function<void(const Notice&)> sink);
  // The statement that stores the handle as the system parameter.
  std::string StoreHandleSql() const;

 private:
  intptr_t Receive(uint32_t msg, intptr_t lparam);

  platform::WindowHandle handle_ = 0;
  mutable std::mutex mutex_;
  std::vector<Notice> notices_;
  std::function<void(const Notice&)> sink_;
};

}  // namespace velmor::host::components
