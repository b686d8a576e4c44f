// State: everything the simulated server knows, in memory: payers, their insured persons, the
// persons' enrolments with agencies and their insured items, plus the free-form collections the
// service handlers own (rules, declarations, agreements).
//
// A State is seeded from a scenario file (JSON, see LoadScenario) or generated at a requested size
// from a seed (Generate); both are deterministic. The simulator guards its one State with a mutex
// and hands it to handlers under that lock; State itself is not synchronised.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace velmor::taxsim {

class ScenarioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Payer {
  std::string djxh, nsrsbh, nsrmc, zgswjgDm, sbjbjgDm, xzqhDm;
};

struct Person {
  std::string djxh, rydjxh, xm, zjlxDm, zjhm, xbDm, csrq, gjdqDm, lxdh, hjxzDm;
};

// A person's enrolment with a social-insurance agency.
struct Enrolment {
  std::string djxh, rydjxh, sbjbjgDm, rybh, swjgDm, yxbz;
};

// One insured item of an enrolment.
struct Item {
  std::string djxh, rydjxh, sbjbjgDm, rybh, xzid, xzlxDm, zsxmDm, zspmDm, zszmDm, ksjfyf, tzjfyf, jfnd, yxbz;
  double yjfe = 0;
};

// The persons of a submitted declaration, compact: one row of texts per person under member names
// shared by all its rows (a roster-sized declaration holds 200,000 persons; a JSON object each
// took five times the memory). An entry of State::declarations names its rows by "personRows".
// The values are one text, cell after cell (names.size() cells per person, in the order of the
// names): a string per value took 3.4 million strings and allocations for 200,000 persons.
struct PersonRows {
  std::vector<std::string> names;
  std::string text;            // the cells' values, one after the other
  std::vector<uint64_t> ends;  // where each cell's value ends in `text`
  std::vector<bool> present;   // alongside: whether the person had that member
  size_t count = 0;            // persons

  std::string_view Value(size_t cell) const {
    const size_t from = cell == 0 ? 0 : ends[cell - 1];
    return std::string_view(text).substr(from, ends[cell] - from);
  }
};

// What the payment handlers keep per arrears line (taxsim/handlers/payment.cpp), as plain maps: a
// day's payment holds one entry per declared person.
struct PaymentLedger {
  std::map<std::string, std::string, std::less<>> paid;         // zsuuid -> dzsphm
  std::map<std::string, std::string, std::less<>> lineVoucher;  // zsuuid -> dzsphm of its last voucher
  std::map<std::string, std::vector<std::string>, std::less<>> voucherLines;  // dzsphm -> zsuuids
};

struct GenerateOptions {
  int64_t persons = 0;
  int64_t payers = 1;
  uint64_t seed = 1;
};

struct State {
  std::vector<Payer> payers;
  std::vector<Person> persons;  // grouped by payer, in payer order
  std::vector<Enrolment> enrolments;
  std::vector<Item> items;
  nlohmann::json rules = nlohmann::json::array();
  nlohmann::json declarations = nlohmann::json::array();
  // The persons of the submitted declarations, by an entry's "personRows" (others, from scenario
  // files or tests, keep theirs as the JSON array "persons"; taxsim/handlers/declaration_book.h).
  std::vector<PersonRows> declaredPersons;
  nlohmann::json agreements = nlohmann::json::array();
  // What the residents' handlers keep per payer (registrations, street changes); made up from
  // the persons when first asked and never part of a scenario file.
  nlohmann::json residents = nlohmann::json::object();
  // Collective ("8") and government ("9") payer accounts (taxsim/group_accounts.h).
  nlohmann::json groups = nlohmann::json::array();
  // A busy server: submissions are queued ("10042") and answered under their serial.
  bool queueDeclarations = false;
  // How the declaration handlers check each person (taxsim/handlers/declaration.cpp):
  // kNone accepts all; kBasic refuses negative amounts and a missing person number; kRoster also
  // refuses a person number the payer's roster does not hold.
  enum class PersonRules { kNone, kBasic, kRoster };
  PersonRules personRules = PersonRules::kBasic;
  // The payment side (taxsim/handlers/payment.cpp): the vouchers, and what tests steer
  // (outcomes per zsuuid, offices that fail, the next deduction timing out, a voucher's state).
  nlohmann::json payments = nlohmann::json::object();
  // The lines paid and on vouchers.
  PaymentLedger ledger;

  const Payer* FindPayer(std::string_view djxh) const;
  // The persons of a payer (a contiguous range); empty for an unknown payer.
  std::pair<const Person*, const Person*> PersonsOf(std::string_view djxh) const;
  // A fresh number for server-assigned identifiers (vouchers, business ids): 1, 2, 3, ...
  uint64_t NextNumber() { return ++counter_; }

  // Rebuilds the lookup indexes after the vectors changed (persons must stay grouped by payer).
  void Reindex();

 private:
  std::map<std::string, size_t, std::less<>> payerIndex_;
  std::map<std::string, std::pair<size_t, size_t>, std::less<>> personRange_;
  uint64_t counter_ = 0;
};

// The djxh of generated payer k (from 1): "1" followed by k in 19 digits.
std::string GeneratedDjxh(int64_t k);

// A generated state: `payers` payers sharing `persons` persons in contiguous blocks, one
// enrolment and one to three items per person. The same options give the same state.
State Generate(const GenerateOptions& options);

// Reads a scenario: a JSON object with the arrays "payers", "persons", "enrolments", "items",
// "rules", "declarations", "agreements" (each optional). Record members are the field names
// above, all strings except "yjfe" (a number). An unknown member, a missing "djxh" or "rydjxh", a
// duplicate payer or person, or a record naming an unknown payer or person raises ScenarioError
// "<origin>: <problem>".
State LoadScenarioText(std::string_view text, const std::string& origin);
State LoadScenario(const std::string& path);

// The state as a scenario (LoadScenarioText(ToScenario(s)) gives s back, the persons of every
// declaration as its "persons").
nlohmann::ordered_json ToScenario(const State& state);

// What the server holds (taxsim/summary.cpp): {"payers": [{"djxh", "nsrsbh", "nsrmc", "zgswjgDm",
// "sbjbjgDm", "xzqhDm", "persons", "declarations": {state: count}, "declarationAmounts": {state:
// amount}, "payments": {"deductedLines", "deducted", "vouchers", "voucherLines", "onVouchers"},
// "residents": {"requests", "accepted", "rejected", "streetChanges"}}], "groups": [{"djxh",
// "jfrlx", "nsrmc", "zgswjgDm", "sbjbjgDm", "dwbh", "declarations", "declarationAmounts"}]},
// payers in order; the declaration states are "pending", "declared", "failed", "voided" (only
// those that occur).
nlohmann::ordered_json Summary(const State& state);

// Whether the server has the insured line `xzid` as declared: those whose last digit is even, so
// that every payer has lines of both states.
bool XzidDeclared(const std::string& xzid);

}  // namespace velmor::taxsim
