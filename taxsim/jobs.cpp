#include "taxsim/jobs.h"

#include <chrono>

namespace velmor::taxsim {

AsyncJobs::Added AsyncJobs::Add(const std::string& serviceCode, const std::string& serial, std::future<Answer> answer,
                                int pendingPolls) {
  std::lock_guard lock(mutex_);
  auto key = std::make_pair(serviceCode, serial);
  if (jobs_.count(key)) return Added::kDuplicate;
  if (jobs_.size() >= kMaxJobs) return Added::kFull;
  jobs_.emplace(std::move(key), Job{std::move(answer), pendingPolls < 0 ? kPendingForever : pendingPolls});
  return Added::kAdded;
}

AsyncJobs::Polled AsyncJobs::Poll(const std::string& serviceCode, const std::string& serial, Answer* answer,
                                  bool waitForAnswer) {
  std::future<Answer> made;
  {
    std::lock_guard lock(mutex_);
    auto it = jobs_.find({serviceCode, serial});
    if (it == jobs_.end()) return Polled::kUnknown;
    if (it->second.pendingPolls == kPendingForever) return Polled::kPending;
    if (it->second.pendingPolls > 0) {
      --it->second.pendingPolls;
      return Polled::kPending;
    }
    if (!waitForAnswer && it->second.answer.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
      return Polled::kPending;
    made = std::move(it->second.answer);
    jobs_.erase(it);
  }
  try {
    *answer = made.get();
  } catch (const std::future_error&) {
    *answer = Answer::Refuse("10009", "服务端处理中断");
  } catch (const std::exception& e) {
    *answer = Answer::Refuse("10009", std::string("服务端处理异常：") + e.what());
  }
  return Polled::kReady;
}

size_t AsyncJobs::Size() {
  std::lock_guard lock(mutex_);
  return jobs_.size();
}

void AsyncJobs::Clear() {
  std::lock_guard lock(mutex_);
  jobs_.clear();
}

}  // namespace velmor::taxsim
