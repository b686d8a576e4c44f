#include "payment/arrears_lines.h"

#include <string.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <tuple>
#include <unordered_set>

#include "codec/json_cursor.h"
#include "codec/json_object_reader.h"
#include "codec/json_out.h"
#include "codec/json_parse.h"
#include "codec/text_utils.h"

namespace velmor::payment {

namespace {

using Kind = JsonCursor::Kind;

void AppendLower(std::string& out, std::string_view s) {
  for (char c : s) out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// A JSON array text of distinct texts in the order first added: DocumentsJson and its guess.
class DistinctList {
 public:
  void Add(std::string_view text) {
    if (!listed_.insert(text).second) return;
    if (out_.size() > 1) out_ += ',';
    AppendJsonString(out_, text);
  }
  std::string Take() {
    out_ += ']';
    return std::move(out_);
  }

 private:
  std::unordered_set<std::string_view> listed_;  // views into the caller's texts
  std::string out_ = "[";
};

}  // namespace

// The lines and failures of one answer read into `lines` and `failed` (and the bytes they point
// at into texts_ and keys_); false when the text is no object. Raises JsonCursor::Malformed.
bool ArrearsLines::Read(std::string_view answer, std::vector<Line>& lines, std::vector<Failure>& failed) {
  JsonCursor c(answer);
  JsonObjectReader line;
  std::string scratch;
  // The lines' texts are at most the answer's: room for the first answer is taken once rather
  // than grown into by doubling (each step copied into fresh pages). Later answers mostly repeat
  // lines already held, which take no room.
  if (texts_.empty()) texts_.reserve(answer.size() + 1);
  if (c.Peek() != Kind::kObject) {
    c.Skip();
    c.End();
    return false;
  }
  // The entries' lines: those of a residents' item, each written out as it reads.
  auto readLines = [&] {
    c.BeginArray();
    for (bool more = c.FirstElement(); more; more = c.NextElement()) {
      if (c.Peek() != Kind::kObject) {  // no item code: never kept
        c.Skip();
        continue;
      }
      line.Read(c);
      if (items_.find(line.Text("zspmDm")) == items_.end()) continue;
      const std::string_view hsjg = line.Text("hsjg"), yzpzxh = line.Text("yzpzxh"), jkqx = line.Text("jkqx"),
                             zsuuid = line.Text("zsuuid");
      // Seen in an earlier answer: left out (Absorb would), before its text takes room.
      if (!zsuuid.empty() && Seen(zsuuid)) continue;
      texts_ += ',';
      Line l{texts_.size(), 0, keys_.size(), 0, 0, 0, 0};
      line.Write(texts_);
      l.textSize = texts_.size() - l.text;
      keys_.append(hsjg).append(yzpzxh);
      AppendLower(keys_, jkqx);
      keys_.append(zsuuid);
      l.hsjg = static_cast<uint32_t>(hsjg.size());
      l.yzpzxh = static_cast<uint32_t>(yzpzxh.size());
      l.jkqx = static_cast<uint32_t>(jkqx.size());
      l.zsuuid = static_cast<uint32_t>(zsuuid.size());
      lines.push_back(l);
    }
  };
  auto readEntries = [&] {
    c.BeginArray();
    for (bool more = c.FirstElement(); more; more = c.NextElement()) {
      if (c.Peek() != Kind::kObject) {  // no code, message or office
        c.Skip();
        failed.push_back({"", "未知"});
        continue;
      }
      const size_t mark = lines.size();
      std::string code, message, office;
      c.BeginObject();
      for (bool member = c.FirstMember(); member; member = c.NextMember()) {
        const std::string_view key = c.Key(scratch);
        if (key == "code") {
          code = ReadText(c);
        } else if (key == "message") {
          message = ReadText(c);
        } else if (key == "zgswskfjdm") {
          office = ReadText(c);
        } else if (key == "qfxxMxList") {
          lines.resize(mark);  // a list given twice: the last one counts
          if (c.Peek() == Kind::kArray)
            readLines();
          else
            c.Skip();  // empty or the text "null"
        } else {
          c.Skip();
        }
      }
      if (code == "SUCCESS") continue;
      lines.resize(mark);
      message = TrimBlanks(message);
      failed.push_back({office, message.empty() ? "未知" : message});
    }
  };
  c.BeginObject();
  for (bool member = c.FirstMember(); member; member = c.NextMember()) {
    if (c.Key(scratch) != "qfxxList") {
      c.Skip();
      continue;
    }
    lines.clear();  // given twice: the last one counts
    failed.clear();
    if (c.Peek() == Kind::kArray)
      readEntries();
    else
      c.Skip();
  }
  c.End();
  return true;
}

bool ArrearsLines::Absorb(std::string_view answer) {
  const size_t texts = texts_.size(), keys = keys_.size();
  std::vector<Line> lines;
  std::vector<Failure> failed;
  bool object = false;
  try {
    object = Read(answer, lines, failed);
  } catch (const JsonCursor::Malformed&) {
    // Malformed, or one of the few texts only the general parser takes: it decides, and its
    // tree's text reads the same as the answer would have.
    texts_.resize(texts);
    keys_.resize(keys);
    lines.clear();
    failed.clear();
    const nlohmann::ordered_json tree = ParseOutsideJson<nlohmann::ordered_json>(answer, false);
    object = tree.is_object() && Read(tree.dump(), lines, failed);
  }
  if (!object) {
    texts_.resize(texts);
    keys_.resize(keys);
    return false;
  }
  for (const Line& l : lines) {
    const std::string_view id = Key(l, 3);
    if (!id.empty() && Seen(id)) continue;  // a line reported twice is one amount owed
    lines_.push_back(l);
    if (!id.empty()) MarkSeen(lines_.size() - 1);
  }
  for (const Failure& f : failed) AddFailure(f.office, f.message);
  return true;
}

bool ArrearsLines::Seen(std::string_view levy) const {
  // A later answer (the payment service's) repeats the lines of the first in their order: the
  // line after the one last found is tried before the set, whose probes are each a cache miss.
  if (after_ < lines_.size() && Levy(after_) == levy) {
    ++after_;
    return true;
  }
  if (seen_.Empty()) return false;
  const size_t slot = seen_.Find(levy, TextSlots::Hash(levy), [this](size_t line) { return Levy(line); });
  if (!seen_.Taken(slot)) return false;
  after_ = seen_.Number(slot) + 1;
  return true;
}

// The levy of `line` is not held yet (Absorb asks Seen first).
void ArrearsLines::MarkSeen(size_t line) {
  seen_.MakeRoom();
  const std::string_view levy = Levy(line);
  const uint32_t hash = TextSlots::Hash(levy);
  seen_.Put(seen_.Find(levy, hash, [this](size_t l) { return Levy(l); }), hash, line);
}

void ArrearsLines::AddFailure(const std::string& office, const std::string& message) {
  auto f = std::find_if(failures_.begin(), failures_.end(), [&](const auto& p) { return p.first == office; });
  if (f == failures_.end()) f = failures_.insert(failures_.end(), {office, {}});
  if (std::find(f->second.begin(), f->second.end(), message) == f->second.end()) f->second.push_back(message);
}

std::string_view ArrearsLines::Key(const Line& l, int which) const {
  const uint32_t sizes[] = {l.hsjg, l.yzpzxh, l.jkqx, l.zsuuid};
  size_t at = l.key;
  for (int i = 0; i < which; ++i) at += sizes[i];
  return std::string_view(keys_).substr(at, sizes[which]);
}

std::string ArrearsLines::DocumentsJson() const {
  DistinctList list;
  for (const Line& l : lines_) list.Add(Key(l, 1));
  return list.Take();
}

std::string ArrearsLines::GuessDocumentsJson(std::string_view answer) {
  static constexpr std::string_view kMember = "\"yzpzxh\":\"";
  DistinctList list;
  for (size_t at = 0;;) {
    const void* found = ::memmem(answer.data() + at, answer.size() - at, kMember.data(), kMember.size());
    if (!found) break;
    const size_t start = static_cast<size_t>(static_cast<const char*>(found) - answer.data()) + kMember.size();
    const size_t end = answer.find('"', start);
    if (end == std::string_view::npos) break;
    const std::string_view yzpzxh = answer.substr(start, end - start);
    if (yzpzxh.find('\\') != std::string_view::npos) return "[]";
    at = end + 1;
    list.Add(yzpzxh);
  }
  return list.Take();
}

std::string ArrearsLines::TakeSortedJson() {
  std::vector<size_t> order(lines_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto before = [&](size_t a, size_t b) {
    const Line &x = lines_[a], &y = lines_[b];
    return std::make_tuple(Key(x, 0), Key(x, 1), Key(x, 2)) < std::make_tuple(Key(y, 0), Key(y, 1), Key(y, 2));
  };
  // Answers mostly list their lines in this order already: one pass finds it so.
  if (!std::is_sorted(order.begin(), order.end(), before)) std::stable_sort(order.begin(), order.end(), before);
  // Lines kept in order, each after its comma and one after the other (the usual answer): the
  // texts are the list already and are handed over, not copied.
  bool inPlace = true;
  size_t size = 2, end = 0;
  for (size_t i = 0; i < order.size(); ++i) {
    const Line& l = lines_[order[i]];
    inPlace = inPlace && order[i] == i && l.text == end + 1;
    end = l.text + l.textSize;
    size += l.textSize + 1;
  }
  std::string out;
  if (lines_.empty()) {
    out = "[]";
  } else if (inPlace && end == texts_.size()) {
    out = std::move(texts_);
    out[0] = '[';
    out += ']';
  } else {
    out.reserve(size);
    out += '[';
    for (size_t i : order) {
      if (out.size() > 1) out += ',';
      out.append(texts_, lines_[i].text, lines_[i].textSize);
    }
    out += ']';
  }
  texts_.clear();
  keys_.clear();
  lines_.clear();
  seen_.Clear();
  after_ = 0;
  return out;
}

}  // namespace velmor::payment
