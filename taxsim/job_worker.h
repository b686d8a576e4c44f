// JobWorker: works out the answers of asynchronous jobs in the background, one at a time in the
// order they were posted, as an asynchronous server does: a submission is accepted at once and
// the client polls while the answer is being made, so the client's own work on earlier answers
// overlaps the server's on later ones.
//
// Post, WaitIdle and Stop may be called from any thread. Stop (also the destructor) lets the job
// being worked on finish and drops the ones still waiting: their futures then hold a
// std::future_error (broken promise). The thread starts with the first Post.
#pragma once

#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

#include "taxsim/answer.h"

namespace velmor::taxsim {

class JobWorker {
 public:
  JobWorker() = default;
  ~JobWorker();
  JobWorker(const JobWorker&) = delete;
  JobWorker& operator=(const JobWorker&) = delete;

  // Queues the job; after Stop it is dropped at once.
  void Post(std::packaged_task<Answer()> job);
  // Returns once every job posted so far has been worked out (or dropped by Stop).
  void WaitIdle();
  void Stop();

 private:
  void Main();

  std::mutex mutex_;
  std::condition_variable wake_, idle_;
  std::deque<std::packaged_task<Answer()>> queue_;
  bool busy_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace velmor::taxsim
