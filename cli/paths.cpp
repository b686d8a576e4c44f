#include "cli/paths.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "host/host_error.h"
#include "host/plugin_host.h"

namespace velmor::cli {
namespace fs = std::filesystem;
using host::HostError;

namespace {
std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}
}  // namespace

std::string ResolveDataDir(const std::string& given) {
  if (!given.empty()) return given;
  if (std::string v = Env("VELMOR_DATA"); !v.empty()) return v;
  if (std::string v = Env("XDG_DATA_HOME"); !v.empty()) return v + "/velmor";
  if (std::string v = Env("HOME"); !v.empty()) return v + "/.local/share/velmor";
  throw HostError("no data directory: pass --data DIR");
}

std::string ExecutableDir() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return exe.parent_path().string();
}

std::string ResolvePluginPath(const std::string& given) {
  std::error_code ec;
  if (!given.empty()) {
    if (!fs::is_regular_file(given, ec)) throw HostError("plug-in not found: " + given);
    return given;
  }
  if (std::string v = Env("VELMOR_PLUGIN"); !v.empty()) {
    if (!fs::is_regular_file(v, ec)) throw HostError("plug-in not found: " + v + " (from VELMOR_PLUGIN)");
    return v;
  }
  std::string dir = ExecutableDir();
  if (dir.empty()) throw HostError("cannot tell where the executable is; pass --plugin PATH");
  const char* name = host::PluginHost::kLibraryName;
  std::vector<fs::path> candidates = {fs::path(dir) / ".." / "lib" / name, fs::path(dir) / name,
                                      fs::path(dir) / ".." / "lib" / "velmor" / name};
  std::string looked;
  for (const fs::path& c : candidates) {
    fs::path p = c.lexically_normal();
    if (fs::is_regular_file(p, ec)) return p.string();
    looked += (looked.empty() ? "" : ", ") + p.parent_path().string();
  }
  throw HostError(std::string(name) + " not found (looked in " + looked + "); pass --plugin PATH");
}

std::string ShippedDataDir() {
  std::error_code ec;
  if (std::string dir = ExecutableDir(); !dir.empty()) {
    fs::path installed = (fs::path(dir) / ".." / "share" / "velmor").lexically_normal();
    if (fs::is_directory(installed, ec)) return installed.string();
  }
#ifdef VELMOR_SOURCE_DATA_DIR
  if (fs::is_directory(VELMOR_SOURCE_DATA_DIR, ec)) return VELMOR_SOURCE_DATA_DIR;
#endif
  return {};
}

}  // namespace velmor::cli
