// Service handlers: the simulator's answer to each service code. A handler receives the decoded
// call and the simulator's state (under the simulator's state lock, so handlers need no locking
// of their own) and returns an Answer. Exceptions a handler raises become a refusal "10009".
//
// Adding a service code: write `void RegisterXxx(HandlerRegistry&)` in taxsim/handlers/xxx.cpp,
// add the file to taxsim/CMakeLists.txt and one call to RegisterBuiltinHandlers
// (taxsim/handlers/builtin.cpp). Tests may also Add handlers of their own to a running simulator.
//
// HandlerRegistry is thread-safe.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>
#include <string_view>

#include "taxsim/answer.h"
#include "taxsim/call.h"
#include "taxsim/state.h"

namespace velmor::taxsim {

using Handler = std::function<Answer(const Call& call, State& state)>;

class HandlerRegistry {
 public:
  // Registers (or replaces) the handler of a four-digit service code.
  void Add(const std::string& serviceCode, Handler handler);
  void Remove(const std::string& serviceCode);
  // A copy of the handler; empty when the code has none.
  Handler Find(std::string_view serviceCode) const;
  // The registered codes, sorted.
  std::vector<std::string> Codes() const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, Handler, std::less<>> handlers_;
};

// Every handler the simulator ships with, unit by unit in registration order. A unit may wrap a
// handler an earlier unit registered (Find, then Add); a test checks that no unit replaces one
// by accident (two units choosing the same code).
struct HandlerUnit {
  const char* name;
  void (*add)(HandlerRegistry& registry);
};
const std::vector<HandlerUnit>& BuiltinHandlerUnits();
void RegisterBuiltinHandlers(HandlerRegistry& registry);

// The diagnostics code for tests.
inline constexpr const char* kDiagnosticsCode = "9001";
void RegisterDiagnostics(HandlerRegistry& registry);
// The daily declaration (taxsim/handlers/declaration.cpp).
void RegisterDeclaration(HandlerRegistry& registry);
// The second form of submission "0083", "0084", "0085" (taxsim/handlers/declaration_second_form.cpp)
// and the residents' queries "0296", "0297", "0298", "0300", "0361" (declaration_queries.cpp).
void RegisterDeclarationSecondForm(HandlerRegistry& registry);
void RegisterDeclarationQueries(HandlerRegistry& registry);

// The rule service codes "0002" and "0062" (taxsim/handlers/rules.cpp).
void RegisterRuleHandlers(HandlerRegistry& registry);

// The scheme account: "0001", "0055", "0224", "0343" (taxsim/handlers/scheme.cpp).
void RegisterSchemeHandlers(HandlerRegistry& registry);

// The roster: "0040", "0058", "0059", "0108", "0057" and the control code "9002"
// (taxsim/handlers/roster.cpp).
void RegisterRosterHandlers(HandlerRegistry& registry);

// The employee service's person queries ("0032"-"0122", taxsim/handlers/person_queries.cpp) and
// its requests answered under their serial and kept times ("0149"-"0360",
// taxsim/handlers/roster_exchanges.cpp).
void RegisterPersonQueries(HandlerRegistry& registry);
void RegisterRosterExchanges(HandlerRegistry& registry);

// The residents' fee standards ("0042" two-step form), amount confirmation and agreements
// ("0037"-"0048"), two-party agreements ("0105", "0106", "0111") (taxsim/handlers/fees*.cpp).
// Registered after the person queries, whose "0042" they extend.
void RegisterFeeHandlers(HandlerRegistry& registry);

}  // namespace velmor::taxsim

namespace velmor::taxsim {
// Street and community changes: "0070", "0071", "0072" (taxsim/handlers/street_change.cpp).
void RegisterStreetChangeHandlers(HandlerRegistry& registry);
// The scheme account's collection status "0339"-"0342" (taxsim/handlers/collection_status.cpp).
void RegisterCollectionStatusHandlers(HandlerRegistry& registry);
// Medical-insurance personal account registrations "0186"-"0188" (medical_accounts.cpp).
void RegisterMedicalAccountHandlers(HandlerRegistry& registry);
// "0027" payable amounts (gzip, UTF-8) and "0238" residents' collected information (handlers/payable.cpp).
void RegisterPayableHandlers(HandlerRegistry& registry);
// "0031" / "0029": the electronic declaration and its feedback (handlers/electronic_declaration.cpp).
void RegisterElectronicDeclaration(HandlerRegistry& registry);
}  // namespace velmor::taxsim

namespace velmor::taxsim {
// Residents' payment registration: "0160", "0162", "0163" (taxsim/handlers/registration.cpp).
void RegisterRegistrationHandlers(HandlerRegistry& registry);
}  // namespace velmor::taxsim

namespace velmor::taxsim {
// Residents' basic information: "0202", "0203" and the rule service's "0208"
// (taxsim/handlers/basic_info.cpp).
void RegisterBasicInfoHandlers(HandlerRegistry& registry);
// The collective and government payers: "0214", "0215", "0216", "0228", "0229"
// (taxsim/handlers/groups.cpp).
void RegisterGroupHandlers(HandlerRegistry& registry);
// Paying declared fees: "0006", "0007", "0008", "0010", "0011", "0035", "0237"
// (taxsim/handlers/payment.cpp); "0014" is the declaration's.
void RegisterPaymentHandlers(HandlerRegistry& registry);
// Special-group declarations: "0134"-"0137", "0151", "0152" (taxsim/handlers/special.cpp).
void RegisterSpecialGroupHandlers(HandlerRegistry& registry);
// Payment-detail certificates: "0174"-"0178" (taxsim/handlers/certificates.cpp).
void RegisterCertificateHandlers(HandlerRegistry& registry);
// Individual online payment orders: "0049"-"0052" (taxsim/handlers/online_orders.cpp).
void RegisterOnlineOrderHandlers(HandlerRegistry& registry);
// Regional individual payment orders: "0189", "0190", "0191" (taxsim/handlers/regional_orders.cpp).
void RegisterRegionalOrderHandlers(HandlerRegistry& registry);
}  // namespace velmor::taxsim
