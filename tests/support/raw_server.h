// RawServer: a TCP listener on 127.0.0.1 that answers every connection with fixed bytes that are
// not HTTP, then closes it; and FreePort, a loopback port nothing listens on. For the host's
// transport-failure tests.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

namespace velmor::testing {

inline int BindLoopback(int port, sockaddr_in& addr) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) throw std::runtime_error("socket failed");
  addr = {};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    throw std::runtime_error("bind failed");
  }
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  return fd;
}

// A port that was free a moment ago (bound, then released without listening).
inline int FreePort() {
  sockaddr_in addr;
  int fd = BindLoopback(0, addr);
  int port = ntohs(addr.sin_port);
  ::close(fd);
  return port;
}

class RawServer {
 public:
  explicit RawServer(std::string reply) : reply_(std::move(reply)) {
    sockaddr_in addr;
    fd_ = BindLoopback(0, addr);
    port_ = ntohs(addr.sin_port);
    ::listen(fd_, 8);
    thread_ = std::thread([this] { Serve(); });
  }
  ~RawServer() {
    stop_ = true;
    thread_.join();
    ::close(fd_);
  }
  int port() const { return port_; }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }

 private:
  void Serve() {
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      int c = ::accept(fd_, nullptr, nullptr);
      if (c < 0) continue;
      char buf[4096];
      pollfd q{c, POLLIN, 0};
      if (::poll(&q, 1, 1000) > 0) (void)!::read(c, buf, sizeof buf);
      (void)!::write(c, reply_.data(), reply_.size());
      ::close(c);
    }
  }

  std::string reply_;
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace velmor::testing
