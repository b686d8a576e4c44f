// IGroupServiceDAO: the host's group store: the user-defined groups of one payer's persons
// (table sb_fzxxb), nested to any depth. A group has an id, its parent's id (-1 at the top), its
// name (fzmc), its full name (the names from the top joined by "/") and its path (the ids from
// the top, each enclosed in commas: ",3,7,"), which is what a person's fullpath holds.
//
// Failures never raise: an operation answers false (or "[]") and says why in `message` (and in
// the host's debug log). Each call opens its own database connection; safe from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "velmor/interface.h"

namespace velmor {

class IGroupServiceDAO : public IInterface {
 public:
  VELMOR_IID("{6C1D0B52-3E4A-4F7B-9A1C-2B8E5D7F0A13}")
  // The group reached by following `names` (top level first, each trimmed) from the top, its id
  // in `fzid` and its path in `fullpath`; missing groups on the way are created, all in one
  // transaction (nothing is created when any step fails). False for an empty path or a blank name
  // ("分组名称不能为空。") or when the store fails.
  virtual bool ResolveGroupPath(const std::string& djxh, const std::vector<std::string>& names, int32_t& fzid,
                                std::string& fullpath, std::string& message) = 0;
  // The payer's groups as a JSON array of {"id", "pid", "fzmc", "fullname", "fullpath"}, by id.
  virtual std::string GetGroupList(const std::string& djxh, std::string& message) = 0;

 protected:
  ~IGroupServiceDAO() = default;
};

}  // namespace velmor
