#include "workbook/xlsx_xml.h"

#include <cstring>

#include "workbook/workbook_error.h"

namespace velmor::workbook::xlsx {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;  // a lone surrogate cannot be written in UTF-8
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string_view LocalName(const char* name) {
  const char* colon = std::strrchr(name, ':');
  return colon ? std::string_view(colon + 1) : std::string_view(name);
}

void ParseXml(std::string& buffer, pugi::xml_document& doc, const std::string& displayPath, const std::string& part) {
  // Whitespace-only text is kept where it is an element's only content (<t xml:space="preserve"> </t>).
  unsigned options = pugi::parse_default | pugi::parse_ws_pcdata_single;
  pugi::xml_parse_result r = doc.load_buffer_inplace(buffer.data(), buffer.size(), options, pugi::encoding_auto);
  if (!r) throw WorkbookError::Damaged(displayPath, "部件" + part + "的XML格式错误：" + r.description());
  if (!doc.document_element()) throw WorkbookError::Damaged(displayPath, "部件" + part + "没有内容");
}

pugi::xml_node Child(pugi::xml_node node, std::string_view local) {
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element && LocalName(c.name()) == local) return c;
  return {};
}

pugi::xml_attribute Attr(pugi::xml_node node, std::string_view local) {
  for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
    if (LocalName(a.name()) == local) return a;
  return {};
}

pugi::xml_attribute RelIdAttr(pugi::xml_node node) {
  for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
    if (std::strchr(a.name(), ':') && LocalName(a.name()) == "id") return a;
  return {};
}

std::string StringItemText(pugi::xml_node item) {
  std::string out;
  for (pugi::xml_node c = item.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    std::string_view n = LocalName(c.name());
    if (n == "t") {
      out += c.text().get();
    } else if (n == "r") {
      if (pugi::xml_node t = Child(c, "t")) out += t.text().get();
    }
  }
  return out.find("_x") == std::string::npos ? out : DecodeEscapes(out);
}

std::string DecodeEscapes(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '_' && i + 6 < s.size() && s[i + 1] == 'x' && s[i + 6] == '_') {
      int v = 0;
      bool ok = true;
      for (size_t k = 2; k < 6 && ok; ++k) {
        int h = HexValue(s[i + k]);
        ok = h >= 0;
        v = v * 16 + h;
      }
      if (ok) {
        AppendUtf8(out, static_cast<uint32_t>(v));
        i += 6;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

bool XmlBool(pugi::xml_attribute a) {
  std::string_view v = a.value();
  return v == "1" || v == "true";
}

}  // namespace velmor::workbook::xlsx
