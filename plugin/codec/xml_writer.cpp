#include "codec/xml_writer.h"

#include <vector>

#include "codec/xml_document.h"
#include "codec/xml_node.h"
#include "codec/xml_text.h"

namespace velmor {

namespace {

class Writer {
 public:
  Writer(std::string& out, const TXMLDocument* owner)
      : out_(out),
        indent_(owner ? owner->indent() : std::string()),
        mode_(owner ? owner->output_encoding() : XMLOutputEncoding::AsStored) {}

  void Write(const TXMLNode& top) {
    // Each frame is a node and the next child to write; -1 until its start has been written.
    struct Frame {
      const TXMLNode* node;
      long next;
    };
    std::vector<Frame> stack{{&top, -1}};
    while (!stack.empty()) {
      Frame& f = stack.back();
      const TXMLNode& n = *f.node;
      if (f.next < 0) {
        if (!Start(n)) {
          stack.pop_back();
          continue;
        }
        f.next = 0;
      }
      if (static_cast<uint32_t>(f.next) < n.child_count()) {
        const TXMLNode* child = n.child(static_cast<uint32_t>(f.next++));
        stack.push_back({child, -1});  // invalidates f
        continue;
      }
      Indent(n);
      out_ += "</";
      Text(n.name(), false);
      out_ += '>';
      stack.pop_back();
    }
  }

 private:
  // Writes what comes before the children; false when the node is complete.
  bool Start(const TXMLNode& n) {
    switch (n.kind()) {
      case XMLNodeKind::CData:
        out_ += "<![CDATA[";
        Text(n.text(), false);
        out_ += "]]>";
        return false;
      case XMLNodeKind::ProcessingInstruction:
        Indent(n);
        out_ += "<?";
        Text(n.name(), false);
        out_ += ' ';
        Text(n.text(), true);
        out_ += " ?>";
        return false;
      case XMLNodeKind::Comment:
        Indent(n);
        out_ += "<!--";
        Text(n.text(), true);
        out_ += "-->";
        return false;
      case XMLNodeKind::Element:
        break;
    }
    Indent(n);
    out_ += '<';
    Text(n.name(), false);
    if (const auto* attributes = n.attributes()) {
      for (const TXMLAttribute& a : *attributes) {
        out_ += ' ';
        Text(a.name, false);
        out_ += "=\"";
        Text(a.value, true);
        out_ += '"';
      }
    }
    if (n.child_count() == 0) {
      if (n.text().empty()) {
        out_ += " />";
      } else {
        out_ += '>';
        Text(n.text(), true);
        out_ += "</";
        Text(n.name(), false);
        out_ += '>';
      }
      return false;
    }
    out_ += '>';
    Text(n.text(), true);
    return true;
  }

  void Indent(const TXMLNode& n) {
    if (indent_.empty()) return;
    out_ += "\r\n";
    for (int32_t i = 0; i < n.level(); ++i) out_ += indent_;
  }

  void Text(std::string_view text, bool escape) {
    if (mode_ == XMLOutputEncoding::AsStored) {
      Put(text, escape);
    } else {
      Put(mode_ == XMLOutputEncoding::Ansi ? XmlUtf8ToAnsi(text) : XmlAnsiToUtf8(text), escape);
    }
  }
  void Put(std::string_view text, bool escape) {
    if (escape) XmlAppendEscaped(out_, text);
    else out_.append(text);
  }

  std::string& out_;
  std::string indent_;
  XMLOutputEncoding mode_;
};

}  // namespace

void XmlWriteNode(std::string& out, const TXMLNode& node, const TXMLDocument* owner) {
  Writer(out, owner).Write(node);
}

}  // namespace velmor
