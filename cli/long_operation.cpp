#include "cli/long_operation.h"

#include <cstdio>

#include "host/cancel.h"

namespace velmor::cli {
namespace {
bool g_quiet = false;

host::TerminalProgressView::Options DisplayOptions() {
  host::TerminalProgressView::Options o;
  if (g_quiet) {
    static std::FILE* nowhere = std::fopen("/dev/null", "w");
    if (nowhere) o.out = nowhere;
  }
  return o;
}
}  // namespace

void LongOperation::SetQuiet(bool quiet) { g_quiet = quiet; }

LongOperation::LongOperation(std::string caption)
    : view_(Make<host::TerminalProgressView>(DisplayOptions())), caption_(std::move(caption)) {
  pump_.Watch(view_);
}

LongOperation::~LongOperation() {
  pump_.Watch(nullptr);
  view_->EndProgress();
}

IProgressView* LongOperation::Start(const std::string& label, int32_t maximum, bool counts) {
  view_->StartProgress(label, maximum, caption_);
  view_->ShowCounts(counts);
  return view_.get();
}

void LongOperation::Finished(bool completed) {
  if (host::CancelRequested()) {
    view_->EndProgress();
    if (!completed) throw Interrupted("已取消（" + caption_ + "），本次操作的数据未保存");
    // The operation had nothing left to stop when the request came: its result stands.
    std::fprintf(stderr, "velmor: 取消请求到达时操作已完成（%s）\n", caption_.c_str());
    host::ClearCancelRequest();
  }
  if (completed) view_->Complete();
}

}  // namespace velmor::cli
