// The list of the simulator's service handlers: one line per unit.
#include "taxsim/handlers.h"

namespace velmor::taxsim {

void RegisterBuiltinHandlers(HandlerRegistry& registry) {
  RegisterDiagnostics(registry);
  RegisterRuleHandlers(registry);
  RegisterDeclaration(registry);
  RegisterDeclarationSecondForm(registry);
  RegisterDeclarationQueries(registry);
  RegisterSchemeHandlers(registry);
  RegisterRosterHandlers(registry);
  RegisterPersonQueries(registry);
  RegisterRosterExchanges(registry);
  RegisterFeeHandlers(registry);
  RegisterStreetChangeHandlers(registry);
  RegisterRegistrationHandlers(registry);
  RegisterBasicInfoHandlers(registry);
  RegisterGroupHandlers(registry);
  RegisterSpecialGroupHandlers(registry);
  RegisterCertificateHandlers(registry);
}

}  // namespace velmor::taxsim
