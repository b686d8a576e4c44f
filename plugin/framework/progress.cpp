#include "framework/progress.h"

#include "velmor/platform.h"

namespace velmor {

Ref<IProgressView> ProgressOrDefault(IProgressView* view) {
  if (view) return Ref<IProgressView>(view);
  return Make<TDefaultProgressView>();
}

void StepProgress(IProgressView* view, int32_t delta) {
  if (view) view->SetPosition(view->GetPosition() + delta);
  platform::ProcessMessages();
}

}  // namespace velmor
