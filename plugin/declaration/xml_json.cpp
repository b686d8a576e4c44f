#include "declaration/xml_json.h"

#include <string_view>

namespace velmor::declaration {

namespace {
bool IsListName(std::string_view name) { return name.size() > 4 && name.substr(name.size() - 4) == "List"; }

bool HasElementChildren(pugi::xml_node node) {
  for (pugi::xml_node c : node.children()) {
    if (c.type() == pugi::node_element) return true;
  }
  return false;
}
}  // namespace

nlohmann::ordered_json XmlToJson(pugi::xml_node element) {
  using Json = nlohmann::ordered_json;
  if (!HasElementChildren(element)) {
    return IsListName(element.name()) ? Json::array() : Json(std::string(element.text().get()));
  }
  if (IsListName(element.name())) {
    Json rows = Json::array();
    for (pugi::xml_node c : element.children()) {
      if (c.type() == pugi::node_element) rows.push_back(XmlToJson(c));
    }
    return rows;
  }
  // Group by name first, so a name met again turns into an array exactly once.
  Json object = Json::object();
  Json counts = Json::object();
  for (pugi::xml_node c : element.children()) {
    if (c.type() == pugi::node_element) counts[c.name()] = counts.value(c.name(), 0) + 1;
  }
  for (pugi::xml_node c : element.children()) {
    if (c.type() != pugi::node_element) continue;
    Json value = XmlToJson(c);
    if (counts[c.name()].get<int>() == 1) {
      object[c.name()] = std::move(value);
    } else {
      object[c.name()].push_back(std::move(value));
    }
  }
  return object;
}

}  // namespace velmor::declaration
