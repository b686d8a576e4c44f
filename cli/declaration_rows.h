// The roster rows a declaration is built from (DeclarationFromRosterText), as one statement for
// the store's query service (IEmployeeDao::getData): the persons x enrolments x items of the
// update view (IEmployeeService::getUpdateData), in its order and under its member names, with
// only the members the declaration reads. The update view writes all 49 of a row's members
// (some 150 MB of text at 100,000 persons, held while the declaration is put together); these
// rows have 16, and the store sorts narrower rows.
//
// A plain function; any thread.
#pragma once

#include <string>

namespace velmor::cli {

// The rows of the payer `djxh`'s items whose fee months include `month` ("YYYY-MM"; "" for every
// item), as getUpdateData filters them by month. Every value is quote-doubled.
std::string DeclarationRowsSql(const std::string& djxh, const std::string& month);

}  // namespace velmor::cli
