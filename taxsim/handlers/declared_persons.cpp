// DeclaredPersons: the persons of a declaration entry, from its compact rows or its JSON array.
#include <cstdlib>
#include <string>

#include "taxsim/handlers/declaration_book.h"

namespace velmor::taxsim {

DeclaredPersons::DeclaredPersons(const State& state, const nlohmann::json& entry) {
  auto rows = entry.find("personRows");
  if (rows != entry.end() && rows->is_number_unsigned() && rows->get<size_t>() < state.declaredPersons.size()) {
    rows_ = &state.declaredPersons[rows->get<size_t>()];
    return;
  }
  auto persons = entry.find("persons");
  if (persons != entry.end() && persons->is_array()) json_ = &*persons;
}

size_t DeclaredPersons::size() const { return rows_ ? rows_->count : json_ ? json_->size() : 0; }

DeclaredPersons::Member DeclaredPersons::Find(std::string_view name) const {
  Member m{name, 0};
  if (!rows_) return m;
  while (m.column < rows_->names.size() && rows_->names[m.column] != name) ++m.column;
  return m;
}

std::string_view DeclaredPersons::Text(size_t i, const Member& m, std::string_view fallback) const {
  if (rows_) {
    const size_t width = rows_->names.size();
    if (m.column >= width || !rows_->present[i * width + m.column]) return fallback;
    return rows_->Value(i * width + m.column);
  }
  const nlohmann::json& p = (*json_)[i];
  if (!p.is_object()) return fallback;
  auto it = p.find(m.name);
  if (it == p.end() || !it->is_string()) return fallback;
  return it->get_ref<const std::string&>();
}

double DeclaredPersons::Amount(size_t i, const Member& m) const {
  if (rows_) {
    const std::string_view v = Text(i, m);
    return v.empty() ? 0 : std::atof(std::string(v).c_str());
  }
  const nlohmann::json& p = (*json_)[i];
  if (!p.is_object()) return 0;
  auto it = p.find(m.name);
  if (it == p.end()) return 0;
  if (it->is_number()) return it->get<double>();
  if (it->is_string()) return std::atof(it->get_ref<const std::string&>().c_str());
  return 0;
}

}  // namespace velmor::taxsim
