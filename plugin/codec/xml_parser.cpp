#include "codec/xml_parser.h"

#include <cstring>
#include <vector>

#include "codec/xml_node.h"
#include "codec/xml_text.h"
#include "velmor/xml_exception.h"

namespace velmor {

namespace {

inline bool IsWs(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

inline bool IsNameEnd(char c) { return IsWs(c) || c == '/' || c == '>'; }

const char* Find(const char* from, const char* end, std::string_view what) {
  if (from >= end) return nullptr;
  const char* hit = static_cast<const char*>(
      memmem(from, static_cast<size_t>(end - from), what.data(), what.size()));
  return hit;
}

class Parser {
 public:
  Parser(std::string_view xml, TXMLDocument* owner)
      : text_(xml), begin_(xml.data()), end_(xml.data() + xml.size()), owner_(owner) {}

  XmlParseResult Run() {
    if (text_.empty()) throw EXMLException::InvalidString();
    const char* p = Declaration(FirstTag());
    while (true) {
      p = SkipWs(p);
      if (p == end_) break;
      if (*p != '<') Fail(p);
      if (Starts(p, "<!--")) {
        p = Comment(p);
      } else if (Starts(p, "<![CDATA[")) {
        p = CData(p);
      } else if (Starts(p, "<?")) {
        p = Instruction(p);
      } else if (Starts(p, "</")) {
        p = EndTag(p);
      } else {
        p = StartTag(p);
      }
    }
    if (!stack_.empty()) throw EXMLException::Unclosed("</" + stack_.back()->name() + ">");
    return std::move(result_);
  }

 private:
  [[noreturn]] void Fail(const char* at) {
    throw EXMLException::InvalidContent(XmlTextNear(text_, static_cast<size_t>(at - begin_)));
  }

  const char* SkipWs(const char* p) const {
    while (p < end_ && IsWs(*p)) ++p;
    return p;
  }
  bool Starts(const char* p, std::string_view what) const {
    return static_cast<size_t>(end_ - p) >= what.size() && std::memcmp(p, what.data(), what.size()) == 0;
  }

  // The '<' that opens the first tag: after leading whitespace, or after a byte-order mark
  // (with at most one whitespace byte behind it) when the text starts with one.
  const char* FirstTag() {
    const char* p = SkipWs(begin_);
    if (p < end_ && *p == '<') return p;
    if (p != begin_) Fail(p);
    if (Starts(begin_, "\xEF\xBB\xBF")) {
      const char* q = begin_ + 3;
      if (q < end_ && *q == '<') return q;
      if (q + 1 < end_ && IsWs(*q) && q[1] == '<') return q + 1;
    }
    Fail(begin_);
  }

  // The first tag, up to the first '>', read as the XML declaration; returns what follows it.
  const char* Declaration(const char* lt) {
    const char* gt = static_cast<const char*>(std::memchr(lt, '>', static_cast<size_t>(end_ - lt)));
    if (!gt) Fail(lt);
    const char* s = lt + 1;
    while (s < gt && !IsWs(*s)) ++s;
    while (true) {
      while (s < gt && IsWs(*s)) ++s;
      if (s >= gt || *s == '?' || *s == '/') break;
      const char* name = s;
      while (s < gt && !IsWs(*s) && *s != '=') ++s;
      std::string_view key(name, static_cast<size_t>(s - name));
      while (s < gt && IsWs(*s)) ++s;
      if (s >= gt || *s != '=') break;  // not a pseudo-attribute: the rest is ignored
      ++s;
      while (s < gt && IsWs(*s)) ++s;
      if (s >= gt || (*s != '"' && *s != '\'')) Fail(s);
      const char* close = static_cast<const char*>(std::memchr(s + 1, *s, static_cast<size_t>(gt - s - 1)));
      if (!close) Fail(s);
      std::string value(s + 1, close);
      s = close + 1;
      if (XmlNamesEqual(key, "version", false)) {
        if (!value.empty()) result_.version = std::move(value);
      } else if (XmlNamesEqual(key, "encoding", false)) {
        result_.encoding = std::move(value);
      } else if (XmlNamesEqual(key, "standalone", false)) {
        result_.standalone = std::move(value);
      }
    }
    return gt + 1;
  }

  void Created(const TXMLNode& node) {
    ++result_.nodeCount;
    if (node.level() > result_.maxLevel) result_.maxLevel = node.level();
  }

  // Adds a comment, CDATA section or processing instruction to the open element.
  void AddToOpen(Ref<TXMLNode> node) {
    stack_.back()->AppendParsedChild(node.get(), owner_);
    Created(*node);
  }

  const char* Comment(const char* p) {
    const char* end = Find(p + 4, end_, "-->");
    if (!end) Fail(p);
    if (!stack_.empty()) {
      Ref<TXMLNode> node(new TXMLNode(XMLNodeKind::Comment, "#comment"));
      node->mutable_text().assign(p + 4, end);
      AddToOpen(std::move(node));
    }
    return end + 3;
  }

  const char* CData(const char* p) {
    const char* end = Find(p + 9, end_, "]]>");
    if (!end || stack_.empty()) Fail(p);
    Ref<TXMLNode> node(new TXMLNode(XMLNodeKind::CData, "#cdata-section"));
    node->mutable_text().assign(p + 9, end);
    AddToOpen(std::move(node));
    return end + 3;
  }

  // "<?target text?>": the node is named by the target and holds the rest (unescaped, without
  // the blanks around it), so that it is written back as it was read.
  const char* Instruction(const char* p) {
    const char* end = Find(p + 2, end_, "?>");
    if (!end) Fail(p);
    if (!stack_.empty()) {
      const char* s = p + 2;
      while (s < end && !IsWs(*s)) ++s;
      const char* t = s;
      while (t < end && IsWs(*t)) ++t;
      const char* tEnd = end;
      while (tEnd > t && IsWs(tEnd[-1])) --tEnd;
      Ref<TXMLNode> node(new TXMLNode(XMLNodeKind::ProcessingInstruction, std::string(p + 2, s)));
      XmlAppendUnescaped(node->mutable_text(), std::string_view(t, static_cast<size_t>(tEnd - t)));
      AddToOpen(std::move(node));
    }
    return end + 2;
  }

  // "</name>": closes the open element; the name compares without regard to case.
  const char* EndTag(const char* p) {
    const char* gt = static_cast<const char*>(std::memchr(p + 2, '>', static_cast<size_t>(end_ - p - 2)));
    if (!gt || stack_.empty()) Fail(p);
    const std::string& name = stack_.back()->name();
    std::string_view closing(p + 2, static_cast<size_t>(gt - p - 2));
    if (!XmlNamesEqual(name, closing, false)) Fail(p);
    stack_.pop_back();
    return gt + 1;
  }

  const char* StartTag(const char* p) {
    const char* s = p + 1;
    while (s < end_ && !IsNameEnd(*s)) ++s;
    if (s == p + 1 || s == end_) Fail(p);
    Ref<TXMLNode> node(new TXMLNode(XMLNodeKind::Element, std::string(p + 1, s)));
    bool empty = false;
    while (true) {
      s = SkipWs(s);
      if (s == end_) Fail(p);
      if (*s == '>') {
        ++s;
        break;
      }
      if (*s == '/') {
        if (s + 1 < end_ && s[1] == '>') {
          empty = true;
          s += 2;
          break;
        }
        Fail(s);
      }
      const char* name = s;
      while (s < end_ && !IsWs(*s) && *s != '=' && *s != '>' && *s != '/') ++s;
      if (s == name) Fail(s);
      std::string attrName(name, s);
      s = SkipWs(s);
      if (s == end_ || *s != '=') Fail(s);
      s = SkipWs(s + 1);
      if (s == end_ || (*s != '"' && *s != '\'')) Fail(s);
      const char* close = static_cast<const char*>(std::memchr(s + 1, *s, static_cast<size_t>(end_ - s - 1)));
      if (!close) Fail(s);
      std::string value;
      XmlAppendUnescaped(value, std::string_view(s + 1, static_cast<size_t>(close - s - 1)));
      node->AppendParsedAttribute(std::move(attrName), std::move(value));
      s = close + 1;
    }
    if (stack_.empty()) {
      if (result_.root) throw EXMLException::OneRoot();
      node->AttachSubtree(owner_, 0);
      result_.root = node;
    } else {
      stack_.back()->AppendParsedChild(node.get(), owner_);
    }
    Created(*node);
    if (empty) return s;
    stack_.push_back(node.get());
    // The element's text: everything up to the next '<', unless only blanks come before it.
    const char* t = SkipWs(s);
    if (t < end_ && *t == '<') return t;
    const char* lt = static_cast<const char*>(std::memchr(s, '<', static_cast<size_t>(end_ - s)));
    if (!lt) lt = end_;
    XmlAppendUnescaped(node->mutable_text(), std::string_view(s, static_cast<size_t>(lt - s)));
    return lt;
  }

  std::string_view text_;
  const char* begin_;
  const char* end_;
  TXMLDocument* owner_;
  std::vector<TXMLNode*> stack_;  // open elements, held by their parents (or the root)
  XmlParseResult result_;
};

}  // namespace

std::string XmlTextNear(std::string_view xml, size_t pos) {
  size_t end = pos;
  for (int chars = 0; chars < 20 && end < xml.size(); ++chars) {
    ++end;
    while (end < xml.size() && (static_cast<unsigned char>(xml[end]) & 0xC0) == 0x80) ++end;
  }
  return std::string(xml.substr(pos, end - pos));
}

XmlParseResult XmlParse(std::string_view xml, TXMLDocument* owner) { return Parser(xml, owner).Run(); }

}  // namespace velmor
