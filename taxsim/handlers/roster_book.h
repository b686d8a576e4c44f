// RosterBook: what the roster handlers know beside the State: the change time (xgrq) of every
// person and item, the registration sequence of every person (the "0040" maxid), and lookups by
// rydjxh. One book per handler registry (shared by the roster handlers and the control code
// "9002"); it is used under the simulator's state lock only, like the State.
//
// Change times come from a clock that never repeats and never goes back (at least the wall
// clock, one second past the previous stamp otherwise), so a client that keeps the newest time
// it saw misses no later change. Records never changed carry kBaseStamp.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <nlohmann/json.hpp>

#include "taxsim/handlers/position_index.h"
#include "taxsim/state.h"

namespace velmor::taxsim {

inline constexpr const char* kBaseStamp = "2024-03-01 10:00:00";
inline constexpr const char* kRosterControlCode = "9002";

struct RosterBook {
  std::unordered_map<std::string, std::string> personStamp;  // rydjxh -> xgrq
  std::unordered_map<std::string, std::string> itemStamp;    // xzid -> xgrq
  std::unordered_map<std::string, uint64_t> regId;           // rydjxh -> registration sequence
  uint64_t lastRegId = 0;
  int64_t lastStamp = 0;  // seconds of the last stamp given
  // Lookups, rebuilt when the State's vectors changed size or moved. They compare the records'
  // own rydjxh (set before a record is added, never changed after), so 100,000 persons are
  // indexed without a copy of each number.
  RydjxhIndex personAt, enrolmentAt;
  size_t indexedPersons = SIZE_MAX, indexedEnrolments = SIZE_MAX;
  const Person* personsBase = nullptr;
  const Enrolment* enrolmentsBase = nullptr;

  std::string NextStamp();
  const std::string& PersonStamp(const std::string& rydjxh) const;
  const std::string& ItemStamp(const std::string& xzid) const;
  // Assigns sequences to persons that have none, in State order.
  void NumberPersons(const State& s);
  void Reindex(const State& s);
  // The positions in State::items of one payer's items, in State order: "0108" answers pages of
  // them, and walking every item of every payer for each page cost more than the page. Kept
  // until the items change in number or place or the book is told so (the control adds and
  // removes items; nothing edits an item's djxh in place).
  std::unordered_map<std::string, std::vector<size_t>> itemsOfPayer;
  size_t indexedItems = SIZE_MAX;
  const Item* itemsBase = nullptr;
  const std::vector<size_t>& ItemsOf(const State& s, const std::string& djxh);
  void Invalidate() {
    indexedPersons = indexedEnrolments = indexedItems = SIZE_MAX;
    itemsOfPayer.clear();
  }
  const Person* FindPerson(const State& s, const std::string& rydjxh);
  Enrolment* FindEnrolment(State& s, const std::string& rydjxh);
};

// The control call: {"op": "add" | "change" | "end" | "remove" | "addPayer", ...}; answers a JSON
// object {"ok": true, ...} or raises Refusal("10009", reason) for a bad request.
nlohmann::json RosterControl(State& s, RosterBook& book, const nlohmann::json& request);

}  // namespace velmor::taxsim
