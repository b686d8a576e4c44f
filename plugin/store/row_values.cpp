#include "store/row_values.h"

#include <cstdlib>

#include "service/taxml_json.h"
#include "velmor/exceptions.h"

namespace velmor {

int32_t RowInt(const nlohmann::ordered_json& row, const char* key) {
  const std::string s = service::Text(row, key);
  if (s.empty()) return 0;
  char* end = nullptr;
  long v = std::strtol(s.c_str(), &end, 10);
  if (*end || v < INT32_MIN || v > INT32_MAX) throw Exception(std::string(key) + "[" + s + "]不是整数。");
  return static_cast<int32_t>(v);
}

double RowNumber(const nlohmann::ordered_json& row, const char* key) {
  const std::string s = service::Text(row, key);
  if (s.empty()) return 0;
  char* end = nullptr;
  double v = std::strtod(s.c_str(), &end);
  if (*end) throw Exception(std::string(key) + "[" + s + "]不是数字。");
  return v;
}

SqlFragment IntegerList(const std::string& text, const char* key) {
  std::string out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    std::string part = text.substr(start, end - start);
    while (!part.empty() && part.front() == ' ') part.erase(0, 1);
    while (!part.empty() && part.back() == ' ') part.pop_back();
    if (part.empty() || part.find_first_not_of("0123456789") != std::string::npos || part.size() > 9)
      throw Exception(std::string("查询条件") + key + "[" + text + "]不是整数列表。");
    out += (out.empty() ? "" : ", ") + part;
    start = end + 1;
  }
  return SqlFragment::Trusted(out);
}

}  // namespace velmor
