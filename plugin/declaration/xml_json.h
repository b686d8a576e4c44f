// The server's answer document as JSON, for callers that take answers as JSON text: an element
// without element children becomes its text, one with children an object of them; a repeated
// name, and every child of an element whose name ends in "List", make an array (so a list of one
// row is still an array).
//
// A pure function of its argument; any thread.
#pragma once

#include <nlohmann/json.hpp>
#include <pugixml.hpp>

namespace velmor::declaration {

nlohmann::ordered_json XmlToJson(pugi::xml_node element);

}  // namespace velmor::declaration
