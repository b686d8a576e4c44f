// The members of a JSON object text that a caller reads (a server answer's lists), found with the
// JSON cursor as spans of their values' text, without a tree of the whole answer.
//
// Pure function; any thread.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmor {

// The value of each member in `names` (the last one where a name is given twice, as the general
// parser reads it) as its span of the text; an empty view when absent. False when the text is no
// JSON object. Text the cursor refuses is read by the general parser (raising for text deeper
// than the nesting bound); when it reads an object, the spans are into its tree's text, kept in
// `normal`.
bool ObjectMembers(std::string_view text, std::span<const std::string_view> names,
                   std::vector<std::string_view>& values, std::string& normal);

}  // namespace velmor
