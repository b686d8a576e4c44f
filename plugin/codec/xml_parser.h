// The one forward scan that turns a text into a fast XML tree.
//
// The first tag is taken as the XML declaration whatever it is; text is kept as the input bytes
// with the five entities decoded once; an element's character content is only accepted right
// after its start tag. Comments and processing instructions outside the root element are
// dropped; CDATA there is refused like any other character data. Stateless; safe on any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "velmor/ref.h"

namespace velmor {

class TXMLNode;
class TXMLDocument;

struct XmlParseResult {
  Ref<TXMLNode> root;  // null when the text held nothing after its first tag
  std::string version = "1.0";
  std::string encoding;
  std::string standalone;
  int32_t nodeCount = 0;
  int32_t maxLevel = 0;
};

// Parses `xml` into a tree owned by `owner` (nodes point at it). Raises EXMLException.
XmlParseResult XmlParse(std::string_view xml, TXMLDocument* owner);

// The message text of the invalid-content error for a fault at `pos`: twenty characters from
// there (a character being a UTF-8 sequence, so that the message stays valid UTF-8).
std::string XmlTextNear(std::string_view xml, size_t pos);

}  // namespace velmor
