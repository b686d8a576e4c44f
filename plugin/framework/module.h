// Module entry and lifecycle: the start-up parameters, the two module-wide procedure lists
// through which every service unit takes part in start-up and shut-down, and the module's date
// and time format settings.
//
// The lists are filled while the library loads (static registration, serialised by the loader)
// and only read afterwards; the exports run on the host's main thread. Nothing here is locked.
#pragma once

#include <string>
#include <string_view>

#include "velmor/platform.h"

namespace velmor {

using ServiceProc = void (*)();

// Appends proc unless it is null or already listed.
void AddServiceInitProc(ServiceProc proc);
void AddServiceFinalProc(ServiceProc proc);

// Adds a service unit's pair at the position of its unit order (the row of the registration
// table), so entry i of the final list undoes entry i of the init list whatever order the loader
// ran the units' static initialisers in. A proc already listed is not added again.
void AddServiceUnit(int unitOrder, ServiceProc init, ServiceProc final);

// The value of `key` in "k1=v1;k2=v2": the first occurrence of key + "=" (plain, case-sensitive
// substring search, so "XSERVICEDLL=" also matches "SERVICEDLL"), up to the next ";" or the end.
// Empty when key is empty or absent. Nothing is trimmed.
std::string GetParamValue(std::string_view params, std::string_view key);

// The directory part of a path: up to and including the last '\', '/' or ':'; empty when none.
std::string DirectoryPart(std::string_view path);

const std::string& ServiceDllPath();
const std::string& ServiceDir();
platform::WindowHandle SavedAppHandle();

// The module's settings: the user's locale with date separator '-', time separator ':', empty
// AM/PM strings, short date "yyyy-m-d", long date "yyyy-mm-dd", short time "hh:nn:ss".
const platform::FormatSettings& ModuleFormatSettings();

// Runs the procedure lists (what the exports do); each call is guarded and failures are silent.
void RunServiceInitProcs();
void RunServiceFinalProcs();

// Test hooks: the number of listed procedures, and a reset to the empty lists.
size_t TEST_InitProcCount();
size_t TEST_FinalProcCount();
void TEST_ResetProcLists();

}  // namespace velmor

// Declares a service unit: its start-up and shut-down procedures join the module lists when the
// library loads, at the position `order` (the unit's row in the registration table).
#define VELMOR_SERVICE_UNIT(order, initProc, finalProc)                              \
  namespace {                                                                        \
  [[maybe_unused]] const bool velmor_service_unit_registered_##order = [] {          \
    ::velmor::AddServiceUnit(order, initProc, finalProc);                            \
    return true;                                                                     \
  }();                                                                               \
  }
