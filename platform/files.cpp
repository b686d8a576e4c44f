// File copy with an all-or-nothing target.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>

#include "velmor/platform.h"

namespace velmor::platform {

bool CopyFile(const std::string& source, const std::string& target, bool failIfExists) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_regular_file(source, ec)) return false;
  if (failIfExists && fs::exists(target, ec)) return false;
  std::string temp = target + ".part" + std::to_string(::getpid());
  {
    std::ifstream in(source, std::ios::binary);
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!in || !out) {
      fs::remove(temp, ec);
      return false;
    }
    out << in.rdbuf();
    out.flush();
    if (!out || in.bad()) {
      out.close();
      fs::remove(temp, ec);
      return false;
    }
  }
  fs::rename(temp, target, ec);
  if (ec) {
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

}  // namespace velmor::platform
