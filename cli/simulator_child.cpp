#include "cli/simulator_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "cli/paths.h"
#include "host/host_error.h"

namespace velmor::cli {
namespace {

constexpr const char kListening[] = "listening on ";
constexpr const char kBankListening[] = "bank listening on ";

// Reads the child's next line; empty at end of output or when the deadline passes.
std::string NextLine(int fd, int seconds) {
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    int ready = ::poll(&p, 1, 100);
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    char c;
    ssize_t n = ::read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n != 1) break;
    if (c == '\n') return line;
    line += c;
  }
  return "";
}

}  // namespace

std::string DefaultSimulatorProgram() {
  std::string dir = ExecutableDir();
  return (dir.empty() ? std::string(".") : dir) + "/velmor-taxsim";
}

SimulatorChild::SimulatorChild(const std::string& program, const std::vector<std::string>& args, int startSeconds) {
  if (::access(program.c_str(), X_OK) != 0) throw host::HostError("cannot run the simulated server " + program);
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw host::HostError(std::string("pipe: ") + std::strerror(errno));
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargs;
  for (std::string& a : argv) cargs.push_back(a.data());
  cargs.push_back(nullptr);
  const pid_t parent = ::getpid();
  pid_ = ::fork();
  if (pid_ < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    throw host::HostError(std::string("fork: ") + std::strerror(errno));
  }
  if (pid_ == 0) {
    // Only async-signal-safe calls from here on.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(127);  // the parent died before prctl took effect
    ::dup2(fds[1], STDOUT_FILENO);
    ::execv(cargs[0], cargs.data());
    ::_exit(127);
  }
  ::close(fds[1]);
  std::string line = NextLine(fds[0], startSeconds);
  // With --bank-cert the bank's address follows on the next line.
  const bool bank = std::find(args.begin(), args.end(), "--bank-cert") != args.end();
  std::string bankLine = bank && line.rfind(kListening, 0) == 0 ? NextLine(fds[0], startSeconds) : "";
  // Nothing more is read: the server writes nothing after its addresses, and ignores SIGPIPE.
  ::close(fds[0]);
  if (line.rfind(kListening, 0) != 0) {
    Stop();
    throw host::HostError("the simulated server did not start" + (line.empty() ? std::string() : ": " + line));
  }
  url_ = line.substr(sizeof kListening - 1);
  if (bank) {
    if (bankLine.rfind(kBankListening, 0) != 0) {
      Stop();
      throw host::HostError("the simulated bank did not start" + (bankLine.empty() ? std::string() : ": " + bankLine));
    }
    bankUrl_ = bankLine.substr(sizeof kBankListening - 1);
  }
}

SimulatorChild::~SimulatorChild() { Stop(); }

bool SimulatorChild::Stop() {
  if (pid_ <= 0) return false;
  ::kill(pid_, SIGTERM);
  int status = 0;
  bool ended = false;
  for (int i = 0; i < 500 && !ended; ++i) {
    pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_ || (r < 0 && errno != EINTR)) ended = true;
    else ::usleep(10000);
  }
  if (!ended) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
  }
  pid_ = -1;
  return ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace velmor::cli
