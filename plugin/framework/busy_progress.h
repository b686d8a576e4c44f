// Services show "进度" / "正在处理，请稍等" on the caller's progress view while a
// read or request runs; BusyProgress starts the display and ends it on every way out, so a
// failed operation never leaves the host's display open. A null view shows nothing.
#pragma once

#include "velmor/progress_view.h"

namespace velmor {

class BusyProgress {
 public:
  // `message`: what the view shows ("正在查询" for a query).
  explicit BusyProgress(IProgressView* view, const char* message = "正在处理，请稍等") : view_(view) {
    if (view_) view_->StartProgress(message, 100, "进度");
  }
  ~BusyProgress() {
    if (view_) view_->EndProgress();
  }
  BusyProgress(const BusyProgress&) = delete;
  BusyProgress& operator=(const BusyProgress&) = delete;

 private:
  IProgressView* view_;
};

}  // namespace velmor
