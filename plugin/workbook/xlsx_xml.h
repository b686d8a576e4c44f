// Helpers for the XML parts of an XLSX package: parsing with failure reporting, and access to
// elements and attributes by local name, so that prefixed documents ("x:row") and the strict
// namespaces read the same as the usual ones.
//
// Stateless; pugixml handles are cheap and never own memory.
#pragma once

#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace velmor::workbook::xlsx {

// The name without its namespace prefix.
std::string_view LocalName(const char* name);

// Parses `buffer` in place (the document points into it, so the buffer must outlive it). Throws
// WorkbookError kDamaged naming the part and the parser's description.
void ParseXml(std::string& buffer, pugi::xml_document& doc, const std::string& displayPath, const std::string& part);

// The first child element with that local name; a null handle when none.
pugi::xml_node Child(pugi::xml_node node, std::string_view local);
// The attribute with that local name (any prefix); a null handle when none.
pugi::xml_attribute Attr(pugi::xml_node node, std::string_view local);
// A relationship id attribute ("r:id"): an attribute named id that carries a prefix.
pugi::xml_attribute RelIdAttr(pugi::xml_node node);

// Calls f(child) for each child element with that local name.
template <class F>
void ForEachChild(pugi::xml_node node, std::string_view local, F&& f) {
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element && LocalName(c.name()) == local) f(c);
}

// The text of a string item (<si>, <is>): its <t>, or the <t> of its rich-text runs, with the
// _xHHHH_ escapes decoded. Phonetic runs (<rPh>) are left out.
std::string StringItemText(pugi::xml_node item);

// Decodes the _xHHHH_ escapes of OOXML strings ("_x000D_" is a carriage return).
std::string DecodeEscapes(std::string_view text);

// True for "1" and "true".
bool XmlBool(pugi::xml_attribute a);

}  // namespace velmor::workbook::xlsx
