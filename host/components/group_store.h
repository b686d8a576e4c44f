// GroupStore: the host's IGroupServiceDAO on the data directory's database (sb_fzxxb). Values
// reach SQLite quote-doubled; each call opens its own connection (one per operation, as the
// plug-in's stores do).
//
// Immutable after construction; thread-safe.
#pragma once

#include <functional>
#include <string>

#include "velmor/group_service_dao.h"
#include "velmor/object.h"

namespace velmor::host::components {

class GroupStore final : public Object<IGroupServiceDAO> {
 public:
  // `databasePath`: the host's database file; `log` receives failure lines.
  GroupStore(std::string databasePath, std::function<void(const std::string&)> log);

  bool ResolveGroupPath(const std::string& djxh, const std::vector<std::string>& names, int32_t& fzid,
                        std::string& fullpath, std::string& message) override;
  std::string GetGroupList(const std::string& djxh, std::string& message) override;

 private:
  const std::string path_;
  const std::function<void(const std::string&)> log_;
};

}  // namespace velmor::host::components
