// TRyExtraData: what a person keeps across a re-insert by the store: the phone number and the
// group (fzid, -1 for none, and its path). Read for a whole payer before the writes, keyed by
// rydjxh. A plain value.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "velmor/db.h"

namespace velmor {

struct TRyExtraData {
  std::string phonenumber;
  int32_t fzid = -1;
  std::string fullpath;
};

// "select rydjxh, phonenumber, fzid, fullpath from sb_ryjbxxb where djxh = '<djxh>'" by rydjxh
// (the first row of a rydjxh wins). Raises StoreError when the query fails.
std::unordered_map<std::string, TRyExtraData> ReadRyExtraData(IDBMechanism& db, const std::string& djxh);

}  // namespace velmor
