#include "cli/roster_declaration.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "codec/json_cursor.h"
#include "codec/json_out.h"
#include "codec/text_chunks.h"

namespace velmor::cli {
namespace {

using Json = nlohmann::ordered_json;

// The members of a roster row the declaration reads.
enum Field { kXmyxbz, kCbjgyxbz, kXzid, kYjfe, kSbjbjgdm, kZsxmdm, kZspmdm, kZszmdm, kXm, kZjlx, kZjhm, kRybh,
             kXzjddm, kSqhczdm, kPmlx, kRydjxh, kYbtfe, kFieldCount };
constexpr std::array<const char*, kFieldCount> kFieldNames{
    "xmyxbz", "cbjgyxbz", "xzid", "yjfe", "sbjbjgdm", "zsxmdm", "zspmdm", "zszmdm", "xm",
    "zjlx",   "zjhm",     "rybh", "xzjddm", "sqhczdm", "pmlx", "rydjxh", "ybtfe"};

// The amount in a member's text: the whole text a finite number, else 0.
double AmountOfText(const std::string& text) {
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  return text.empty() || *end != '\0' || !std::isfinite(v) ? 0 : v;
}

// A row of the parsed tree.
std::string Text(const nlohmann::json& row, Field f) {
  auto it = row.find(kFieldNames[f]);
  return it != row.end() && it->is_string() ? it->get<std::string>() : "";
}

double Amount(const nlohmann::json& row, Field f) {
  auto it = row.find(kFieldNames[f]);
  if (it == row.end()) return 0;
  if (it->is_number()) return it->get<double>();
  if (!it->is_string()) return 0;
  return AmountOfText(it->get<std::string>());
}

bool Has(const nlohmann::json& row, Field f) { return row.contains(kFieldNames[f]); }

// A row read from the text: the members above, as the tree would hold them.
struct ScannedRow {
  enum class Kind : uint8_t { kAbsent, kString, kNumber, kOther };
  std::array<Kind, kFieldCount> kind{};
  std::array<std::string, kFieldCount> value;  // a string's text, a number's token
};

std::string Text(const ScannedRow& row, Field f) {
  return row.kind[f] == ScannedRow::Kind::kString ? row.value[f] : std::string();
}

double Amount(const ScannedRow& row, Field f) {
  switch (row.kind[f]) {
    case ScannedRow::Kind::kString: return AmountOfText(row.value[f]);
    case ScannedRow::Kind::kNumber: return nlohmann::json::parse(row.value[f]).get<double>();
    default: return 0;
  }
}

bool Has(const ScannedRow& row, Field f) { return row.kind[f] != ScannedRow::Kind::kAbsent; }

// Text that is not a plain array of row objects: the tree's reading says what it is.
struct OtherShape {};

// Reads the rows of `text` one by one into `row` and hands each to `each`.
class RowReader {
 public:
  explicit RowReader(std::string_view text) : c_(text) {}

  template <class Each>
  void Run(Each&& each, bool skipOthers) {
    if (c_.Peek() != JsonCursor::Kind::kArray) throw OtherShape{};
    c_.BeginArray();
    for (bool more = c_.FirstElement(); more; more = c_.NextElement()) {
      if (c_.Peek() != JsonCursor::Kind::kObject) {
        if (!skipOthers) throw OtherShape{};
        c_.Skip();
        continue;
      }
      Read();
      each(row_);
    }
    c_.End();
  }

 private:
  void Read() {
    row_.kind.fill(ScannedRow::Kind::kAbsent);
    c_.BeginObject();
    size_t member = 0;
    for (bool more = c_.FirstMember(); more; more = c_.NextMember(), ++member) {
      const std::string_view key = c_.Key(key_);
      // Rows repeat the first one's member order: each name is first compared with the name at
      // its place there.
      int field = -1;
      if (member < order_.size() && order_[member].first == key) {
        field = order_[member].second;
      } else {
        for (int f = 0; f < kFieldCount; ++f) {
          if (key == kFieldNames[f]) field = f;
        }
        if (!learned_) order_.emplace_back(std::string(key), field);
      }
      if (field < 0) {
        c_.Skip();
        continue;
      }
      switch (c_.Peek()) {
        case JsonCursor::Kind::kString:
          row_.kind[field] = ScannedRow::Kind::kString;
          row_.value[field].assign(c_.String(value_));
          break;
        case JsonCursor::Kind::kNumber:
          row_.kind[field] = ScannedRow::Kind::kNumber;
          row_.value[field].assign(c_.Number());
          break;
        default:
          row_.kind[field] = ScannedRow::Kind::kOther;
          c_.Skip();
          break;
      }
    }
    learned_ = true;
  }

  JsonCursor c_;
  ScannedRow row_;
  std::string key_, value_;
  std::vector<std::pair<std::string, int>> order_;
  bool learned_ = false;
};

// Two decimals, as amounts are declared.
double Cents(double v) { return std::round(v * 100) / 100; }

template <class Row>
bool Valid(const Row& row, Field f) {
  const std::string v = Text(row, f);
  return v == "Y" || v == "y";
}

template <class Row>
void AddAssessed(std::map<std::string, double>& out, const Row& row) {
  if (Text(row, kXzid).empty()) return;
  const double v = Amount(row, kYbtfe);
  if (v > 0) out[Text(row, kXzid)] = v;
}

// The declaration, written as text while the rows go by: each detail row keeps the text of its
// persons, and the master and detail members are written by the JSON library, so the text is
// what the document's dump() gives.
class DeclarationWriter {
 public:
  DeclarationWriter(const std::map<std::string, double>& amounts, int jfnd)
      : amounts_(amounts), year_(std::to_string(jfnd)) {}

  template <class Row>
  void Add(const Row& row) {
    if (!Valid(row, kXmyxbz) || (Has(row, kCbjgyxbz) && !Valid(row, kCbjgyxbz))) return;
    auto assessed = amounts_.find(Text(row, kXzid));
    const double yjfe = Cents(assessed != amounts_.end() ? assessed->second : Amount(row, kYjfe));
    if (!(yjfe > 0)) return;
    Key key{Text(row, kSbjbjgdm), Text(row, kZsxmdm), Text(row, kZspmdm), Text(row, kZszmdm)};
    auto [at, added] = detailOf_.try_emplace(key, details_.size());
    if (added) {
      details_.emplace_back();
      details_.back().key = key;
      // The persons' text is written into the room of a whole chunk (mapped memory, taken by the
      // pages written): grown by doubling, each detail row's text left its smaller copies in the
      // heap, some 100 MB at 100,000 persons on top of the text itself.
      details_.back().persons.ReserveChunk();
    }
    Detail& d = details_[at->second];
    // The person's object as dump() writes it, written straight into the detail's text.
    std::string& out = d.persons.Tail();
    if (d.zrs > 0) out += ',';
    Member(out, "{\"mxxh\":", std::to_string(d.zrs + 1));
    Member(out, ",\"xm\":", Text(row, kXm));
    Member(out, ",\"zjlx\":", Text(row, kZjlx));
    Member(out, ",\"zjhm\":", Text(row, kZjhm));
    Member(out, ",\"rybh\":", Text(row, kRybh));
    Member(out, ",\"sbjbjgdm\":", std::get<0>(key));
    Member(out, ",\"xz_xzjddm\":", Text(row, kXzjddm));
    Member(out, ",\"xz_sqhczdm\":", Text(row, kSqhczdm));
    Member(out, ",\"jfnd\":", year_);
    Member(out, ",\"zsxmdm\":", std::get<1>(key));
    Member(out, ",\"zspmdm\":", std::get<2>(key));
    Member(out, ",\"zszmdm\":", std::get<3>(key));
    Member(out, ",\"pmlx\":", Text(row, kPmlx));
    const std::string amount = Json(yjfe).dump();
    for (const char* k : {",\"jfje\":", ",\"sjyjfe\":", ",\"yjfje\":", ",\"ybtfe\":"}) out.append(k).append(amount);
    out += '}';
    d.persons.Rotate();
    d.zrs += 1;
    d.zje = Cents(d.zje + yjfe);
    persons_ += 1;
    const std::string who = Text(row, kRydjxh);
    people_.insert(who.empty() ? Text(row, kZjlx) + "|" + Text(row, kZjhm) : who);
    amount_ = Cents(amount_ + yjfe);
  }

  RosterDeclaration Finish(const std::string& swjgdm) {
    if (persons_ == 0) throw std::invalid_argument("花名册中没有应申报的参保项目");
    RosterDeclaration out;
    out.persons = persons_;
    out.amount = amount_;
    Json master = {{"swjgdm", swjgdm},       {"sblx", "00"},      {"bz", year_ + "年度花名册申报"},
                   {"zrs", people_.size()},  {"zje", amount_},    {"yjfjeHj", amount_},
                   {"ybtfeHJ", amount_}};
    size_t size = 64;
    for (const Detail& d : details_) size += d.persons.Size() + 512;
    out.text.reserve(size);
    out.text += Open(master);  // appended: assigning would drop the room reserved
    out.text += ",\"details\":[";
    for (size_t i = 0; i < details_.size(); ++i) {
      Detail& d = details_[i];
      const auto& [sbjbjgdm, zsxmdm, zspmdm, zszmdm] = d.key;
      Json head = {{"jfnd", year_},         {"zsxmdm", zsxmdm},        {"zspmdm", zspmdm},
                   {"zszmdm", zszmdm},      {"sjly", "00"},            {"dwbh", ""},
                   {"sbjbjgdm", sbjbjgdm},  {"sfyrymx", 1},            {"fkssqq", year_ + "-01-01"},
                   {"fkssqz", year_ + "-12-31"}, {"zrs", d.zrs},       {"zje", d.zje}};
      if (i > 0) out.text += ',';
      out.text += Open(head);
      out.text += ",\"persons\":[";
      d.persons.MoveTo(out.text);
      const std::string zje = Json(d.zje).dump();
      // As d["yjfjeHj"] = d["ybtfeHJ"] = d["zje"] adds them: the right-hand member first.
      out.text += "],\"ybtfeHJ\":" + zje + ",\"yjfjeHj\":" + zje + "}";
    }
    out.text += "]}";
    return out;
  }

 private:
  using Key = std::tuple<std::string, std::string, std::string, std::string>;
  struct Detail {
    Key key;
    int zrs = 0;
    double zje = 0.0;
    TextChunks persons;  // the persons' objects, comma-separated
  };

  // A string member as dump() writes it; text that is not UTF-8 is refused, as dump() refuses it.
  static void Member(std::string& out, const char* key, const std::string& value) {
    out += key;
    AppendJsonText(out, value, false);
  }

  // An object's text without its closing brace, for members to follow.
  static std::string Open(const Json& object) {
    std::string text = object.dump();
    text.pop_back();
    return text;
  }

  const std::map<std::string, double>& amounts_;
  const std::string year_;
  std::map<Key, size_t> detailOf_;  // detail rows in the order first seen
  std::vector<Detail> details_;
  std::set<std::string> people_;
  int persons_ = 0;
  double amount_ = 0;
};

}  // namespace

std::map<std::string, double> AssessedAmounts(const nlohmann::json& rows) {
  std::map<std::string, double> out;
  if (!rows.is_array()) return out;
  for (const auto& row : rows) {
    if (row.is_object()) AddAssessed(out, row);
  }
  return out;
}

RosterDeclaration DeclarationFromRoster(const nlohmann::json& rows, const std::map<std::string, double>& amounts,
                                        const std::string& swjgdm, int jfnd) {
  if (!rows.is_array()) throw std::invalid_argument("花名册数据不是列表");
  DeclarationWriter writer(amounts, jfnd);
  for (const auto& row : rows) {
    if (!row.is_object()) throw std::invalid_argument("花名册数据的行不是对象");
    writer.Add(row);
  }
  RosterDeclaration out = writer.Finish(swjgdm);
  out.document = Json::parse(out.text);
  return out;
}

std::map<std::string, double> AssessedAmountsText(std::string_view rows) {
  std::map<std::string, double> out;
  try {
    RowReader(rows).Run([&](const ScannedRow& row) { AddAssessed(out, row); }, true);
    return out;
  } catch (const OtherShape&) {
  } catch (const JsonCursor::Malformed&) {
  }
  return AssessedAmounts(nlohmann::json::parse(rows, nullptr, false));
}

namespace {

// What the tree gives for a text the row reader does not take (not JSON, another shape, a number
// the JSON library refuses): the same declaration or the same failure.
RosterDeclaration FromRosterTree(std::string_view rows, const std::map<std::string, double>& amounts,
                                 const std::string& swjgdm, int jfnd) {
  RosterDeclaration out = DeclarationFromRoster(nlohmann::json::parse(rows, nullptr, false), amounts, swjgdm, jfnd);
  out.document = nullptr;
  return out;
}

// `owned`, when given, is the string `rows` views: it is let go once every row is read, before
// the document is put together (at 100,000 persons each of the two texts is over 100 MB).
RosterDeclaration FromRosterText(std::string_view rows, std::string* owned,
                                 const std::map<std::string, double>& amounts, const std::string& swjgdm, int jfnd) {
  DeclarationWriter writer(amounts, jfnd);
  bool read = false;
  try {
    RowReader(rows).Run([&](const ScannedRow& row) { writer.Add(row); }, false);
    read = true;
  } catch (const OtherShape&) {
  } catch (const JsonCursor::Malformed&) {
  } catch (const nlohmann::json::exception&) {
  }
  if (!read) return FromRosterTree(rows, amounts, swjgdm, jfnd);
  if (owned) std::string().swap(*owned);
  return writer.Finish(swjgdm);
}

}  // namespace

class RosterDeclarationBuilder::Writer : public DeclarationWriter {
 public:
  using DeclarationWriter::DeclarationWriter;
};

RosterDeclarationBuilder::RosterDeclarationBuilder(const std::map<std::string, double>& amounts, int jfnd)
    : writer_(std::make_unique<Writer>(amounts, jfnd)) {}

RosterDeclarationBuilder::~RosterDeclarationBuilder() = default;

bool RosterDeclarationBuilder::AddPage(std::string_view page) {
  try {
    RowReader(page).Run([&](const ScannedRow& row) { writer_->Add(row); }, false);
    return true;
  } catch (const OtherShape&) {
  } catch (const JsonCursor::Malformed&) {
  } catch (const nlohmann::json::exception&) {
  }
  return false;
}

RosterDeclaration RosterDeclarationBuilder::Finish(const std::string& swjgdm) { return writer_->Finish(swjgdm); }

RosterDeclaration DeclarationFromRosterText(std::string_view rows, const std::map<std::string, double>& amounts,
                                            const std::string& swjgdm, int jfnd) {
  return FromRosterText(rows, nullptr, amounts, swjgdm, jfnd);
}

RosterDeclaration DeclarationFromTakenRosterText(std::string&& rows, const std::map<std::string, double>& amounts,
                                                 const std::string& swjgdm, int jfnd) {
  std::string taken = std::move(rows);
  rows.clear();
  return FromRosterText(taken, &taken, amounts, swjgdm, jfnd);
}

}  // namespace velmor::cli
