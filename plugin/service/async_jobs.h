// AsyncJobSet: one set of asynchronous server jobs of a download (the "batch" of the enrolment
// requests, or of the person requests): SubmitAsync for each job, then PollAsync over the jobs
// still outstanding (last submitted first), handing back those that have answered.
//
// Each set takes its own network object (INetCommIntf::CreateConnection), so its last error is
// its own. A job whose poll fails (-1) is dropped from the set and kept in Lost(), so the caller
// can name it. Polling is bounded (JobPollBound): when no job has answered for `passes` waits of
// `wait`, Poll raises taxml::Failure("等待服务器处理超时：<code> 任务 <serials>"), so a server that
// keeps a job pending forever cannot hang the caller. Destroying the set forgets outstanding jobs
// (the server drops them once answered). One thread at a time: a set submits in the background on
// a thread of its own (SubmitInBackground), which touches nothing of the set but its queue.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "codec/taxml_exchange.h"
#include "velmor/net_comm.h"
#include "velmor/ref.h"

namespace velmor {

// The bound of polling: `passes` waits of `wait` without any answer. The default is 150 passes of
// 2000 ms; the environment variable VELMOR_JOB_POLL="<passes>,<wait ms>" (read when a set is
// made) replaces it, so tests and slow links can choose their own (docs/employee-service.md).
struct JobPollBound {
  int32_t passes = 150;
  std::chrono::milliseconds wait{2000};
  std::chrono::milliseconds Total() const { return wait * passes; }
};
// The bound in force: the environment's when it is well formed, else the default.
JobPollBound CurrentJobPollBound();

class AsyncJobSet {
 public:
  struct Done {
    std::string serial, response, secondText;
    int32_t tag = 0;
  };
  struct LostJob {
    std::string serial, error;
    int32_t tag = 0;
  };
  // A job submitted in the background that the server refused (see SubmitInBackground).
  class SubmitRefused : public taxml::Failure {
   public:
    using taxml::Failure::Failure;
  };
  using Clock = std::chrono::steady_clock;

  // Raises velmor::Exception("创建平台组件接口失败！") without a network.
  AsyncJobSet(std::string serviceCode, Ref<INetCommIntf> net);
  // Waits for the submission under way, if any; the jobs still queued are never submitted.
  ~AsyncJobSet();
  AsyncJobSet(const AsyncJobSet&) = delete;
  AsyncJobSet& operator=(const AsyncJobSet&) = delete;

  // False (with the host's text in error) when the server refused the job.
  bool Submit(const std::string& serial, const std::string& body, int32_t tag, std::string& error);
  // Submits the job on the set's own thread (and network object), after the jobs handed over
  // before it, and returns at once: a hundred person batches took a fifth of a second of the
  // calling thread, one exchange after another, while answers already in waited to be read. The
  // job counts as submitted and outstanding from now on, and is polled once the server has taken
  // it. When the server refuses one, the next Poll raises taxml::Failure(refusedText + the host's
  // text), raised as SubmitRefused, and the jobs handed over after it are never submitted.
  void SubmitInBackground(std::string serial, std::string body, int32_t tag, std::string refusedText);
  // One pass over the outstanding jobs: the answered ones, in the order polled. When none has
  // answered and waitMs > 0, sleeps up to waitMs (in short steps, letting the host process its
  // messages) and polls again. Raises taxml::Failure once the bound has run out.
  std::vector<Done> Poll(int32_t waitMs);
  // The same pass, handing each answered job to `each` as soon as it is polled, so the caller's
  // work on one answer goes on while the next are still to be fetched. Returns how many answered.
  size_t Poll(int32_t waitMs, const std::function<void(Done&)>& each);
  // Poll with the bound's wait.
  std::vector<Done> Poll() { return Poll(static_cast<int32_t>(bound_.wait.count())); }

  // The jobs dropped because their poll failed, in the order they failed.
  const std::vector<LostJob>& Lost() const { return lost_; }
  // "" when no job was lost; else the host's text of the first failure followed by
  // "（丢失N个任务：<code> 任务 <serial>、…）".
  std::string LostText() const;
  const JobPollBound& Bound() const { return bound_; }

  // With the jobs handed over to the background and not yet taken by the server.
  size_t Outstanding() const { return jobs_.size() + inBackground_; }
  size_t Submitted() const { return submitted_; }
  // When the first job of the set was submitted (Clock's epoch before that).
  Clock::time_point FirstSubmitted() const { return first_; }

 private:
  struct Job {
    std::string serial;
    int32_t tag;
  };
  class Submitter;
  // Moves the jobs the background has submitted into jobs_; raises for a refused one.
  void TakeSubmitted();

  std::string code_;
  Ref<INetCommIntf> net_;
  std::vector<Job> jobs_;
  std::vector<LostJob> lost_;
  size_t submitted_ = 0;
  Clock::time_point first_{};
  JobPollBound bound_ = CurrentJobPollBound();
  Clock::time_point lastProgress_{};  // the last submission or answer: the bound counts from it
  std::unique_ptr<Submitter> submitter_;  // made by the first SubmitInBackground
  size_t inBackground_ = 0;               // handed over, not yet moved into jobs_
};

// Raises taxml::Failure("【code】message") when a job's answer is the server's result document
// (a refusal with its code) instead of the job's data, so the user reads the server's reason and
// not the failure to unpack it. Read before the data is unpacked; answers holding data (a gzip
// member) and texts that are neither pass.
void RequireJobData(const std::string& response);

}  // namespace velmor
