#include "codec/file_utils.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace velmor {
namespace {

bool Taken(const std::string& path) {
  std::error_code ec;
  // symlink_status: a dangling link still occupies its name.
  return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

}  // namespace

std::string MakeUniqueFileName(const std::string& path) {
  if (!Taken(path)) return path;
  const std::filesystem::path p(path);
  // The extension as the file system library sees it: ".xls" of "x.xls", none for ".profile".
  const std::string ext = p.extension().string();
  const std::string base = path.substr(0, path.size() - ext.size());
  for (unsigned long n = 1;; ++n) {
    std::string candidate = base + "(" + std::to_string(n) + ")" + ext;
    if (!Taken(candidate)) return candidate;
  }
}

bool WriteFileAtomically(const std::string& path, std::string_view text, std::string& error) {
  const std::string tmp = path + ".tmp" + std::to_string(::getpid());
  auto fail = [&](const char* step) {
    error = std::string(step) + "：" + std::strerror(errno);
    ::unlink(tmp.c_str());
    return false;
  };
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return fail("创建临时文件失败");
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      const int saved = errno;
      ::close(fd);
      errno = saved;
      return fail("写入失败");
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return fail("同步到磁盘失败");
  }
  if (::close(fd) != 0) return fail("写入失败");
  if (std::rename(tmp.c_str(), path.c_str()) != 0) return fail("替换文件失败");
  // The rename itself is durable only once the folder's entry is on disk.
  const std::string folder = std::filesystem::path(path).parent_path().string();
  const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

}  // namespace velmor
