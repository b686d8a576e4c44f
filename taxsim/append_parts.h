// AppendParts: texts joined onto the end of a string with one resize and a copy of each, for the
// rows of large answers, where appending piece by piece (a capacity check and a terminator per
// piece, half a dozen pieces a field) made up much of the writing.
//
// A plain function; any thread, on a string of its own.
#pragma once

#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

namespace velmor::taxsim {

inline void AppendParts(std::string& out, std::initializer_list<std::string_view> parts) {
  size_t size = 0;
  for (const std::string_view part : parts) size += part.size();
  const size_t at = out.size();
  out.resize(at + size);
  char* w = out.data() + at;
  for (const std::string_view part : parts) {
    if (!part.empty()) std::memcpy(w, part.data(), part.size());  // an empty view may hold no pointer
    w += part.size();
  }
}

}  // namespace velmor::taxsim
