// `velmor init`: write (or update) the host configuration file of a data directory. Settings not
// given keep their current values; a malformed existing file is reported and left untouched.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/commands.h"
#include "cli/paths.h"
#include "host/host_config.h"
#include "host/host_error.h"

namespace velmor::cli {

CLI::App* AddInitCommand(CLI::App& app, InitOptions& options) {
  CLI::App* cmd = app.add_subcommand("init", "Write the host configuration (velmor.conf) of a data directory");
  cmd->add_option("--server", options.server, "address of the tax administration's server")->type_name("URL");
  cmd->add_option("--djxh", options.djxh, "registration serial number of the current payer")->type_name("X");
  cmd->footer(
      "Creates the data directory when missing; settings not given keep their current values.\n"
      "Puts the shipped data files (bank lists and the like) into it, keeping files already there.\n"
      "The options --data, --plugin and -v may follow the command name.\n\n"
      "Example:\n  velmor init --data /tmp/velmor-data --server http://127.0.0.1:8080 --djxh 10114403000012345678");
  return cmd;
}

int RunInitCommand(const GlobalOptions& global, const InitOptions& options) {
  namespace fs = std::filesystem;
  using host::HostConfig;
  using host::HostError;
  if (!options.server.empty() && options.server.rfind("http://", 0) != 0 && options.server.rfind("https://", 0) != 0)
    throw HostError("--server: expected an http:// or https:// address, not \"" + options.server + "\"");
  std::string dir = ResolveDataDir(global.dataDir);
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (!fs::is_directory(dir)) throw HostError("cannot create data directory " + dir + (ec ? ": " + ec.message() : ""));
  std::string path = (fs::path(dir) / HostConfig::kFileName).string();
  HostConfig config = fs::exists(path, ec) ? HostConfig::Load(path) : HostConfig::Template();
  if (!options.server.empty()) config.Set(HostConfig::kServer, "url", options.server);
  if (!options.djxh.empty()) config.Set(HostConfig::kPortal, "djxh", options.djxh);
  config.Save(path);
  std::printf("已写入 %s\n", path.c_str());
  // The shipped data files; files already in the data directory are kept (the user may have
  // edited them).
  if (std::string shipped = ShippedDataDir(); !shipped.empty()) {
    fs::copy(shipped, dir, fs::copy_options::recursive | fs::copy_options::skip_existing, ec);
    if (ec) throw HostError("cannot copy the data files of " + shipped + " to " + dir + ": " + ec.message());
  }
  return 0;
}

}  // namespace velmor::cli
