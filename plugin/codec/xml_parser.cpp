#include "codec/xml_parser.h"

#include <array>
#include <cstring>
#include <vector>

#include "codec/xml_arena.h"
#include "codec/xml_node.h"
#include "codec/xml_text.h"
#include "velmor/xml_exception.h"

namespace velmor {

namespace {

// Byte classes: 1 whitespace (TAB, LF, CR, space), 2 ends a name ('/', '>').
constexpr std::array<uint8_t, 256> MakeClasses() {
  std::array<uint8_t, 256> t{};
  for (unsigned char c : {'\t', '\n', '\r', ' '}) t[c] = 1;
  for (unsigned char c : {'/', '>'}) t[c] = 2;
  return t;
}
constexpr std::array<uint8_t, 256> kClass = MakeClasses();

inline bool IsWs(char c) { return kClass[static_cast<unsigned char>(c)] == 1; }
inline bool IsNameEnd(char c) { return kClass[static_cast<unsigned char>(c)] != 0; }

const char* Find(const char* from, const char* end, std::string_view what) {
  if (from >= end) return nullptr;
  const char* hit = static_cast<const char*>(
      memmem(from, static_cast<size_t>(end - from), what.data(), what.size()));
  return hit;
}

class Parser {
 public:
  // The loader works on its own copy of the text, in the arena: names and texts point into it
  // and entities are decoded in place.
  Parser(std::string_view xml, TXMLDocument* owner) : text_(xml), owner_(owner), arena_(XmlArena::Create()) {
    try {
      char* copy = static_cast<char*>(arena_->Allocate(xml.size()));
      if (!xml.empty()) std::memcpy(copy, xml.data(), xml.size());
      begin_ = copy;
      end_ = copy + xml.size();
    } catch (...) {
      arena_->Release();
      throw;
    }
  }

  XmlParseResult Run() {
    try {
      Body();
    } catch (...) {
      // Every node made so far is the root, in the child array of a closed element, or waiting
      // in children_ for its open parent: releasing the last two kinds and the root frees all.
      Done();
      for (TXMLNode* node : children_) node->Release();
      result_.root.reset();
      throw;
    }
    Done();
    return std::move(result_);
  }

 private:
  void Body() {
    if (text_.empty()) throw EXMLException::InvalidString();
    const char* p = Declaration(FirstTag());
    while (true) {
      p = SkipWs(p);
      if (p == end_) break;
      if (*p != '<') Fail(p);
      char next = p + 1 < end_ ? p[1] : '\0';
      if (next == '/') {
        p = EndTag(p);
      } else if (next == '!' && Starts(p, "<!--")) {
        p = Comment(p);
      } else if (next == '!' && Starts(p, "<![CDATA[")) {
        p = CData(p);
      } else if (next == '?') {
        p = Instruction(p);
      } else {
        p = StartTag(p);
      }
    }
    if (!stack_.empty()) {
      throw EXMLException::Unclosed("</" + std::string(stack_.back().node->name()) + ">");
    }
  }

  // The arena gets a count per node made and loses the loader's own.
  void Done() {
    arena_->AddCount(result_.nodeCount);
    arena_->Release();
  }

  [[noreturn]] void Fail(const char* at) {
    throw EXMLException::InvalidContent(XmlTextNear(text_, static_cast<size_t>(at - begin_)));
  }

  const char* SkipWs(const char* p) const {
    // Indentation comes in runs of blanks: eight at a time while they last.
    static constexpr uint64_t kBlanks = 0x2020202020202020ull;
    while (p < end_) {
      if (end_ - p >= 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        if (word == kBlanks) {
          p += 8;
          continue;
        }
      }
      if (!IsWs(*p)) break;
      ++p;
    }
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

  // The next '<' from p (or the end), and whether an '&' comes before it; eight bytes a step.
  const char* FindText(const char* p, bool* amp) const {
    constexpr uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
    auto match = [](uint64_t w, uint64_t pattern) {
      uint64_t v = w ^ pattern;
      return (v - kOnes) & ~v & kHigh;  // the lowest flagged byte is exact
    };
    while (end_ - p >= 8) {
      uint64_t w;
      std::memcpy(&w, p, 8);
      uint64_t lt = match(w, kOnes * '<'), am = match(w, kOnes * '&');
      if (lt) {
        int at = __builtin_ctzll(lt) / 8;
        if (am & ((uint64_t{1} << (at * 8)) - 1)) *amp = true;
        return p + at;
      }
      if (am) *amp = true;
      p += 8;
    }
    while (p < end_ && *p != '<') *amp |= *p++ == '&';
    return p;
  }

  // The bytes from..to of the copy, with entities decoded (in place) when asked.
  std::string_view Keep(const char* from, const char* to, bool unescape) {
    size_t n = static_cast<size_t>(to - from);
    if (n > UINT32_MAX) Fail(from);
    if (!unescape || !std::memchr(from, '&', n)) return {from, n};
    char* s = const_cast<char*>(from);
    return {s, XmlUnescapeInto(s, std::string_view(from, n))};
  }

  // A new node under the open element (or as the root), holding its parent's reference.
  TXMLNode* Make(XMLNodeKind kind, std::string_view name) {
    size_t index = stack_.empty() ? 0 : children_.size() - stack_.back().firstChild;
    if (index + 1 >= kXmlListCapacityLimit) throw EXMLException::Capacity(static_cast<long>(index + 1));
    // No failure may come between making the node and linking it.
    if (children_.size() == children_.capacity()) children_.reserve(children_.capacity() * 2 + 64);
    TXMLNode* node = arena_->New<TXMLNode>(arena_, kind, name);
    ++result_.nodeCount;
    if (stack_.empty()) {
      node->SetParsedLinks(nullptr, owner_, 0, -1);
      result_.root = Ref<TXMLNode>::Adopt(node);
    } else {
      Open& top = stack_.back();
      node->SetParsedLinks(top.node, owner_, top.node->level() + 1, static_cast<int32_t>(index));
      children_.push_back(node);
      if (node->level() > result_.maxLevel) result_.maxLevel = node->level();
    }
    return node;
  }

  // Closes the open element: its children move into an arena array of their own.
  void Close() {
    Open top = stack_.back();
    stack_.pop_back();
    size_t n = children_.size() - top.firstChild;
    if (n == 0) return;
    auto** kids = static_cast<TXMLNode**>(arena_->Allocate(n * sizeof(TXMLNode*)));
    std::memcpy(kids, children_.data() + top.firstChild, n * sizeof(TXMLNode*));
    top.node->SetParsedChildren(kids, static_cast<uint32_t>(n));
    children_.resize(top.firstChild);
  }

  const char* Comment(const char* p) {
    const char* end = Find(p + 4, end_, "-->");
    if (!end) Fail(p);
    if (!stack_.empty()) {
      // Decoded like text, since comments are written escaped: what is written reads back the same.
      std::string_view text = Keep(p + 4, end, true);
      Make(XMLNodeKind::Comment, "#comment")->SetParsedText(text.data(), static_cast<uint32_t>(text.size()));
    }
    return end + 3;
  }

  const char* CData(const char* p) {
    const char* end = Find(p + 9, end_, "]]>");
    if (!end || stack_.empty()) Fail(p);
    std::string_view text = Keep(p + 9, end, false);
    Make(XMLNodeKind::CData, "#cdata-section")->SetParsedText(text.data(), static_cast<uint32_t>(text.size()));
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
      TXMLNode* node = Make(XMLNodeKind::ProcessingInstruction, Keep(p + 2, s, false));
      std::string_view text = Keep(t, tEnd, true);
      node->SetParsedText(text.data(), static_cast<uint32_t>(text.size()));
    }
    return end + 2;
  }

  // "</name>": closes the open element; the name compares without regard to case.
  const char* EndTag(const char* p) {
    if (!stack_.empty()) {  // the usual case: the name and '>' right behind "</"
      std::string_view name = stack_.back().node->name();
      size_t n = name.size();
      if (static_cast<size_t>(end_ - p) > n + 2 && p[n + 2] == '>' && std::memcmp(p + 2, name.data(), n) == 0) {
        Close();
        return p + n + 3;
      }
    }
    const char* gt = static_cast<const char*>(std::memchr(p + 2, '>', static_cast<size_t>(end_ - p - 2)));
    if (!gt || stack_.empty()) Fail(p);
    std::string_view closing(p + 2, static_cast<size_t>(gt - p - 2));
    if (!XmlNamesEqual(stack_.back().node->name(), closing, false)) Fail(p);
    Close();
    return gt + 1;
  }

  const char* StartTag(const char* p) {
    const char* s = p + 1;
    while (s < end_ && !IsNameEnd(*s)) ++s;
    if (s == p + 1 || s == end_) Fail(p);
    if (stack_.empty() && result_.root) throw EXMLException::OneRoot();
    TXMLNode* node = Make(XMLNodeKind::Element, Keep(p + 1, s, false));
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
      std::string value(static_cast<size_t>(close - s - 1), '\0');
      value.resize(XmlUnescapeInto(value.data(), std::string_view(s + 1, static_cast<size_t>(close - s - 1))));
      node->AppendParsedAttribute(std::move(attrName), std::move(value));
      s = close + 1;
    }
    if (empty) return s;
    stack_.push_back({node, children_.size()});
    // The element's text: everything up to the next '<', unless only blanks come before it.
    const char* t = SkipWs(s);
    if (t < end_ && *t == '<') return t;
    // Up to the next '<', noting whether an entity needs decoding.
    bool amp = false;
    const char* lt = FindText(t, &amp);
    std::string_view text = amp ? Keep(s, lt, true) : std::string_view(s, static_cast<size_t>(lt - s));
    if (text.size() > UINT32_MAX) Fail(s);
    node->SetParsedText(text.data(), static_cast<uint32_t>(text.size()));
    return lt;
  }

  struct Open {
    TXMLNode* node;
    size_t firstChild;  // where its children start in children_
  };

  std::string_view text_;
  const char* begin_ = nullptr;
  const char* end_ = nullptr;
  TXMLDocument* owner_;
  XmlArena* arena_;
  std::vector<Open> stack_;           // open elements
  std::vector<TXMLNode*> children_;   // the children of the open elements so far, in order
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
