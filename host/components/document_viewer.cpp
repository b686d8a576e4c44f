#include "host/components/document_viewer.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <thread>

extern char** environ;

namespace velmor::host::components {

bool DocumentViewer::Open(const std::string& path, std::string& error) {
  if (command_.empty()) {
    error = "未配置文档预览程序";
    return false;
  }
  std::string program = command_, file = path;
  char* argv[] = {program.data(), file.data(), nullptr};
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ);
  if (rc != 0) {
    error = "无法启动文档预览程序" + command_ + "：" + std::strerror(rc);
    return false;
  }
  // The viewer runs on its own; a waiting thread reaps it whenever it ends, so no zombie is left
  // behind while the host keeps running.
  std::thread([pid] {
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
  return true;
}

}  // namespace velmor::host::components
