#include "host/components/home_page.h"

namespace velmor::host::components {

HomePage::HomePage() {
  handle_ = platform::RegisterWindow(kWindowName,
                                     [this](uint32_t msg, uintptr_t, intptr_t lparam) { return Receive(msg, lparam); });
}

HomePage::~HomePage() { platform::UnregisterWindow(handle_); }

intptr_t HomePage::Receive(uint32_t msg, intptr_t lparam) {
  // Only the notices are understood; anything else (or a null text) is not ours to read.
  if ((msg != kArrearsNotice && msg != kOverdueNotice && msg != kResidentsNotice) || lparam == 0) return 0;
  Notice notice{msg, std::string(reinterpret_cast<const char*>(lparam))};
  std::function<void(const Notice&)> sink;
  {
    std::lock_guard lock(mutex_);
    notices_.push_back(notice);
    sink = sink_;
  }
  if (sink) sink(notice);
  return 1;
}

std::vector<HomePage::Notice> HomePage::Notices() const {
  std::lock_guard lock(mutex_);
  return notices_;
}

void HomePage::SetSink(std::function<void(const Notice&)> sink) {
  std::lock_guard lock(mutex_);
  sink_ = std::move(sink);
}

std::string HomePage::StoreHandleSql() const {
  // The handle is a number: nothing in the statement comes from outside.
  return "INSERT OR REPLACE INTO sb_xtcsb(djxh, \"key\", \"value\") VALUES('global_param', '" +
         std::string(kHandleParameter) + "', '" + std::to_string(handle_) + "')";
}

}  // namespace velmor::host::components
