// Reading a large JSON array of row objects (a listing of 200,000 payment lines) without a tree:
// the array is walked once with the JSON cursor and each row handed over as its span of the text
// with the texts of the members asked for.
//
// Plain function; any thread.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace velmor::cli {

// For each object of the array `text`, in order: `row(span, values)` with the object's text and,
// per name of `members`, the member's string (decoded) or number (as written); "" for a member
// that is missing, null, true, false, an object or an array. Raises std::runtime_error naming
// the byte when the text is no JSON array of objects.
void ForEachRow(std::string_view text, std::initializer_list<std::string_view> members,
                const std::function<void(std::string_view span, const std::vector<std::string>& values)>& row);

}  // namespace velmor::cli
