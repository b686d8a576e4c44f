#include "codec/json_object_reader.h"

#include "codec/json_out.h"

namespace velmor {

using Kind = JsonCursor::Kind;

std::string_view JsonObjectReader::Own(std::string_view bytes) {
  if (ownUsed_ == own_.size()) own_.emplace_back();
  std::string& s = own_[ownUsed_++];
  s.assign(bytes);
  return s;
}

// Whether `key` is already a member; `at` its place then. The members so far matched the
// shape in order when members_.size() <= shape_.size() and each equals its shape name.
bool JsonObjectReader::Repeated(std::string_view key, size_t& at) const {
  for (size_t i = 0; i < members_.size(); ++i)
    if (members_[i].key == key) {
      at = i;
      return true;
    }
  return false;
}

void JsonObjectReader::Read(JsonCursor& c) {
  members_.clear();
  ownUsed_ = 0;
  bool inShape = shapeHeld_;
  c.Peek();  // past blanks: where the object begins
  const size_t start = c.Offset();
  // Whether the object's text is already what Write writes: no blanks between its tokens (the
  // sizes add up), names and strings without escapes (the cursor refuses bare control bytes and
  // bad UTF-8, so unescaped they read as dump() writes them), numbers as dump() writes them,
  // nothing nested and no name given twice. Then Write copies the text.
  bool verbatim = true;
  size_t dumped = 2;  // the braces, then each member's size with its comma
  c.BeginObject();
  for (bool more = c.FirstMember(); more; more = c.NextMember()) {
    bool escaped = false;
    std::string_view key = c.ReadKey(scratch_, &escaped);
    if (escaped) {
      key = Own(key);
      verbatim = false;
    }
    Member m{key, c.Peek(), {}, {}};
    switch (m.kind) {
      case Kind::kString: {
        m.value = c.String(scratch_, &escaped);
        verbatim = verbatim && !escaped;
        if (escaped) {
          m.value = Own(m.value);
          std::string text;
          AppendJsonString(text, m.value);
          m.text = Own(text);
        } else {
          m.text = std::string_view(m.value.data() - 1, m.value.size() + 2);  // with its quotes
        }
        break;
      }
      case Kind::kNumber: {
        const std::string_view token = c.Number();
        std::string text;
        AppendJsonNumber(text, token);
        m.text = text == token ? token : Own(text);
        verbatim = verbatim && text == token;
        break;
      }
      case Kind::kTrue:
      case Kind::kFalse:
      case Kind::kNull:
        c.Literal();
        m.text = m.kind == Kind::kTrue ? "true" : m.kind == Kind::kFalse ? "false" : "null";
        break;
      default: {
        std::string text;
        AppendJsonValue(text, c.Skip());
        m.text = Own(text);
        verbatim = false;
      }
    }
    if (m.kind != Kind::kString) m.value = m.text;
    dumped += (members_.empty() ? 0 : 1) + key.size() + 3 + m.text.size();
    const size_t place = members_.size();
    inShape = inShape && place < shape_.size() && shape_[place] == key;
    size_t at = 0;
    if (!inShape && Repeated(key, at)) {
      members_[at].kind = m.kind;
      members_[at].text = m.text;
      members_[at].value = m.value;
      verbatim = false;
      continue;
    }
    members_.push_back(m);
  }
  verbatim_ = verbatim && c.Offset() - start == dumped ? c.Text().substr(start, dumped) : std::string_view();
  if (!shapeHeld_) {
    for (const Member& m : members_) shape_.emplace_back(m.key);
    shapeHeld_ = true;
  }
}

std::string_view JsonObjectReader::ReadAny(JsonCursor& c) {
  if (c.Peek() != Kind::kObject) {
    c.Skip();
    ReadAgain({});
    return {};
  }
  const size_t at = c.Offset();
  Read(c);
  return c.Text().substr(at, c.Offset() - at);
}

void JsonObjectReader::ReadAgain(std::string_view object) {
  JsonCursor c(object.empty() ? std::string_view("{}") : object);
  Read(c);
}

const JsonObjectReader::Member* JsonObjectReader::Find(std::string_view key) const {
  for (const Member& m : members_)
    if (m.key == key) return &m;
  return nullptr;
}

std::string_view JsonObjectReader::Text(std::string_view key) const {
  const Member* m = Find(key);
  return m ? TextOf(*m) : std::string_view();
}

std::string_view TextOf(const JsonObjectReader::Member& m) {
  switch (m.kind) {
    case Kind::kNull: return {};
    case Kind::kTrue: return "Y";
    case Kind::kFalse: return "N";
    default: return m.value;
  }
}

std::string ReadText(JsonCursor& c) {
  std::string out;
  switch (c.Peek()) {
    case Kind::kString: {
      std::string scratch;
      out = c.String(scratch);
      break;
    }
    case Kind::kNumber: AppendJsonNumber(out, c.Number()); break;
    case Kind::kTrue:
    case Kind::kFalse:
      out = c.Peek() == Kind::kTrue ? "Y" : "N";
      c.Literal();
      break;
    case Kind::kNull: c.Literal(); break;
    default: AppendJsonValue(out, c.Skip());
  }
  return out;
}

void JsonObjectReader::Write(std::string& out, std::span<const Change> changes) const {
  if (changes.empty() && !verbatim_.empty()) {
    out += verbatim_;
    return;
  }
  auto changeOf = [&](std::string_view key) -> const Change* {
    for (const Change& ch : changes)
      if (ch.key == key) return &ch;
    return nullptr;
  };
  out += '{';
  bool first = true;
  auto put = [&](std::string_view key, std::string_view text) {
    if (!first) out += ',';
    first = false;
    AppendJsonString(out, key);
    out += ':';
    out += text;
  };
  for (const Member& m : members_) {
    const Change* ch = changes.empty() ? nullptr : changeOf(m.key);
    if (!ch)
      put(m.key, m.text);
    else if (!ch->text.empty())
      put(m.key, ch->text);
  }
  for (const Change& ch : changes)
    if (!ch.text.empty() && !Find(ch.key)) put(ch.key, ch.text);
  out += '}';
}

}  // namespace velmor

namespace velmor {

void JsonChanges::Clear() {
  texts_.clear();
  pending_.clear();
}

JsonChanges& JsonChanges::String(std::string_view key, std::string_view value) {
  const size_t at = texts_.size();
  AppendJsonString(texts_, value);
  pending_.push_back({key, at, texts_.size() - at});
  return *this;
}

JsonChanges& JsonChanges::Int(std::string_view key, int64_t value) {
  const size_t at = texts_.size();
  texts_ += std::to_string(value);
  pending_.push_back({key, at, texts_.size() - at});
  return *this;
}

JsonChanges& JsonChanges::Remove(std::string_view key) {
  pending_.push_back({key, texts_.size(), 0});
  return *this;
}

std::span<const JsonObjectReader::Change> JsonChanges::Get() {
  changes_.clear();
  for (const Pending& p : pending_) changes_.push_back({p.key, std::string_view(texts_).substr(p.at, p.size)});
  return changes_;
}

}  // namespace velmor
