// `velmor roster list`: a page of the roster's persons printed through Output, read from the
// store in chunks so that a page of 100,000 persons never sits in memory at once. Main thread.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/employee_service.h"

namespace velmor::cli {

class PluginSession;

// The store pages that make up one page of `size` rows: a chunk size dividing `size` (so that
// chunks line up with the page), at most 2,000 rows; `size` itself when only tiny divisors exist.
int32_t ListChunk(int32_t size);

// Prints page `page` of `size` persons of `filter`; answers how many persons match in all.
// Raises HostError with the store's message when it cannot be read.
int32_t PrintPersons(PluginSession& session, IEmployeeService& roster, const std::string& djxh,
                     const RyListFilter& filter, int32_t page, int32_t size);

}  // namespace velmor::cli
