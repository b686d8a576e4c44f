// Simulator: the simulated tax-administration server, an HTTP server on 127.0.0.1 speaking
// docs/wire.md. Tests start one in-process on a free port; the program velmor-taxsim wraps one.
//
//   taxsim::SimulatorOptions options;
//   options.generate.persons = 1000;
//   taxsim::Simulator sim(options);
//   sim.Start();                       // binds 127.0.0.1, port 0 = a free one
//   std::string url = sim.Url();       // "http://127.0.0.1:PORT"
//   sim.Faults().Add(taxsim::ParseFault({{"kind", "refuse"}, {"serviceCode", "0053"}}));
//   sim.Handlers().Add("0099", [](const taxsim::Call& c, taxsim::State& s) { ... });
//
// Requests are served on a pool of server threads. Handlers run one at a time under the state
// lock; faults and the job table have their own locks. Start and Stop belong to one owner thread;
// everything else may be called from any thread while the server runs. Stop (also run by the
// destructor) cuts injected delays short and waits for the server threads.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "taxsim/faults.h"
#include "taxsim/handlers.h"
#include "taxsim/jobs.h"
#include "taxsim/state.h"

namespace velmor::taxsim {

struct SimulatorOptions {
  int port = 0;                  // 0: a free port
  int threads = 16;              // server threads
  int asyncPendingPolls = 2;     // polls a new job answers "pending" first
  // Asynchronous jobs are worked out in the background after their submission. true: a poll past
  // a job's pending polls waits for its answer, so a client sees exactly asyncPendingPolls
  // "pending" (what tests count on); false: such a poll answers "pending" until the answer is
  // ready, as a real server does (velmor-taxsim's default).
  bool pollWaitsForAnswer = true;
  std::string scenarioPath;      // when set, the state is read from this scenario file
  GenerateOptions generate;      // otherwise the state is generated
  bool queueDeclarations = false;  // every submission is refused with "10042" and answered later
  State::PersonRules personRules = State::PersonRules::kBasic;  // how declared persons are checked
};

// One request as it reached a handler (kept for assertions: the last kRecentCalls).
struct SeenCall {
  std::string endpoint;  // "service" or "submit"
  std::string serviceCode, serial, body;
  std::string documentType, documentText;  // empty without a document
  bool gbk = false, gzip = false;
  std::string documentData;  // the document as sent (Base64); documentText is made from it
};

class Simulator {
 public:
  static constexpr size_t kRecentCalls = 64;

  // Builds the state (raises ScenarioError for a bad scenario) and the built-in handlers.
  explicit Simulator(SimulatorOptions options = {});
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Binds and starts serving (once per Simulator). Raises std::runtime_error
  // ("无法监听127.0.0.1:PORT") when the port cannot be bound, or on a second Start.
  void Start();
  void Stop();

  int Port() const;
  std::string Url() const;

  HandlerRegistry& Handlers();
  FaultBook& Faults();
  AsyncJobs& Jobs();
  // A negative count (AsyncJobs::kPendingForever) keeps every new job pending forever.
  void SetAsyncPendingPolls(int polls);
  // Returns once the answer of every job submitted so far is worked out (jobs are answered in
  // the background; tests that count pending polls wait for it first).
  void WaitForAsyncWork();

  // Runs fn(State&) under the state lock and returns its result.
  template <class F>
  auto WithState(F&& fn) {
    std::lock_guard lock(StateMutex());
    return fn(StateRef());
  }

  // The recent calls, oldest first (their documents decoded again from the data as sent).
  std::vector<SeenCall> RecentCalls();
  // Requests received on the three wire paths, and the most that were being served at once.
  uint64_t RequestCount() const;
  int MaxConcurrentRequests() const;

 private:
  struct Impl;
  std::mutex& StateMutex();
  State& StateRef();
  std::unique_ptr<Impl> impl_;
};

}  // namespace velmor::taxsim
