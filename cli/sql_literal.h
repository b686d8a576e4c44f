// A text as a literal of the store's SQL, for the statements the command line hands to the
// plug-in's query service: in single quotes, each quote inside doubled.
//
// Plain function; any thread.
#pragma once

#include <string>
#include <string_view>

namespace velmor::cli {

inline std::string SqlLiteral(std::string_view value) {
  std::string out;
  out.reserve(value.size() + 2);
  out += '\'';
  for (const char c : value) {
    if (c == '\'') out += '\'';
    out += c;
  }
  out += '\'';
  return out;
}

}  // namespace velmor::cli
