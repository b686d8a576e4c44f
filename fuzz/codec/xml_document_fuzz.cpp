// The fast XML document on arbitrary text: a load either raises EXMLException or gives a tree
// whose written text loads again, writes the same way from then on, and answers lookups by name
// as a scan of the children does.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "codec/xml_document.h"
#include "velmor/xml_exception.h"

namespace {

using namespace velmor;

// FindChild gives the first child, in order, that carries the name.
void CheckLookups(IXMLNode* node, bool caseSensitive) {
  int32_t n = node->GetChildCount();
  for (int32_t i = 0; i < n; ++i) {
    Ref<IXMLNode> child = node->GetChild(i);
    for (const std::string& name : {child->GetNodeName(), child->GetLocalName()}) {
      if (name.empty()) continue;
      Ref<IXMLNode> found = node->FindChild(name);
      if (!found || node->IndexOfChild(found.get()) > i) std::abort();
    }
    if (child->GetParentNode().get() != node || child->GetLevel() != node->GetLevel() + 1) std::abort();
    CheckLookups(child.get(), caseSensitive);
  }
}

std::string Written(const std::string& xml) {
  Ref<IXMLDocument> doc = LoadXMLDocument(xml);
  return doc->GetRoot() ? doc->GetXML() : std::string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  Ref<IXMLDocument> doc;
  try {
    doc = LoadXMLDocument(text);
  } catch (const EXMLException&) {
    return 0;
  }
  Ref<IXMLNode> root = doc->GetRoot();
  if (!root) return 0;
  if (size < 2000) {  // the recursive check, on texts of a depth the stack takes
    CheckLookups(root.get(), true);
    doc->SetCaseSensitive(false);
    CheckLookups(root.get(), false);
    doc->SetCaseSensitive(true);
  }
  std::string once = doc->GetXML();
  std::string twice, thrice;
  try {
    twice = Written(once);
    thrice = Written(twice);
  } catch (const EXMLException&) {
    std::abort();  // what the document writes, it must load
  }
  // Blank-only texts are not text when read back, so the written form settles after one pass.
  if (twice != thrice) std::abort();
  doc->SetIndent("  ");
  doc->SetOutputEncoding(XMLOutputEncoding::Utf8);
  (void)doc->GetXML();
  doc->SetOutputEncoding(XMLOutputEncoding::Ansi);
  (void)doc->GetXML();
  // Detach the root's first child and let the document go first.
  if (Ref<IXMLNode> first = root->GetChild(0)) {
    root->RemoveChild(0);
    doc = nullptr;
    root = nullptr;
    (void)first->GetXML();
  }
  return 0;
}
