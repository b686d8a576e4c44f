// JSON results of the stores as text: compact, UTF-8, with bytes that are not UTF-8 replaced
// rather than failing the whole result; and the JSON filter objects the stores take.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "velmor/exceptions.h"

namespace velmor {

inline std::string JsonText(const nlohmann::ordered_json& value) {
  return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

// The text of column `name` of a store row; "" when absent, null or not text.
inline std::string RowText(const nlohmann::ordered_json& row, const char* name) {
  auto it = row.find(name);
  return it == row.end() || !it->is_string() ? std::string() : it->get<std::string>();
}

// A filter text as a JSON object: blank text gives an empty one; anything but an object raises
// velmor::Exception("查询条件不是JSON对象。").
inline nlohmann::ordered_json FilterObject(const std::string& text) {
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) return nlohmann::ordered_json::object();
  nlohmann::ordered_json f = nlohmann::ordered_json::parse(text, nullptr, false);
  if (!f.is_object()) throw Exception("查询条件不是JSON对象。");
  return f;
}

}  // namespace velmor
