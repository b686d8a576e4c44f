#include "taxsim/jobs.h"

namespace velmor::taxsim {

AsyncJobs::Added AsyncJobs::Add(const std::string& serviceCode, const std::string& serial, Answer answer,
                                int pendingPolls) {
  std::lock_guard lock(mutex_);
  auto key = std::make_pair(serviceCode, serial);
  if (jobs_.count(key)) return Added::kDuplicate;
  if (jobs_.size() >= kMaxJobs) return Added::kFull;
  jobs_.emplace(std::move(key), Job{std::move(answer), pendingPolls < 0 ? kPendingForever : pendingPolls});
  return Added::kAdded;
}

AsyncJobs::Polled AsyncJobs::Poll(const std::string& serviceCode, const std::string& serial, Answer* answer) {
  std::lock_guard lock(mutex_);
  auto it = jobs_.find({serviceCode, serial});
  if (it == jobs_.end()) return Polled::kUnknown;
  if (it->second.pendingPolls == kPendingForever) return Polled::kPending;
  if (it->second.pendingPolls > 0) {
    --it->second.pendingPolls;
    return Polled::kPending;
  }
  *answer = std::move(it->second.answer);
  jobs_.erase(it);
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
