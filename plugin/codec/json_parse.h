// Parsing JSON that comes from outside the plug-in (server answers, texts a host hands in) within
// the nesting bound of velmor/json_depth.h.
//
// Stateless; any thread.
#pragma once

#include <string_view>

#include "velmor/exceptions.h"
#include "velmor/json_depth.h"

namespace velmor {

// J::parse(text, nullptr, allowExceptions) for text within the bound; deeper text raises
// velmor::Exception(JsonTooDeepText()) whatever allowExceptions says.
template <class J>
J ParseOutsideJson(std::string_view text, bool allowExceptions = true) {
  if (!JsonDepthWithin(text)) throw Exception(JsonTooDeepText());
  return J::parse(text, nullptr, allowExceptions);
}

}  // namespace velmor
