// File-name helpers shared by the services that write workbooks and exports.
//
// Stateless; safe from any thread, though another process may of course take a name between the
// check and its use.
#pragma once

#include <string>

namespace velmor {

// path itself when no file (or directory, or link) of that name exists; otherwise the first of
// base(1)ext, base(2)ext, ... that names none, where ext is the extension with its leading "."
// ("out/x.xls" with x.xls and x(1).xls present gives "out/x(2).xls"). A name whose existence
// cannot be checked (an unreadable folder) counts as free: creating the file then reports why.
std::string MakeUniqueFileName(const std::string& path);

}  // namespace velmor
