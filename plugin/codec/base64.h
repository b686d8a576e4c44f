// Base64 of the standard alphabet (A-Z a-z 0-9 + /, "=" filling), without line breaks: the
// wrapping of request and response documents and of compressed JSON chunks.
//
// Stateless functions; safe to call from any thread. Texts are byte strings.
#pragma once

#include <string>
#include <string_view>

namespace velmor {

// The encoded text, 4 * ceil(data.size() / 3) characters; empty for empty data.
std::string Base64Encode(std::string_view data);

// The decoded bytes. A malformed text gives an empty result: a length that is not a multiple of
// four, a character outside the alphabet (blanks and line breaks included), or "=" anywhere but
// in the last one or two places. Unused low bits of the last group are ignored.
std::string Base64Decode(std::string_view text);

}  // namespace velmor
