// Writing the fast XML document back as text.
//
// One pass over the tree (iterative, so depth is not limited by the stack), applying the owner
// document's indent string and output encoding; a node without owner is written as stored and
// without indentation. Safe on any thread for a tree no other thread changes.
#pragma once

#include <string>

namespace velmor {

class TXMLNode;
class TXMLDocument;

// Appends the XML text of `node` and its subtree.
void XmlWriteNode(std::string& out, const TXMLNode& node, const TXMLDocument* owner);

}  // namespace velmor
