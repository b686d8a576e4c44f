#include "host/components/serial_counter.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string_view>

#include "velmor/exceptions.h"

namespace velmor::host::net {
namespace {

[[noreturn]] void Fail(const std::string& path, const char* what) {
  throw Exception("流水号状态文件" + path + what + "：" + std::strerror(errno));
}

// Closes the descriptor (dropping the lock) however Reserve leaves.
struct Fd {
  int fd;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

SerialCounter::SerialCounter(std::string statePath) : path_(std::move(statePath)) {
  if (path_.empty()) {
    auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                  std::chrono::system_clock::now().time_since_epoch())
                  .count();
    next_ = static_cast<uint64_t>(us);
    end_ = UINT64_MAX;
  }
}

uint64_t SerialCounter::Next() {
  std::lock_guard lock(mutex_);
  if (next_ == end_) Reserve();
  return ++next_;
}

void SerialCounter::Reserve() {
  // The lock lives on a file of its own, so the state file can be replaced by rename: a crash
  // leaves either the old or the new number, never a torn one.
  std::string lockPath = path_ + ".lock";
  Fd lock{::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)};
  if (lock.fd < 0) Fail(lockPath, "无法打开");
  if (::flock(lock.fd, LOCK_EX) != 0) Fail(lockPath, "无法加锁");

  uint64_t last = 0;
  {
    Fd in{::open(path_.c_str(), O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0 && errno != ENOENT) Fail(path_, "无法打开");
    if (in.fd >= 0) {
      char buf[64] = {};
      ssize_t n = ::read(in.fd, buf, sizeof buf - 1);
      if (n < 0) Fail(path_, "无法读取");
      std::string_view text(buf, static_cast<size_t>(n));
      while (!text.empty() && text.back() == '\n') text.remove_suffix(1);
      if (text.empty()) throw Exception("流水号状态文件" + path_ + "已损坏：内容为空");
      for (char c : text) {
        if (c < '0' || c > '9' || last > (UINT64_MAX - kBlock) / 10)
          throw Exception("流水号状态文件" + path_ + "已损坏：" + std::string(text));
        last = last * 10 + uint64_t(c - '0');
      }
    }
  }
  uint64_t end = last + kBlock;
  std::string out = std::to_string(end) + "\n";
  std::string tmp = path_ + ".tmp";
  {
    Fd f{::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)};
    if (f.fd < 0) Fail(tmp, "无法创建");
    if (::write(f.fd, out.data(), out.size()) != static_cast<ssize_t>(out.size())) Fail(tmp, "无法写入");
    if (::fsync(f.fd) != 0) Fail(tmp, "无法写入");
  }
  if (::rename(tmp.c_str(), path_.c_str()) != 0) Fail(path_, "无法替换");
  next_ = last;
  end_ = end;
}

}  // namespace velmor::host::net
