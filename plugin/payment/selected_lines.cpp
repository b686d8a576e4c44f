#include "payment/selected_lines.h"

#include "payment/payment_dao.h"

namespace velmor::payment {

namespace {

using Kind = JsonCursor::Kind;

}  // namespace

SelectedLines::SelectedLines(const std::string& text, const char* what, std::initializer_list<const char*> keys)
    : keyCount_(keys.size()) {
  // Read where it stands in one walk, which checks the whole text as the cursor checks it (a
  // check of its own first walked 45 MB of a deduction's lines once more); a text the cursor
  // refuses is read again from the general parser's text of it, which raises for no array.
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first != std::string::npos && text[first] == '[') {
    try {
      Read(text, what, keys);
      return;
    } catch (const JsonCursor::Malformed&) {
    }
  }
  normal_ = ArrayOf(text, what).dump();
  Read(normal_, what, keys);
}

void SelectedLines::Read(std::string_view source, const char* what, std::initializer_list<const char*> keys) {
  text_ = source;
  spans_.clear();  // what a reading the cursor refused half-way left
  keys_.clear();
  keyEnds_.clear();
  reader_ = JsonObjectReader();
  bool objects = true;  // a line of another kind is refused once the whole text is known to be JSON
  JsonCursor c(text_);
  c.BeginArray();
  for (bool more = c.FirstElement(); more; more = c.NextElement()) {
    const Kind kind = c.Peek();
    if (kind == Kind::kNull) {
      c.Literal();
      spans_.push_back({0, 0});
      for (size_t k = 0; k < keyCount_; ++k) keyEnds_.push_back(keys_.size());
      continue;
    }
    if (kind != Kind::kObject) {
      objects = false;
      c.Skip();
      continue;
    }
    const size_t at = c.Offset();
    reader_.Read(c);
    spans_.push_back({at, c.Offset() - at});
    for (const char* key : keys) {
      keys_ += reader_.Text(key);
      keyEnds_.push_back(keys_.size());
    }
  }
  c.End();
  if (!objects) throw Exception(std::string(what) + "须为JSON对象的数组。");
}

std::string_view SelectedLines::Key(size_t line, size_t key) const {
  const size_t i = line * keyCount_ + key;
  const size_t from = i == 0 ? 0 : keyEnds_[i - 1];
  return std::string_view(keys_).substr(from, keyEnds_[i] - from);
}

void SelectedLines::Write(size_t line, std::string& out, std::span<const JsonObjectReader::Change> changes) {
  const Span s = spans_[line];
  JsonCursor c(s.size == 0 ? std::string_view("{}") : text_.substr(s.at, s.size));
  reader_.Read(c);
  reader_.Write(out, changes);
}

}  // namespace velmor::payment
