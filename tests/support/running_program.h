// A running program for tests (velmor-taxsim, a long velmor command): started with its arguments,
// its standard output (or standard error) read line by line with a bounded wait, signalled, and
// terminated and reaped by the destructor.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace velmor::taxsim::testing {

class RunningProgram {
 public:
  // `readFd`: the descriptor of the program that is read (1 standard output, 2 standard error);
  // the other one is left as the test's own.
  explicit RunningProgram(std::vector<std::string> argv, int readFd = 1) {
    int fds[2];
    if (::pipe(fds) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], readFd);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    int rc = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    out_ = fds[0];
    if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
  }
  ~RunningProgram() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
  }

  // The first line the program writes (without the line break); empty after 10 s of silence or
  // at end of output.
  std::string FirstLine() {
    std::string line;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd p{out_, POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      char c;
      if (::read(out_, &c, 1) != 1) break;
      if (c == '\n') return line;
      line += c;
    }
    return line;
  }

  // The next line that contains `text` (without the line break); empty after `seconds` without one
  // or at end of output. Lines before it are passed over.
  std::string LineWith(const std::string& text, int seconds = 10) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    std::string line;
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd p{out_, POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      char c;
      if (::read(out_, &c, 1) != 1) break;
      if (c != '\n') {
        line += c;
        continue;
      }
      if (line.find(text) != std::string::npos) return line;
      line.clear();
    }
    return std::string();
  }

  // Sends SIGTERM and returns the exit status (-1 when it does not end within 10 s).
  int Terminate() { return Signal(SIGTERM); }

  // Sends `sig` and returns the exit status (128 + signal when killed; -1 when it does not end
  // within `seconds`).
  int Signal(int sig, int seconds = 10) {
    ::kill(pid_, sig);
    for (int i = 0; i < seconds * 100; ++i) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      ::usleep(10000);
    }
    return -1;
  }

  // Everything written after the first line, read to end of output; call after Terminate.
  std::string RemainingOutput() {
    std::string rest;
    char buf[4096];
    for (ssize_t n; (n = ::read(out_, buf, sizeof buf)) > 0;) rest.append(buf, size_t(n));
    return rest;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
};

inline const std::string kTaxsimProgram = std::string(VELMOR_BIN_DIR) + "/velmor-taxsim";

}  // namespace velmor::taxsim::testing
