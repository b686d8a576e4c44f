// The SQL of the payable-information store: the roster-matched select every listing starts
// from, the filters of a query condition (Tyjxx_qc) and the insert of one row. Every value is
// bound or quote-doubled; the payer's djxh is always quoted (a 20-digit number compared unquoted
// matches nothing).
//
// Plain functions of their arguments; any thread.
#pragma once

#include <string>

#include "codec/json_row_members.h"
#include "declaration/dao_support.h"
#include "store/bound_sql.h"
#include "store/paging.h"

namespace velmor::declaration {

// The matched rows of a condition (with "djxh"), ready for its count and its page. Raises
// StoreError for a condition without djxh.
PagedSelect YjxxSelect(const Json& qc);

// The insert of one row of the payer, with its 25 bound values: YjxxInsertValues replaces the
// values in `v` by the row's. `person`: the person-matched form (rydjxh, xm, zjlx, zjhm from the
// row); `zjyxrq`: keep the row's validity date. Amounts that are no number raise.
// `members` finds the row's members (YjxxRowMembers), keeping their places from row to row.
const std::string& YjxxInsertSql();
RowMembers YjxxRowMembers();
void YjxxInsertValues(const std::string& djxh, const Json& row, bool person, bool zjyxrq, RowMembers& members,
                      BoundValues& v);

}  // namespace velmor::declaration
