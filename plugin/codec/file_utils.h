// File helpers shared by the services that write workbooks, exports and their own state files.
//
// Stateless; safe from any thread, though another process may of course take a name between the
// check and its use.
#pragma once

#include <string>
#include <string_view>

namespace velmor {

// path itself when no file (or directory, or link) of that name exists; otherwise the first of
// base(1)ext, base(2)ext, ... that names none, where ext is the extension with its leading "."
// ("out/x.xls" with x.xls and x(1).xls present gives "out/x(2).xls"). A name whose existence
// cannot be checked (an unreadable folder) counts as free: creating the file then reports why.
std::string MakeUniqueFileName(const std::string& path);

// Replaces the file `path` with `text` so that a killed process or a power loss leaves either the
// old or the new content, never a mix: writes a temporary file beside it, syncs it, renames it over
// `path` and syncs the folder. False with `error` set to the system's reason on failure (the
// temporary is removed, `path` untouched). The folder must exist.
bool WriteFileAtomically(const std::string& path, std::string_view text, std::string& error);

}  // namespace velmor
