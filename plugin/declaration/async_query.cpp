#include "declaration/async_query.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "framework/host_access.h"
#include "framework/progress.h"

namespace velmor::declaration {

namespace {
constexpr int kMaxPolls = 150;
constexpr int kFirstWaitMs = 20;
constexpr int kLongestWaitMs = 2000;
}  // namespace

std::string CallAsync(const taxml::Call& call, IProgressView* progress) {
  Ref<INetCommIntf> shared = call.net ? Ref<INetCommIntf>(call.net) : GetNetComm();
  Ref<INetCommIntf> net = shared->CreateConnection();
  if (!net) net = shared;
  const std::string serial = NewSerialNo();
  const std::string body = taxml::BodyText(call, serial, CurrentDjxh());
  if (!net->SubmitAsync(call.serviceCode, body)) throw taxml::Failure(net->GetLastErrorText());
  int waitMs = kFirstWaitMs;
  for (int poll = 0; poll < kMaxPolls; ++poll) {
    std::string response, second;
    const int32_t status = net->PollAsync(call.serviceCode, serial, response, second);
    if (status == 1) return response;
    if (status != 0) throw taxml::Failure(net->GetLastErrorText());
    StepProgress(progress, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
    waitMs = std::min(waitMs * 2, kLongestWaitMs);
  }
  throw taxml::Failure("等待反馈超时");
}

}  // namespace velmor::declaration
