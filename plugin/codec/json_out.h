// Writing JSON text exactly as the general parser's dump() writes the value it read (compact,
// UTF-8 kept as it is), for readers that pass values through without building a tree of them: a
// text read and written again this way equals parse(text).dump().
//
// Pure functions; any thread.
#pragma once

#include <string>
#include <string_view>

namespace velmor {

// `s` (UTF-8) as a JSON string: '"' and '\' escaped, \b \f \n \r \t by name, other bytes below
// 0x20 as \u00xx; the rest as it is.
void AppendJsonString(std::string& out, std::string_view s);

// Any text as the general writer writes it as a JSON string: well-formed UTF-8 as
// AppendJsonString writes it; other bytes replaced by U+FFFD with `replaceInvalid`, else refused
// as the general writer refuses them (nlohmann::json::type_error).
void AppendJsonText(std::string& out, std::string_view text, bool replaceInvalid);

// A number as written in JSON text (a token the JSON cursor checked) as dump() writes the number
// read from it: plain integers as they are, anything else (fractions, exponents, "-0", integers
// beyond 64 bits) through the general parser.
void AppendJsonNumber(std::string& out, std::string_view token);

// Any checked JSON value (an object or array as written) as dump() writes it.
void AppendJsonValue(std::string& out, std::string_view text);

}  // namespace velmor
