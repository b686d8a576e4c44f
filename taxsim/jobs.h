// AsyncJobs: the asynchronous jobs of the simulator, keyed by service code and serial ("yblsh").
// A job is answered when submitted and then reported pending for a set number of polls before its
// answer is handed out once; an answered job is forgotten.
//
// Thread-safe (one mutex).
#pragma once

#include <cstddef>
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
  Added Add(const std::string& serviceCode, const std::string& serial, Answer answer, int pendingPolls);

  enum class Polled { kUnknown, kPending, kReady };
  // kReady moves the answer into *answer and forgets the job.
  Polled Poll(const std::string& serviceCode, const std::string& serial, Answer* answer);

  size_t Size();
  void Clear();

 private:
  struct Job {
    Answer answer;
    int pendingPolls = 0;
  };
  std::mutex mutex_;
  std::map<std::pair<std::string, std::string>, Job> jobs_;
};

}  // namespace velmor::taxsim
