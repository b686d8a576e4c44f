// SimulatorChild: the simulated server (velmor-taxsim) as a child process of the command line,
// for `velmor demo`. The constructor starts it on a free loopback port and waits for its
// "listening on URL" line (and, when started with --bank-cert, the simulated bank's "bank
// listening on URL" line after it); the destructor stops it (SIGTERM, then SIGKILL after 5 s). The child
// also gets SIGTERM when this process dies, so no server is left behind. Raises HostError when
// the program cannot be started or does not report its address within the time limit.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace velmor::cli {

class SimulatorChild {
 public:
  SimulatorChild(const std::string& program, const std::vector<std::string>& args, int startSeconds = 60);
  ~SimulatorChild();
  SimulatorChild(const SimulatorChild&) = delete;
  SimulatorChild& operator=(const SimulatorChild&) = delete;

  const std::string& Url() const { return url_; }
  // The simulated bank's address; empty when it was not started.
  const std::string& BankUrl() const { return bankUrl_; }
  // Stops the child now; true when it ended by itself on SIGTERM with status 0.
  bool Stop();

 private:
  pid_t pid_ = -1;
  std::string url_;
  std::string bankUrl_;
};

// velmor-taxsim beside the running executable.
std::string DefaultSimulatorProgram();

}  // namespace velmor::cli
