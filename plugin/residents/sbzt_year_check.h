// TAsynQueryYctxData: the background year check of residents' declarations. A task of the task
// service (type "qvlmt_task_TAsynQueryYctxData", its TaskData the payer's djxh or empty for the
// current payer): it asks the server ("0223", sfysb "N", with the payment state) whether
// residents of the current year remain undeclared and raises the home-page notice of function
// "M8300-01-03-01-00" (action "add"), or withdraws it ("delete") when none remain.
//
// A host schedules it by writing its section into the task file (or the task service loads it
// again after a restart); the task worker runs it and then removes the section. The components it uses are obtained when the
// task is made, on the thread that loads the tasks (the host's main thread), so the worker only
// uses cached ones. Failures are logged "[TAsynQueryYctxData.queryCxjmSbzt]失败：" + reason and
// never leave the task.
#pragma once

#include <cstdint>
#include <string>

#include "store/background/bg_task.h"

namespace velmor {

inline constexpr const char* kYctxFunction = "M8300-01-03-01-00";
inline constexpr const char* kYctxMessage =
    "本年度存在未申报缴纳社保费的城乡居民，请及时催收催缴，点击可查看未申报人员明细。";
// The window message of this notice on the home page (the arrears notices are 0x8511 and 0x8512).
inline constexpr uint32_t kYctxNoticeMessage = 0x8513;

class TAsynQueryYctxData : public TBgTask {
 public:
  VELMOR_PUBLISHED(TAsynQueryYctxData, TBgTask)

  TAsynQueryYctxData();
  // Runs the check, then takes the task's section out of the task file (a one-shot task: the
  // section gone tells whoever scheduled it that it has run).
  void Run() override;
  // True when the check ran and its notice was sent.
  bool queryCxjmSbzt();
};

}  // namespace velmor
