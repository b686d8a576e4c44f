// Values of a row handed to a store as JSON, read strictly for the statement they go into: an
// integer or number that is not one raises instead of storing 0, and a list of integers for an
// "in (...)" condition is checked before it reaches the SQL text. Pure functions; any thread.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "store/sql.h"

namespace velmor {

// A member as an integer (0 when absent or empty); a text that is no integer raises
// velmor::Exception key + "[" + text + "]不是整数。".
int32_t RowInt(const nlohmann::ordered_json& row, const char* key);
// A member as a number (0 when absent or empty); anything else raises key + "[" + text + "]不是数字。".
double RowNumber(const nlohmann::ordered_json& row, const char* key);
// "2,6" as the SQL list "2, 6"; anything but integers raises "查询条件" + key + "[" + text +
// "]不是整数列表。".
SqlFragment IntegerList(const std::string& text, const char* key);

}  // namespace velmor
