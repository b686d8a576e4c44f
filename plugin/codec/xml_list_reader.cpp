#include "codec/xml_list_reader.h"

#include <cstring>
#include <exception>

#include "codec/xml_node.h"
#include "codec/xml_parser.h"
#include "codec/xml_text.h"

namespace velmor {

namespace {

inline bool IsWs(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
inline bool IsNameEnd(char c) { return IsWs(c) || c == '/' || c == '>'; }

const char* SkipWs(const char* p, const char* end) {
  while (p < end && IsWs(*p)) ++p;
  return p;
}

bool Starts(const char* p, const char* end, std::string_view what) {
  return static_cast<size_t>(end - p) >= what.size() && std::memcmp(p, what.data(), what.size()) == 0;
}

// The document's FindChild on an element name: the whole name, or the part after its first colon.
bool NameIs(std::string_view name, std::string_view wanted) {
  if (name == wanted) return true;
  const size_t colon = name.find(':');
  return colon != std::string_view::npos && name.substr(colon + 1) == wanted;
}

void AssignText(std::string& out, std::string_view text, bool hasEntities) {
  out.assign(text);
  if (hasEntities) out.resize(XmlUnescapeInto(out.data(), out));
}

}  // namespace

XmlListReader::XmlListReader(std::string list, RowVisitor visit) : list_(std::move(list)), visit_(std::move(visit)) {}

bool XmlListReader::Feed(std::string_view piece) {
  if (declined_) return false;
  // Only the unread tail of the last piece (a construct it cut) moves; the rest is read in place.
  if (pos_ > 0) {
    buffer_.erase(0, pos_);
    pos_ = 0;
  }
  buffer_.append(piece);
  Scan(false);
  return !declined_;
}

bool XmlListReader::Finish() {
  if (!declined_) Scan(true);
  // Unclosed elements, or no root at all (an empty text, a declaration alone): the parser's error.
  if (!declined_ && (depth_ > 0 || !root_seen_)) Decline();
  return !declined_;
}

void XmlListReader::Scan(bool last) {
  const char* const begin = buffer_.data();
  const char* const end = begin + buffer_.size();
  const char* p = begin + pos_;
  if (!declared_) {
    p = Declaration(p, end, last);
    if (!p) return;
  }
  while (true) {
    p = SkipWs(p, end);
    pos_ = static_cast<size_t>(p - begin);
    if (p == end) return;
    if (*p != '<') {
      Decline();  // text anywhere but right after a start tag
      return;
    }
    if (end - p < 2) {
      More(last);
      return;
    }
    const char next = p[1];
    const char* after;
    if (next == '/') {
      after = EndTag(p, end, last);
    } else if (next == '!' && Starts(p, end, "<!--")) {
      after = Delimited(p, end, last, 4, "-->", Where::kAnywhere);
    } else if (next == '!' && Starts(p, end, "<![CDATA[")) {
      after = Delimited(p, end, last, 9, "]]>", Where::kInsideOnly);
    } else if (next == '!' && end - p < 9) {
      after = More(last);  // could still become a comment or a CDATA section
    } else if (next == '?') {
      after = Delimited(p, end, last, 2, "?>", Where::kOutsideOnly);
    } else {
      after = StartTag(p, end, last);
    }
    if (!after) return;
    p = after;
  }
}

const char* XmlListReader::More(bool last) {
  // At the end of the text a construct cut short is the parser's error.
  if (last) Decline();
  return nullptr;
}

const char* XmlListReader::Decline() {
  declined_ = true;
  buffer_.clear();
  buffer_.shrink_to_fit();
  pos_ = 0;
  return nullptr;
}

// The parser takes the first tag, whatever it is, as the declaration. The parser itself reads
// the text up to that tag's end, so that what it refuses there is refused here alike.
const char* XmlListReader::Declaration(const char* p, const char* end, bool last) {
  const char* lt = SkipWs(p, end);
  if (lt == end) return More(last);
  if (*lt != '<') return Decline();  // a byte-order mark or stray text: left to the document
  const char* gt = static_cast<const char*>(std::memchr(lt, '>', static_cast<size_t>(end - lt)));
  if (!gt) return More(last);
  try {
    XmlParse(std::string_view(p, static_cast<size_t>(gt + 1 - p)), nullptr);
  } catch (const std::exception&) {
    return Decline();
  }
  declared_ = true;
  return gt + 1;
}

const char* XmlListReader::Delimited(const char* p, const char* end, bool last, size_t open, std::string_view close,
                                     Where where) {
  if (where == Where::kInsideOnly && depth_ == 0) return Decline();   // CDATA outside the root
  if (where == Where::kOutsideOnly && depth_ > 0) return Decline();   // an instruction is a node
  const char* found =
      p + open <= end ? static_cast<const char*>(memmem(p + open, static_cast<size_t>(end - p) - open, close.data(),
                                                        close.size()))
                      : nullptr;
  if (!found) return More(last);
  if (depth_ > 0 && !AddChild()) return nullptr;
  return found + close.size();
}

// A start tag read as the parser reads it (attributes checked and dropped), with the element's
// text: everything up to the next '<', unless only blanks come before it.
const char* XmlListReader::StartTag(const char* p, const char* end, bool last) {
  const char* s = p + 1;
  while (s < end && !IsNameEnd(*s)) ++s;
  if (s == end) return More(last);
  if (s == p + 1 || p[1] == '!') return Decline();
  const std::string_view name(p + 1, static_cast<size_t>(s - p - 1));
  if (depth_ == 0 && root_seen_) return Decline();  // a second root
  bool empty = false;
  while (true) {
    s = SkipWs(s, end);
    if (s == end) return More(last);
    if (*s == '>') {
      ++s;
      break;
    }
    if (*s == '/') {
      if (s + 1 == end) return More(last);
      if (s[1] != '>') return Decline();
      empty = true;
      s += 2;
      break;
    }
    const char* attr = s;
    while (s < end && !IsWs(*s) && *s != '=' && *s != '>' && *s != '/') ++s;
    if (s == end) return More(last);
    if (s == attr) return Decline();
    s = SkipWs(s, end);
    if (s == end) return More(last);
    if (*s != '=') return Decline();
    s = SkipWs(s + 1, end);
    if (s == end) return More(last);
    if (*s != '"' && *s != '\'') return Decline();
    const char* quote = static_cast<const char*>(std::memchr(s + 1, *s, static_cast<size_t>(end - s - 1)));
    if (!quote) return More(last);
    s = quote + 1;
  }
  if (empty) {
    if (depth_ > 0 && !AddChild()) return nullptr;
    Begin(name, {}, false, true);
    return s;
  }
  const char* t = SkipWs(s, end);
  if (t == end) return More(last);
  const char* next = t;
  std::string_view text;
  bool entities = false;
  if (*t != '<') {
    next = static_cast<const char*>(std::memchr(t, '<', static_cast<size_t>(end - t)));
    if (!next) return More(last);
    text = std::string_view(s, static_cast<size_t>(next - s));
    entities = std::memchr(text.data(), '&', text.size()) != nullptr;
  }
  if (depth_ > 0 && !AddChild()) return nullptr;
  Begin(name, text, entities, false);
  return next;
}

const char* XmlListReader::EndTag(const char* p, const char* end, bool last) {
  const char* gt = static_cast<const char*>(std::memchr(p + 2, '>', static_cast<size_t>(end - p - 2)));
  if (!gt) return More(last);
  if (depth_ == 0) return Decline();
  // The parser closes an element by its name in any case.
  if (!XmlNamesEqual(open_[depth_ - 1].name, std::string_view(p + 2, static_cast<size_t>(gt - p - 2)), false)) {
    return Decline();
  }
  End();
  return gt + 1;
}

// One more node under the open element; the parser refuses an element that would outgrow its
// child list.
bool XmlListReader::AddChild() {
  Open& parent = open_[depth_ - 1];
  if (parent.children + 1 >= kXmlListCapacityLimit) {
    Decline();
    return false;
  }
  ++parent.children;
  return true;
}

void XmlListReader::Begin(std::string_view name, std::string_view text, bool hasEntities, bool empty) {
  Role role = Role::kOther;
  if (depth_ == 0) {
    root_seen_ = true;
  } else if (depth_ == 1) {
    if (!code_seen_ && NameIs(name, "code")) {
      code_seen_ = true;
      AssignText(code_, text, hasEntities);
    }
    if (!message_seen_ && NameIs(name, "message")) {
      message_seen_ = true;
      AssignText(message_, text, hasEntities);
    }
    if (!list_seen_ && NameIs(name, list_)) {
      list_seen_ = true;
      role = Role::kList;
    }
  } else if (open_[depth_ - 1].role == Role::kList) {
    role = Role::kRow;
    if (visit_) StartRow();
  } else if (open_[depth_ - 1].role == Role::kRow) {
    role = Role::kField;
    if (visit_) SetField(name, text, hasEntities);
  }
  if (depth_ == open_.size()) open_.emplace_back();
  Open& o = open_[depth_];
  o.name.assign(name);
  o.children = 0;
  o.role = role;
  ++depth_;
  if (empty) End();
}

// Rows of a list name the same fields in the same order, so the last row's object is the
// template of the next: a field whose name is the template's at its place takes the value in
// place (one comparison, the text's memory reused) instead of a search of the row by name.
void XmlListReader::StartRow() {
  if (!row_.is_object()) row_ = nlohmann::ordered_json::object();
  matched_ = 0;
  templated_ = true;
}

void XmlListReader::SetField(std::string_view name, std::string_view text, bool hasEntities) {
  auto& fields = row_.get_ref<nlohmann::ordered_json::object_t&>();
  if (templated_ && matched_ < fields.size()) {
    auto& [key, value] = *(fields.begin() + static_cast<std::ptrdiff_t>(matched_));
    if (key == name) {
      AssignText(value.get_ref<std::string&>(), text, hasEntities);
      ++matched_;
      return;
    }
  }
  if (templated_) {
    // Another layout: the fields matched so far are this row's first ones (and all distinct, as
    // the template's names are), so the row goes on from them as a new object would.
    DropUnmatched();
    templated_ = false;
  }
  AssignText(text_, text, hasEntities);
  row_[std::string(name)] = text_;  // a repeated field keeps its first place, the last value
}

void XmlListReader::DropUnmatched() {
  auto& fields = row_.get_ref<nlohmann::ordered_json::object_t&>();
  if (matched_ < fields.size()) fields.erase(fields.begin() + static_cast<std::ptrdiff_t>(matched_), fields.end());
}

void XmlListReader::End() {
  const Open& o = open_[--depth_];
  if (o.role != Role::kRow) return;
  ++rows_;
  if (!visit_) return;
  if (templated_) DropUnmatched();
  visit_(row_);
}

}  // namespace velmor
