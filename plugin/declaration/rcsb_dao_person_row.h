// One declared person (ds_sbrymxb, 30 columns from mxbid to sjyjfe): its insert, shared by the
// save of a declaration and the replacement of a master's persons, and the reading of its
// values under either spelling. A person object may carry the names the submission document
// uses (jfmxxh, sbjbjgDm, cxjmsbbm, xzjdDm, sqczDm, zsxmDm, zspmDm, zszmDm) or the store's
// column names; the document and the store read the same value, so what is stored is what was
// sent.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "declaration/dao_support.h"
#include "store/bound_sql.h"

namespace velmor::declaration {

// The value of store column `column` of `person`: the submission's name for it when that is
// present and not empty, else the column itself.
std::string PersonText(const Json& person, std::string_view column);

// The INSERT of one person, its values bound: the statement is prepared once for all persons.
extern const std::string kPersonInsert;
// The values of kPersonInsert for `person` (a JSON object of column values) under master
// `mxbid`, appended to `values`.
void BindPerson(BoundValues& values, int32_t mxbid, const Json& person);

}  // namespace velmor::declaration
