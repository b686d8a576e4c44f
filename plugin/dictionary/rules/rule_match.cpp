#include "dictionary/rules/rule_match.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "dictionary/name_list.h"

namespace velmor::dict {

bool CodeMatches(std::string_view rowCode, std::string_view wanted) {
  return rowCode == kWildcard || EqualsIgnoreCase(rowCode, wanted);
}

std::optional<long> DateNumber(std::string_view text) {
  std::string digits;
  if (text.size() == 8) {
    digits = text;
  } else if (text.size() >= 10 && text[4] == '-' && text[7] == '-' && (text.size() == 10 || text[10] == ' ')) {
    digits = std::string(text.substr(0, 4)) + std::string(text.substr(5, 2)) + std::string(text.substr(8, 2));
  } else {
    return std::nullopt;
  }
  for (char c : digits)
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
  return std::strtol(digits.c_str(), nullptr, 10);
}

std::optional<long> JsonDateNumber(const nlohmann::json& value) {
  if (value.is_number_integer()) return value.get<long>();
  if (value.is_string()) return DateNumber(std::string_view(value.get_ref<const std::string&>()));
  return std::nullopt;
}

std::optional<double> NumberOf(const nlohmann::json& value) {
  if (value.is_number()) return value.get<double>();
  if (!value.is_string()) return std::nullopt;
  const std::string& text = value.get_ref<const std::string&>();
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  double d = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(d)) return std::nullopt;
  return d;
}

namespace {

bool Absent(const nlohmann::json& row, const char* key) {
  auto it = row.find(key);
  return it == row.end() || it->is_null() || (it->is_string() && it->get_ref<const std::string&>().empty());
}

}  // namespace

bool InNumberRange(double x, const nlohmann::json& row, const char* low, const char* high) {
  if (!row.is_object()) return false;
  if (!Absent(row, low)) {
    std::optional<double> lo = NumberOf(row.at(low));
    if (!lo || x < *lo) return false;
  }
  if (!Absent(row, high)) {
    std::optional<double> hi = NumberOf(row.at(high));
    if (!hi || x > *hi) return false;
  }
  return true;
}

bool InDateRange(long date, const nlohmann::json& row, const char* low, const char* high) {
  if (!row.is_object()) return false;
  if (!Absent(row, low)) {
    std::optional<long> lo = JsonDateNumber(row.at(low));
    if (!lo || date < *lo) return false;
  }
  if (!Absent(row, high)) {
    std::optional<long> hi = JsonDateNumber(row.at(high));
    if (!hi || date > *hi) return false;
  }
  return true;
}

std::string JoinKey(std::initializer_list<std::string_view> parts) {
  std::string key;
  bool first = true;
  for (std::string_view p : parts) {
    if (!first) key += '_';
    first = false;
    key += FoldCase(p);
  }
  return key;
}

}  // namespace velmor::dict
