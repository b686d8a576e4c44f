// RowMembers: the members a caller reads from each of many rows that share one layout (the rows
// of a large answer, read one object at a time), found by the place the member had in the last
// row: one comparison of its name there, a search of the row only when the layout changes. A
// search by name walks an ordered object member by member; 25 names read from each of 200,000
// rows of 25 members made that a fifth of storing them.
//
// A value of one thread. The names are kept as views (pass literals); the views it hands out are
// into the row, or into this object for a value that is no text, until the next call.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace velmor {

class RowMembers {
 public:
  RowMembers(std::initializer_list<std::string_view> names);

  // Member `i` of the names of `row`, or null when the row has none (or is no object).
  const nlohmann::ordered_json* Find(const nlohmann::ordered_json& row, size_t i);
  // Its text: a string as it is, "" for an absent or null member, any other value in its JSON
  // form.
  std::string_view Text(const nlohmann::ordered_json& row, size_t i);

 private:
  std::vector<std::string_view> names_;
  std::vector<size_t> places_;  // each name's place in the last row where it was found
  std::string other_;
};

}  // namespace velmor
