// Progress reporting of long service operations: the null progress view and StepProgress.
//
// A long operation takes the caller's IProgressView; when the caller passes none it runs against
// a TDefaultProgressView, which shows nothing. Both run on the host's main thread, where the
// process-messages hook lets the host repaint (and notice a cancel request) between steps.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/object.h"
#include "velmor/progress_view.h"

namespace velmor {

// Every operation does nothing; queries answer 0, the empty text, false, and GetHandle -1.
class TDefaultProgressView : public Object<IProgressView> {
 public:
  int32_t GetPosition() override { return 0; }
  void SetPosition(int32_t) override {}
  void StartProgress(const std::string&, int32_t, const std::string&) override {}
  void EndProgress() override {}
  void SetMessage(const std::string&) override {}
  int32_t GetMaximum() override { return 0; }
  int32_t GetHandle() override { return -1; }
  bool IsCancelled() override { return false; }
};

// `view` itself, or a new null view when it is null; never null.
Ref<IProgressView> ProgressOrDefault(IProgressView* view);

// When `view` is set: SetPosition(GetPosition() + delta). Then, view or not, lets the host process
// its pending messages (platform::ProcessMessages). Exceptions of the view or the hook propagate.
void StepProgress(IProgressView* view, int32_t delta);

}  // namespace velmor
