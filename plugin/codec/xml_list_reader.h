// Reading one flat list of a large XML answer while its text arrives in pieces (an unpacked gzip
// member a megabyte at a time), without the document's tree or its whole text: the texts of the
// root's `code` and `message` and the rows of one list element, each row an object of its child
// elements' texts, exactly as the fast XML document (codec/xml_parser.h) gives them.
//
// The reader takes only what it knows that parser reads the same way: its grammar (the first tag
// read as the declaration; elements and attributes; an element's text right after its start tag,
// the five entities decoded and other references kept; comments; CDATA inside elements;
// processing instructions outside the root). Everything else - an instruction inside the root,
// an element named "!...", a byte-order mark, anything the parser refuses, a text cut short - and
// the reader declines: the caller then loads the document, which reads the text or raises the
// parser's own error, so that the outcome never depends on which reader took the text.
//
// A value of one thread; the visitor is called on that thread.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace velmor {

class XmlListReader {
 public:
  using RowVisitor = std::function<void(const nlohmann::ordered_json& row)>;

  // Rows of the root's first child element named `list` (or prefix:`list`), each handed to
  // `visit` when it ends; without a visitor they are only counted (no row objects are made).
  explicit XmlListReader(std::string list, RowVisitor visit = {});

  // The next piece of the text. False once the reader declined the text; it then takes no more.
  bool Feed(std::string_view piece);
  // The end of the text: true when the whole text was read as the document parser reads it.
  bool Finish();
  bool Declined() const { return declined_; }

  // What was read (complete once Finish returned true). Like the document's FindChild, the first
  // child of the root of each name counts; a missing code or message reads as "".
  const std::string& Code() const { return code_; }
  const std::string& Message() const { return message_; }
  bool HasList() const { return list_seen_; }
  size_t Rows() const { return rows_; }

 private:
  enum class Role : unsigned char { kOther, kList, kRow, kField };
  struct Open {
    std::string name;
    size_t children = 0;
    Role role = Role::kOther;
  };

  void Scan(bool last);
  // Each reads one construct at p and returns what follows it, or nullptr when the buffer holds
  // only part of it (or, with declined_ set, when the text is declined).
  const char* Declaration(const char* p, const char* end, bool last);
  const char* StartTag(const char* p, const char* end, bool last);
  const char* EndTag(const char* p, const char* end, bool last);
  enum class Where : unsigned char { kAnywhere, kInsideOnly, kOutsideOnly };
  // A comment, CDATA section or instruction: `open` bytes, then up to `close`.
  const char* Delimited(const char* p, const char* end, bool last, size_t open, std::string_view close, Where where);
  const char* More(bool last);
  const char* Decline();
  bool AddChild();
  void Begin(std::string_view name, std::string_view text, bool hasEntities, bool empty);
  void End();
  void StartRow();
  void SetField(std::string_view name, std::string_view text, bool hasEntities);
  void DropUnmatched();

  std::string list_;
  RowVisitor visit_;
  std::string buffer_;  // the text not read yet (a construct cut by the end of a piece)
  size_t pos_ = 0;
  std::vector<Open> open_;  // reused: entries past depth_ keep their names' memory
  size_t depth_ = 0;
  bool declared_ = false;
  bool root_seen_ = false;
  bool declined_ = false;
  bool code_seen_ = false;
  bool message_seen_ = false;
  bool list_seen_ = false;
  std::string code_, message_;
  std::string text_;  // a field's text decoded
  nlohmann::ordered_json row_;  // the row being read, its members at first the last row's
  size_t matched_ = 0;           // fields of the row that took the last row's place
  bool templated_ = false;       // the row so far follows the last row's layout
  size_t rows_ = 0;
};

}  // namespace velmor
