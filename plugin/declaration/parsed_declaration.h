// ParsedDeclaration: the JSON text of a declaration (docs/declaration.md) read once, for the
// submission document and the store alike, without a JSON tree of its persons (a roster-sized
// declaration has 200,000 of them).
//
// The master's members (all but "details") and each detail's (all but "persons") are small JSON
// objects, read as the general parser reads them. A person keeps only the members the document
// and the store read (PersonField), each as a view of the text (or of the declaration's own
// bytes when it held escapes); the other members are checked and passed over. A person's value
// reads exactly as the same member of the parsed JSON object would (Text / Int / Amount below).
//
// Read answers no declaration for text of another shape: not JSON (as the general parser reads
// it), not an object, a "details" or "persons" that is neither null nor an array of objects or
// that is given twice, a person with more than 254 values of the members read, a text of 4 GB.
// The caller then takes the general parser's tree, which names what is wrong or holds the odd
// shape.
//
// A value of one thread. It views the text it was read from: the text must outlive it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "declaration/dao_support.h"
#include "declaration/rcsb_dao_person_row.h"

namespace velmor::declaration {

class ParsedDeclaration;

// One person of a ParsedDeclaration; a view valid while the declaration lives.
class PersonRow {
 public:
  enum class Kind : uint8_t { kAbsent, kNull, kTrue, kFalse, kString, kNumber, kNested };
  struct Value {
    Kind kind = Kind::kAbsent;
    std::string_view bytes;  // a string decoded; a number or a nested value as written
  };
  Value Get(PersonField f) const;

 private:
  friend class ParsedDeclaration;
  PersonRow(const ParsedDeclaration& owner, size_t index) : owner_(&owner), index_(index) {}
  const ParsedDeclaration* owner_;
  size_t index_;
};

// Dao_support's Text / Int / Amount of the member that `f` names.
std::string Text(const PersonRow& person, PersonField f);
int32_t Int(const PersonRow& person, PersonField f);
double Amount(const PersonRow& person, PersonField f);

struct ParsedDetail {
  Json members;               // every member but "persons"
  size_t firstPerson = 0;     // its persons: rows firstPerson .. firstPerson + personCount - 1
  size_t personCount = 0;     // (none when "persons" is absent or null)
};

class ParsedDeclaration {
 public:
  // The declaration in `text`, or none for text of another shape (above).
  static std::optional<ParsedDeclaration> Read(std::string_view text);

  Json master;                        // every member but "details"
  std::vector<ParsedDetail> details;  // none when "details" is absent or null

  // The text it was read from.
  std::string_view Text() const { return text_; }
  size_t PersonCount() const { return rows_.size(); }
  PersonRow Person(size_t i) const { return PersonRow(*this, i); }

 private:
  friend class PersonRow;
  friend class DeclarationReader;
  ParsedDeclaration() = default;

  // A value's place: in the text, or in own_ when `own`; kind and size packed.
  struct Slot {
    uint32_t offset;
    uint32_t sizeKind;  // size << 4 | own << 3 | kind
  };
  static constexpr uint8_t kNone = 0xFF;
  struct Row {
    uint32_t firstSlot;
    std::array<uint8_t, kPersonFieldCount> slotOf;  // slot of each field after firstSlot, or kNone
  };

  std::string_view text_;
  std::string own_;  // decoded values that held escapes
  std::vector<Slot> slots_;
  std::vector<Row> rows_;
};

}  // namespace velmor::declaration
