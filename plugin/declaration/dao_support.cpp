#include "declaration/dao_support.h"

#include <charconv>
#include <cmath>
#include "codec/json_parse.h"

namespace velmor::declaration {

Json ParseObject(const std::string& text, const char* userText) {
  Json value = ParseOutsideJson<Json>(text, false);
  if (!value.is_object()) throw StoreError(userText, "不是JSON对象：" + text.substr(0, 80));
  return value;
}

Json ParseArray(const std::string& text, const char* userText) {
  Json value = ParseOutsideJson<Json>(text, false);
  if (!value.is_array()) throw StoreError(userText, "不是JSON数组：" + text.substr(0, 80));
  return value;
}

std::string Text(const Json& record, std::string_view key) {
  auto it = record.find(key);
  if (it == record.end() || it->is_null()) return {};
  if (it->is_string()) return it->get<std::string>();
  return it->dump();
}

double NumberInText(std::string_view text, std::string_view key, double fallback, bool integral) {
  if (text.empty()) return fallback;
  double value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || !std::isfinite(value) || (integral && value != std::floor(value))) {
    throw Exception("字段[" + std::string(key) + "]不是数值：" + std::string(text));
  }
  return value;
}

int32_t CheckedInt(double v, std::string_view key) {
  if (v < INT32_MIN || v > INT32_MAX) throw Exception("字段[" + std::string(key) + "]超出范围");
  return static_cast<int32_t>(v);
}

namespace {
double NumberOf(const Json* value, std::string_view key, double fallback, bool integral) {
  if (!value || value->is_null()) return fallback;
  if (value->is_number()) return value->get<double>();
  if (value->is_boolean()) return value->get<bool>() ? 1 : 0;
  if (value->is_string()) return NumberInText(value->get_ref<const std::string&>(), key, fallback, integral);
  return NumberInText(value->dump(), key, fallback, integral);
}

double NumberOf(const Json& record, std::string_view key, double fallback, bool integral) {
  auto it = record.find(key);
  return NumberOf(it == record.end() ? nullptr : &*it, key, fallback, integral);
}
}  // namespace

double AmountOf(const Json* value, std::string_view key, double fallback) {
  return NumberOf(value, key, fallback, false);
}

int32_t Int(const Json& record, std::string_view key, int32_t fallback) {
  return CheckedInt(NumberOf(record, key, fallback, true), key);
}

double Amount(const Json& record, std::string_view key, double fallback) {
  return NumberOf(record, key, fallback, false);
}

std::string StateList(std::string_view states, const char* userText) {
  std::string out;
  size_t pos = 0;
  while (pos <= states.size()) {
    size_t comma = states.find(',', pos);
    std::string_view part = states.substr(pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos);
    while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
    while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
    int value = 0;
    auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (part.empty() || ec != std::errc() || ptr != part.data() + part.size()) {
      throw StoreError(userText, "状态列表无效：" + std::string(states));
    }
    if (!out.empty()) out += ",";
    out += std::to_string(value);
    if (comma == std::string_view::npos) break;
    pos = comma + 1;
  }
  return out;
}

}  // namespace velmor::declaration
