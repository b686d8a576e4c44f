// AsyncJobs: the asynchronous jobs of the simulator, keyed by service code and serial ("yblsh").
// A job's answer is worked out after its submission (JobWorker); the job is reported pending for a
// set number of polls and, after those, for as long as its answer is not ready; then the answer
// is handed out once and the job is forgotten.
//
// Thread-safe (one mutex).
#pragma once

#include <cstddef>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "taxsim/answer.h"

namespace velmor::taxsim {

class AsyncJobs {
 public:
  static constexpr size_t kMaxJobs = 100000;
  // A job added with this many pending polls never answers (keeps a client's polling bound tested).
  static constexpr int kPendingForever = -1;

  enum class Added { kAdded, kDuplicate, kFull };
  // `answer` is ready once the job is worked out.
  Added Add(const std::string& serviceCode, const std::string& serial, std::future<Answer> answer, int pendingPolls);

  enum class Polled { kUnknown, kPending, kReady };
  // kReady moves the answer into *answer and forgets the job. Past its pending polls, a job whose
  // answer is not ready yet is kPending, or with `waitForAnswer` waited for (without holding the
  // book's lock). A job whose work was dropped (the simulator stopping) answers with a refusal
  // "10009".
  Polled Poll(const std::string& serviceCode, const std::string& serial, Answer* answer, bool waitForAnswer = false);

  size_t Size();
  void Clear();

 private:
  struct Job {
    std::future<Answer> answer;
    int pendingPolls = 0;
  };
  std::mutex mutex_;
  std::map<std::pair<std::string, std::string>, Job> jobs_;
};

}  // namespace velmor::taxsim
