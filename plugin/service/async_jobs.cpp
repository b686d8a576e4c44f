#include "service/async_jobs.h"

#include <thread>

#include "codec/taxml_exchange.h"
#include "framework/progress.h"
#include "velmor/exceptions.h"

namespace velmor {

namespace {
constexpr int32_t kPollStepMs = 15;
}

AsyncJobSet::AsyncJobSet(std::string serviceCode, Ref<INetCommIntf> net) : code_(std::move(serviceCode)) {
  if (!net) throw Exception("创建平台组件接口失败！");
  net_ = net->CreateConnection();
  if (!net_) net_ = net;
}

bool AsyncJobSet::Submit(const std::string& serial, const std::string& body, int32_t tag, std::string& error) {
  if (!net_->SubmitAsync(code_, body)) {
    error = net_->GetLastErrorText();
    return false;
  }
  if (submitted_++ == 0) first_ = Clock::now();
  jobs_.push_back({serial, tag});
  return true;
}

std::vector<AsyncJobSet::Done> AsyncJobSet::Poll(int32_t waitMs) {
  std::vector<Done> done;
  const Clock::time_point until = Clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    for (size_t i = jobs_.size(); i-- > 0;) {
      Done d;
      int32_t status = net_->PollAsync(code_, jobs_[i].serial, d.response, d.secondText);
      if (status == 0) continue;
      if (status != 1) throw taxml::Failure(net_->GetLastErrorText());
      d.serial = jobs_[i].serial;
      d.tag = jobs_[i].tag;
      done.push_back(std::move(d));
      jobs_.erase(jobs_.begin() + static_cast<std::ptrdiff_t>(i));
    }
    if (!done.empty() || jobs_.empty() || Clock::now() >= until) return done;
    StepProgress(nullptr, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollStepMs));
  }
}

}  // namespace velmor
