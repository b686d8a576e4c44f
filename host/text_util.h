// Small text helpers of the host: ASCII case folding and trimming. Pure functions.
#pragma once

#include <string>
#include <string_view>

namespace velmor::host {

// ASCII-only lower case: names of the host (GUID strings, instance names) are ASCII; other bytes
// are kept, so UTF-8 text passes through unchanged.
std::string AsciiLower(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// Removes spaces, tabs, CR and LF at both ends.
std::string_view Trim(std::string_view text);

}  // namespace velmor::host
