#include "declaration/parsed_declaration.h"

#include <charconv>
#include <cstdint>
#include <limits>

#include "codec/json_cursor.h"

namespace velmor::declaration {

namespace {

using Kind = PersonRow::Kind;

// A shape Read leaves to the general parser.
struct OtherShape {};

// A member's name as read before: a person's members nearly always come in the first person's
// order, so each is first compared with the name at its place there.
struct SeenName {
  std::string name;
  bool known;
  PersonField field;
};

// A number token as the general parser reads it: an integer when it has no fraction or
// exponent and fits 64 bits (signed when negative), else a double.
double NumberValue(std::string_view token) {
  const char* end = token.data() + token.size();
  if (token.find_first_of(".eE") == std::string_view::npos) {
    if (token.front() == '-') {
      int64_t v = 0;
      auto [ptr, ec] = std::from_chars(token.data(), end, v);
      if (ec == std::errc() && ptr == end) return static_cast<double>(v);
    } else {
      uint64_t v = 0;
      auto [ptr, ec] = std::from_chars(token.data(), end, v);
      if (ec == std::errc() && ptr == end) return static_cast<double>(v);
    }
  }
  double v = 0;
  std::from_chars(token.data(), end, v);
  return v;
}

// Whether the general parser prints number `token` back as written: integers of up to 18
// digits other than "-0" (fractions and exponents take its own shortest form).
bool PrintsAsWritten(std::string_view token) {
  return token.size() <= 18 && token != "-0" && token.find_first_of(".eE") == std::string_view::npos;
}

}  // namespace

class DeclarationReader {
 public:
  DeclarationReader(ParsedDeclaration& d, std::string_view text) : d_(d), c_(text) { d_.text_ = text; }

  void Run() {
    if (d_.text_.size() >= std::numeric_limits<uint32_t>::max()) throw OtherShape{};
    if (c_.Peek() != JsonCursor::Kind::kObject) throw OtherShape{};
    d_.master = Json::object();
    ReadObject(d_.master, "details", [&] { Elements([&] { Detail(); }); });
    c_.End();
  }

 private:
  // Reads the object at the cursor into `members`, except its member `list`, which may come once
  // and is read by `onList`.
  template <class OnList>
  void ReadObject(Json& members, std::string_view list, OnList&& onList) {
    c_.BeginObject();
    bool seen = false;
    for (bool more = c_.FirstMember(); more; more = c_.NextMember()) {
      const std::string_view key = c_.Key(key_);
      if (key != list) {
        Member(members, key);
        continue;
      }
      if (seen) throw OtherShape{};
      seen = true;
      onList();
    }
  }

  // Each element of a null or an array, read by `each`.
  template <class Each>
  void Elements(Each&& each) {
    if (!NullOrArray()) return;
    for (bool item = c_.FirstElement(); item; item = c_.NextElement()) each();
  }

  // Consumes a null (false) or opens an array (true); anything else is another shape.
  bool NullOrArray() {
    const JsonCursor::Kind k = c_.Peek();
    if (k == JsonCursor::Kind::kNull) {
      c_.Literal();
      return false;
    }
    if (k != JsonCursor::Kind::kArray) throw OtherShape{};
    c_.BeginArray();
    return true;
  }

  // members[key] = the value at the cursor, as the general parser makes it.
  void Member(Json& members, std::string_view key) {
    std::string name(key);
    switch (c_.Peek()) {
      case JsonCursor::Kind::kString: members[name] = std::string(c_.String(value_)); break;
      case JsonCursor::Kind::kNumber: members[name] = Json::parse(c_.Number()); break;
      case JsonCursor::Kind::kTrue: c_.Literal(); members[name] = true; break;
      case JsonCursor::Kind::kFalse: c_.Literal(); members[name] = false; break;
      case JsonCursor::Kind::kNull: c_.Literal(); members[name] = nullptr; break;
      default: members[name] = Json::parse(c_.Skip()); break;
    }
  }

  void Detail() {
    if (c_.Peek() != JsonCursor::Kind::kObject) throw OtherShape{};
    ParsedDetail& detail = d_.details.emplace_back();
    detail.members = Json::object();
    ReadObject(detail.members, "persons", [&] {
      detail.firstPerson = d_.rows_.size();
      Elements([&] { Person(); });
      detail.personCount = d_.rows_.size() - detail.firstPerson;
    });
  }

  void Person() {
    if (c_.Peek() != JsonCursor::Kind::kObject) throw OtherShape{};
    const size_t start = c_.Offset();
    ParsedDeclaration::Row row;
    row.firstSlot = static_cast<uint32_t>(d_.slots_.size());
    row.slotOf.fill(ParsedDeclaration::kNone);
    c_.BeginObject();
    size_t member = 0;
    for (bool more = c_.FirstMember(); more; more = c_.NextMember(), ++member) {
      const std::string_view key = c_.Key(key_);
      bool known;
      PersonField field{};
      if (member < order_.size() && order_[member].name == key) {
        known = order_[member].known;
        field = order_[member].field;
      } else {
        known = PersonFieldOf(key, field);
        if (d_.rows_.empty()) order_.push_back({std::string(key), known, field});
      }
      if (!known) {
        c_.Skip();
        continue;
      }
      const size_t slot = d_.slots_.size() - row.firstSlot;
      if (slot >= ParsedDeclaration::kNone) throw OtherShape{};
      row.slotOf[static_cast<size_t>(field)] = static_cast<uint8_t>(slot);
      d_.slots_.push_back(Value());
    }
    d_.rows_.push_back(row);
    if (d_.rows_.size() == 1) Reserve(c_.Offset() - start);
  }

  // The value at the cursor as a slot.
  ParsedDeclaration::Slot Value() {
    std::string_view bytes;
    bool own = false;
    Kind kind;
    switch (c_.Peek()) {
      case JsonCursor::Kind::kString: {
        bytes = c_.String(value_, &own);
        kind = Kind::kString;
        break;
      }
      case JsonCursor::Kind::kNumber: bytes = c_.Number(); kind = Kind::kNumber; break;
      case JsonCursor::Kind::kTrue: c_.Literal(); kind = Kind::kTrue; break;
      case JsonCursor::Kind::kFalse: c_.Literal(); kind = Kind::kFalse; break;
      case JsonCursor::Kind::kNull: c_.Literal(); kind = Kind::kNull; break;
      default: bytes = c_.Skip(); kind = Kind::kNested; break;
    }
    size_t offset;
    if (own) {
      offset = d_.own_.size();
      d_.own_.append(bytes);
      if (d_.own_.size() >= std::numeric_limits<uint32_t>::max()) throw OtherShape{};
    } else {
      offset = bytes.empty() ? 0 : static_cast<size_t>(bytes.data() - d_.text_.data());
    }
    if (bytes.size() >= (size_t{1} << 28)) throw OtherShape{};
    return {static_cast<uint32_t>(offset),
            static_cast<uint32_t>(bytes.size() << 4 | (own ? 8u : 0u) | static_cast<uint32_t>(kind))};
  }

  // Room for as many persons as the text holds persons of the first one's size.
  void Reserve(size_t firstBytes) {
    const size_t persons = d_.text_.size() / (firstBytes + 1) + 1;
    d_.rows_.reserve(persons);
    d_.slots_.reserve(persons * d_.slots_.size());
  }

  ParsedDeclaration& d_;
  JsonCursor c_;
  std::string key_, value_;
  std::vector<SeenName> order_;
};

std::optional<ParsedDeclaration> ParsedDeclaration::Read(std::string_view text) {
  ParsedDeclaration d;
  try {
    DeclarationReader(d, text).Run();
  } catch (const OtherShape&) {
    return std::nullopt;
  } catch (const JsonCursor::Malformed&) {
    return std::nullopt;
  } catch (const Json::exception&) {  // a number the general parser refuses (out of range)
    return std::nullopt;
  }
  return d;
}

PersonRow::Value PersonRow::Get(PersonField f) const {
  const ParsedDeclaration::Row& row = owner_->rows_[index_];
  const uint8_t slot = row.slotOf[static_cast<size_t>(f)];
  if (slot == ParsedDeclaration::kNone) return {};
  const ParsedDeclaration::Slot& s = owner_->slots_[row.firstSlot + slot];
  const char* base = (s.sizeKind & 8) ? owner_->own_.data() : owner_->text_.data();
  return {static_cast<Kind>(s.sizeKind & 7), std::string_view(base + s.offset, s.sizeKind >> 4)};
}

std::string Text(const PersonRow& person, PersonField f) {
  const PersonRow::Value v = person.Get(f);
  switch (v.kind) {
    case Kind::kAbsent:
    case Kind::kNull: return {};
    case Kind::kString: return std::string(v.bytes);
    case Kind::kTrue: return "true";
    case Kind::kFalse: return "false";
    case Kind::kNumber:
      if (PrintsAsWritten(v.bytes)) return std::string(v.bytes);
      [[fallthrough]];
    case Kind::kNested: break;
  }
  return Json::parse(v.bytes).dump();
}

namespace {
double NumberOf(const PersonRow& person, PersonField f, bool integral) {
  const PersonRow::Value v = person.Get(f);
  switch (v.kind) {
    case Kind::kAbsent:
    case Kind::kNull: return 0;
    case Kind::kNumber: return NumberValue(v.bytes);
    case Kind::kTrue: return 1;
    case Kind::kFalse: return 0;
    case Kind::kString: return NumberInText(v.bytes, NameOf(f), 0, integral);
    case Kind::kNested: break;
  }
  return NumberInText(Json::parse(v.bytes).dump(), NameOf(f), 0, integral);
}
}  // namespace

int32_t Int(const PersonRow& person, PersonField f) { return CheckedInt(NumberOf(person, f, true), NameOf(f)); }

double Amount(const PersonRow& person, PersonField f) { return NumberOf(person, f, false); }

}  // namespace velmor::declaration
