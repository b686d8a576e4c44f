// ArrearsLines: the arrears lines of "0007" answers (and of the social-insurance payment
// service's answer of the same shape) gathered into the list GetQfxxLb hands out, read once with
// the JSON cursor: each kept line is held as its text and the few members the list is filtered,
// sorted and completed by, never as a tree.
//
// An answer {"qfxxList": [entry...]}: an entry whose "code" is "SUCCESS" gives the lines of its
// "qfxxMxList" (when that is an array) whose "zspmDm" is a residents' item code, a line whose
// "zsuuid" was seen before is left out; an entry with another code gives a failure of its office
// "zgswskfjdm" with its trimmed "message" ("未知" when empty), a message repeated for one office
// counted once. Names given twice read as the general parser reads them (the last value).
//
// A value of one thread.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "codec/text_set.h"

namespace velmor::payment {

class ArrearsLines {
 public:
  using ItemCodes = std::set<std::string, std::less<>>;
  explicit ArrearsLines(const ItemCodes& items) : items_(items) {}
  // The set of levies seen refers back to this object's lines.
  ArrearsLines(const ArrearsLines&) = delete;
  ArrearsLines& operator=(const ArrearsLines&) = delete;

  // Takes the lines and failures of one answer; false, taking nothing, when the text is not a
  // JSON object (as the general parser reads it; deeper than the nesting bound raises).
  bool Absorb(std::string_view answer);

  bool Empty() const { return lines_.empty(); }
  // The distinct "yzpzxh" of the lines so far, in order, as a JSON array text.
  std::string DocumentsJson() const;
  // What DocumentsJson would say after the first Absorb of `answer` when every line of it is
  // kept: the distinct values of the members written plainly as "yzpzxh":"..." in the text, in
  // order of appearance. A guess from a search of the bytes, reading no structure (a tenth of the
  // time of Absorb): a caller compares it with DocumentsJson before relying on it. "[]" when
  // there are none, or when a value holds an escape (the search would not read it as Absorb does).
  static std::string GuessDocumentsJson(std::string_view answer);
  // The offices that failed, in order, each with its messages.
  const std::vector<std::pair<std::string, std::vector<std::string>>>& Failures() const { return failures_; }
  // The lines as a JSON array text, ordered by office, voucher and deadline (case aside),
  // keeping the answers' order otherwise; each line as the general parser's dump() writes it.
  // The lines are handed over: none are left.
  std::string TakeSortedJson();

 private:
  // A line's text and its members "hsjg", "yzpzxh", lower-cased "jkqx" and "zsuuid", as offsets
  // into texts_ and keys_ (which grow as lines come). Each text in texts_ follows a comma.
  struct Line {
    size_t text, textSize, key;
    uint32_t hsjg, yzpzxh, jkqx, zsuuid;  // sizes, in this order from `key`
  };
  struct Failure {
    std::string office, message;
  };
  bool Read(std::string_view answer, std::vector<Line>& lines, std::vector<Failure>& failed);
  std::string_view Key(const Line& l, int which) const;
  void AddFailure(const std::string& office, const std::string& message);

  // The levies ("zsuuid") of the lines kept, as positions in lines_ whose keys are read from
  // keys_, looked up by the levy's text: no copy of each levy (200,000 at 100,000 persons, each
  // looked up again in the second answer) is made or held. Open addressing in one array
  // (TextSlots) rather than a node per levy: no allocation per line, and a probe compares texts
  // only when the hashes agree.
  bool Seen(std::string_view levy) const;
  void MarkSeen(size_t line);
  std::string_view Levy(size_t line) const { return Key(lines_[line], 3); }

  const ItemCodes& items_;
  std::string texts_, keys_;
  std::vector<Line> lines_;
  TextSlots seen_;  // the positions in lines_ of the levies kept
  // The line after the one Seen last found: tried first, as a later answer repeats the lines in
  // their order. A hint only, moved by the const look-up.
  mutable size_t after_ = 0;
  std::vector<std::pair<std::string, std::vector<std::string>>> failures_;
};

}  // namespace velmor::payment
