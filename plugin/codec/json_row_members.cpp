#include "codec/json_row_members.h"

namespace velmor {

RowMembers::RowMembers(std::initializer_list<std::string_view> names) : names_(names), places_(names.size(), 0) {}

const nlohmann::ordered_json* RowMembers::Find(const nlohmann::ordered_json& row, size_t i) {
  if (!row.is_object()) return nullptr;
  const auto& members = row.get_ref<const nlohmann::ordered_json::object_t&>();
  const std::string_view name = names_[i];
  size_t& place = places_[i];
  if (place < members.size()) {
    const auto& [key, value] = *(members.begin() + static_cast<std::ptrdiff_t>(place));
    if (key == name) return &value;
  }
  // Another layout: a search (an object holds each name once).
  for (size_t at = 0; at < members.size(); ++at) {
    const auto& [key, value] = *(members.begin() + static_cast<std::ptrdiff_t>(at));
    if (key == name) {
      place = at;
      return &value;
    }
  }
  return nullptr;
}

std::string_view RowMembers::Text(const nlohmann::ordered_json& row, size_t i) {
  const nlohmann::ordered_json* value = Find(row, i);
  if (!value || value->is_null()) return {};
  if (value->is_string()) return value->get_ref<const std::string&>();
  other_ = value->dump();
  return other_;
}

}  // namespace velmor
