// JSON results of the stores as text: compact, UTF-8, with bytes that are not UTF-8 replaced
// rather than failing the whole result.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace velmor {

inline std::string JsonText(const nlohmann::ordered_json& value) {
  return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace velmor
