// The declarations the simulated server holds (State::declarations), shared by the handlers of
// the two forms of submission (declaration.cpp, declaration_second_form.cpp): an entry is
// {yblsh, tranSeq, djxh, yzpzxh, state, yjfe, paid, personRows}, its `state` one of "pending",
// "declared", "failed", "voided"; its persons are read through DeclaredPersons.
//
// Called by handlers under the simulator's state lock.
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "taxsim/answer.h"
#include "taxsim/call.h"
#include "taxsim/state.h"

namespace velmor::taxsim {

// The persons of a declaration entry, whichever way it keeps them: the compact rows of a
// submission (State::declaredPersons, by the entry's "personRows") or the JSON array "persons"
// of an entry from a scenario file or a test. Valid while the entry and the state are unchanged.
class DeclaredPersons {
 public:
  // A member name, resolved once for many persons.
  struct Member {
    std::string_view name;
    size_t column = 0;  // in the rows; past the names when the rows do not have it
  };

  DeclaredPersons(const State& state, const nlohmann::json& entry);

  size_t size() const;
  bool empty() const { return size() == 0; }
  Member Find(std::string_view name) const;
  // A text member of person i (from 0); `fallback` when absent or not a text.
  std::string_view Text(size_t i, const Member& m, std::string_view fallback = "") const;
  std::string_view Text(size_t i, std::string_view name, std::string_view fallback = "") const {
    return Text(i, Find(name), fallback);
  }
  // A member read as an amount: a number, or a text's leading number; 0 otherwise.
  double Amount(size_t i, const Member& m) const;

 private:
  const PersonRows* rows_ = nullptr;
  const nlohmann::json* json_ = nullptr;  // the array, when the entry keeps one
};

// The first entry whose text member `key` is `value`; null when there is none.
nlohmann::json* FindDeclaration(State& state, const char* key, const std::string& value);
// A new pending entry from a submission call (its persons from the document's sbfJfsbbmxDTO
// rows, kept as rows of State::declaredPersons), appended to the state; the first person's jhsx
// is its steering mode.
nlohmann::json& AddDeclaration(const Call& call, State& state);
std::string DeclarationMode(const State& state, const nlohmann::json& entry);
// The final answer of an entry: failed (cwmxList with the persons whose cxjmsbbm starts with
// "ERR") or declared (a voucher number and ybtfe).
Answer FinalAnswer(State& state, nlohmann::json& entry);

}  // namespace velmor::taxsim
