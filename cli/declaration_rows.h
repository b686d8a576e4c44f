// The roster rows a declaration is built from (DeclarationFromRosterText), as statements for the
// store's query service (IEmployeeDao::getData): the persons x enrolments x items of the update
// view (IEmployeeService::getUpdateData), in its order and under its member names, with only the
// members the declaration reads. The update view writes all 49 of a row's members (some 150 MB of
// text at 100,000 persons, held while the declaration is put together); these rows have 16, and
// the store sorts narrower rows.
//
// DeclarationFromStore reads them a page of persons at a time and builds the declaration from
// each page on a thread of its own while the store reads the next: the reading and the building
// (each about half a second at 100,000 persons) overlap, and no page is held once it is built.
//
// Plain functions; any thread. DeclarationFromStore calls the store on the calling thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "cli/roster_declaration.h"
#include "velmor/employee_dao.h"

namespace velmor::cli {

// The rows of the payer `djxh`'s items whose fee months include `month` ("YYYY-MM"; "" for every
// item), as getUpdateData filters them by month. Every value is quote-doubled.
std::string DeclarationRowsSql(const std::string& djxh, const std::string& month);
// The same rows of the persons whose stored id is in (`above`, `upTo`]: the whole listing is the
// pages of successive ranges, highest ids first.
std::string DeclarationRowsSql(const std::string& djxh, const std::string& month, int64_t above, int64_t upTo);

inline constexpr int64_t kDeclarationPagePersons = 10000;  // stored ids a page covers

// The declaration DeclarationFromTakenRosterText builds from the rows of DeclarationRowsSql(djxh,
// month), the same text or the same failure, read in pages of `pagePersons` stored ids. Each
// page's text goes to `eachPage` (when given) on the calling thread, in order, before it is built.
// A page the row reader does not take (or a store that answers no id range) makes it read the
// whole listing at once as DeclarationFromTakenRosterText does.
RosterDeclaration DeclarationFromStore(IEmployeeDao& store, const std::string& djxh, const std::string& month,
                                       const std::map<std::string, double>& amounts, const std::string& swjgdm,
                                       int jfnd, const std::function<void(std::string_view page)>& eachPage = {},
                                       int64_t pagePersons = kDeclarationPagePersons);

}  // namespace velmor::cli
