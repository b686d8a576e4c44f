#include "service/async_exchange.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "framework/host_access.h"
#include "framework/progress.h"

namespace velmor::service {

namespace {
constexpr int kMaxPolls = 150;
constexpr int kFirstWaitMs = 20;
constexpr int kLongestWaitMs = 2000;
}  // namespace

std::string SubmitJob(INetCommIntf& net, const taxml::Call& call, const std::string& djxh) {
  const std::string serial = NewSerialNo();
  if (!net.SubmitAsync(call.serviceCode, taxml::BodyText(call, serial, djxh)))
    throw taxml::Failure(net.GetLastErrorText());
  return serial;
}

std::optional<std::string> PollJob(INetCommIntf& net, const std::string& serviceCode, const std::string& serial) {
  std::string response, second;
  const int32_t status = net.PollAsync(serviceCode, serial, response, second);
  if (status == 1) return response;
  if (status != 0) throw taxml::Failure(net.GetLastErrorText());
  return std::nullopt;
}

std::optional<std::string> AwaitJob(INetCommIntf& net, const std::string& serviceCode, const std::string& serial,
                                    std::chrono::milliseconds patience, std::chrono::milliseconds longestWait,
                                    IProgressView* progress) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + patience;
  std::chrono::milliseconds wait{kFirstWaitMs};
  for (;;) {
    if (std::optional<std::string> response = PollJob(net, serviceCode, serial)) return response;
    const Clock::time_point now = Clock::now();
    if (now >= deadline) return std::nullopt;
    StepProgress(progress, 0);
    std::this_thread::sleep_for(std::min(wait, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now)));
    wait = std::min(wait * 2, std::max(longestWait, std::chrono::milliseconds{kFirstWaitMs}));
  }
}

std::string CallAsync(const taxml::Call& call, IProgressView* progress) {
  Ref<INetCommIntf> shared = call.net ? Ref<INetCommIntf>(call.net) : GetNetComm();
  Ref<INetCommIntf> net = shared->CreateConnection();
  if (!net) net = shared;
  const std::string serial = SubmitJob(*net, call, CurrentDjxh());
  int waitMs = kFirstWaitMs;
  for (int poll = 0; poll < kMaxPolls; ++poll) {
    if (std::optional<std::string> response = PollJob(*net, call.serviceCode, serial)) return *response;
    StepProgress(progress, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
    waitMs = std::min(waitMs * 2, kLongestWaitMs);
  }
  throw taxml::Failure("等待反馈超时");
}

}  // namespace velmor::service
