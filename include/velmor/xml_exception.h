// EXMLException: every failure of the fast XML document (loading, writing, tree edits).
//
// The messages are fixed texts, some with one placeholder; the factory functions below build
// them so that callers and tests compare against one spelling.
#pragma once

#include <string>
#include <string_view>

#include "velmor/exceptions.h"

namespace velmor {

class VELMOR_API EXMLException : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EXMLException"; }

  // Loading an empty text.
  static EXMLException InvalidString() { return EXMLException("Invalid xml string"); }
  // A syntax fault; `near` is the input from the failing position (twenty characters).
  static EXMLException InvalidContent(std::string_view near) {
    return EXMLException("Invalid xml content \"" + std::string(near) + "\"");
  }
  // A second top-level element.
  static EXMLException OneRoot() {
    return EXMLException("Only one top node can be contain in a xml Document.");
  }
  // The input ended with an element open; `endTag` is "</name>".
  static EXMLException Unclosed(std::string_view endTag) {
    return EXMLException("no node end singe of the nodename \"" + std::string(endTag) + "\"");
  }
  static EXMLException Capacity(long capacity) {
    return EXMLException("Node list capacity out of bounds (" + std::to_string(capacity) + ")");
  }
  static EXMLException Index(long index) {
    return EXMLException("Node list index out of bounds (" + std::to_string(index) + ")");
  }
  static EXMLException NoNode() { return EXMLException("XMLNode can not be nul"); }
  static EXMLException Version() { return EXMLException("Invalid xml vrison"); }
  static EXMLException NoDocument() { return EXMLException("No active document"); }
  static EXMLException NoFile() { return EXMLException("File not exist"); }
  // Inserting a node under itself or one of its descendants (the tree would become a cycle).
  static EXMLException Cycle() {
    return EXMLException("XMLNode can not be inserted into itself or its descendant");
  }
  // Writing a file failed.
  static EXMLException WriteFailed(const std::string& path) {
    return EXMLException("Can not write file \"" + path + "\"");
  }
};

}  // namespace velmor
