#include "codec/file_utils.h"

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

}  // namespace velmor
