// AsyncJobSet: one set of asynchronous server jobs of a download (the "batch" of the enrolment
// requests, or of the person requests): SubmitAsync for each job, then PollAsync over the jobs
// still outstanding (last submitted first), handing back those that have answered.
//
// Each set takes its own network object (INetCommIntf::CreateConnection), so its last error is
// its own. A job that fails (-1) ends the download: Poll raises taxml::Failure with the host's
// text. Destroying the set forgets outstanding jobs (the server drops them once answered).
// One thread at a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "velmor/net_comm.h"
#include "velmor/ref.h"

namespace velmor {

class AsyncJobSet {
 public:
  struct Done {
    std::string serial, response, secondText;
    int32_t tag = 0;
  };
  using Clock = std::chrono::steady_clock;

  // Raises velmor::Exception("创建平台组件接口失败！") without a network.
  AsyncJobSet(std::string serviceCode, Ref<INetCommIntf> net);

  // False (with the host's text in error) when the server refused the job.
  bool Submit(const std::string& serial, const std::string& body, int32_t tag, std::string& error);
  // One pass over the outstanding jobs: the answered ones, in the order polled. When none has
  // answered and waitMs > 0, sleeps up to waitMs (in short steps, letting the host process its
  // messages) and polls again.
  std::vector<Done> Poll(int32_t waitMs);

  size_t Outstanding() const { return jobs_.size(); }
  size_t Submitted() const { return submitted_; }
  // When the first job of the set was submitted (Clock's epoch before that).
  Clock::time_point FirstSubmitted() const { return first_; }

 private:
  struct Job {
    std::string serial;
    int32_t tag;
  };
  std::string code_;
  Ref<INetCommIntf> net_;
  std::vector<Job> jobs_;
  size_t submitted_ = 0;
  Clock::time_point first_{};
};

}  // namespace velmor
