// The levels of the host's debug log. The host writes its own records at these levels; the
// plug-in passes its own integers, and the log's threshold ([log] level) keeps records whose level
// is at most the threshold.
#pragma once

#include <cstdint>

namespace velmor::host {

inline constexpr int32_t kLogError = 0;
inline constexpr int32_t kLogWarning = 1;
inline constexpr int32_t kLogInfo = 2;
inline constexpr int32_t kLogDebug = 3;  // also the level of EnterProc / LeaveProc lines

}  // namespace velmor::host
