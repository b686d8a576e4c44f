// The insert of one declared person (ds_sbrymxb, 30 columns from mxbid to sjyjfe), shared by
// the save of a declaration and the replacement of a master's persons.
#pragma once

#include <cstdint>
#include <string>

#include "declaration/dao_support.h"

namespace velmor::declaration {

// The INSERT statement of `person` (a JSON object of column values) under master `mxbid`.
std::string PersonInsert(int32_t mxbid, const Json& person);

}  // namespace velmor::declaration
