// Support of the handlers of the employee service's person queries and exchanges: the answer of
// a call from one JSON result (a taxML document on the synchronous path, the JSON object itself
// for an asynchronous job), the parameters of a call whether they came as body keys or in its
// request document, and lookups of persons and items in the State.
//
// Used under the simulator's state lock, like the handlers.
#pragma once

#include <nlohmann/json.hpp>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "taxsim/answer.h"
#include "taxsim/call.h"
#include "taxsim/state.h"

namespace velmor::taxsim {

using Result = nlohmann::ordered_json;

// A result {"name": "text", "xxxList": [{...}, ...]} as the call's answer: synchronously a taxML
// answer ("00000") with each scalar as an element and each array as a list of "xxxDTO" rows;
// for a submitted job the object itself, with "code" "00000" and "message".
Answer ResultAnswer(const Call& call, const Result& result);

// A taxML answer with another code (feedback of an unknown request and the like); for a
// submitted job a JSON object with that code.
Answer ResultError(const Call& call, std::string_view code, std::string_view message);

// The payer of the call's "djxh"; Refusal("10042") for an unknown one.
const Payer& RequirePayer(const State& s, const Call& call);

// A parameter: the request document's root element of that name when the call has a document,
// else the body key.
std::string Param(const Call& call, std::string_view name);

// The rows of a list element under the request document's root; none without a document.
std::vector<pugi::xml_node> DocumentRows(const Call& call, std::string_view list);

// The first person with this ID number (and type, when given); null when there is none.
const Person* FindByZjhm(const State& s, std::string_view zjhm, std::string_view zjlx = {});
const Person* FindByRydjxh(const State& s, std::string_view rydjxh);
// The items of a person (of one year, when given).
std::vector<const Item*> ItemsOf(const State& s, std::string_view rydjxh, std::string_view jfnd = {});
// The items of a payer (of one year, when given).
std::vector<const Item*> PayerItems(const State& s, std::string_view djxh, std::string_view jfnd = {});

// An amount as "380.00".
std::string Amount(double v);

// The local clock, `offsetSeconds` from now, in a strftime `format` ("%Y-%m-%d %H:%M:%S").
std::string LocalTimeText(const char* format, long offsetSeconds = 0);

// A JSON answer refused with `code` and `message` in its envelope (the bank-order codes).
Answer JsonRefusal(const char* code, const std::string& message);

// Runs part(from, to, half) over [0, count): from kHalvesFrom on, the first half (half 0) here and
// the second (half 1) on a thread of its own at once, else all of it here as half 0. What either
// raised is raised here once both have ended. For the rows of a long answer, written into two
// texts joined after (200,000 rows took a sixth of a second to write, the client waiting); `part`
// may only read the state, whose lock the handler holds.
inline constexpr size_t kHalvesFrom = 20000;
void InHalves(size_t count, const std::function<void(size_t from, size_t to, int half)>& part);

}  // namespace velmor::taxsim
