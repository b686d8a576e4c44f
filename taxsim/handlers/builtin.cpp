// The list of the simulator's service handlers: one line per unit.
#include "taxsim/handlers.h"

#include <vector>

namespace velmor::taxsim {

const std::vector<HandlerUnit>& BuiltinHandlerUnits() {
  static const std::vector<HandlerUnit> units = {
      {"diagnostics", RegisterDiagnostics},
      {"rules", RegisterRuleHandlers},
      {"declaration", RegisterDeclaration},
      {"declaration second form", RegisterDeclarationSecondForm},
      {"declaration queries", RegisterDeclarationQueries},
      {"scheme", RegisterSchemeHandlers},
      {"roster", RegisterRosterHandlers},
      {"person queries", RegisterPersonQueries},
      {"roster exchanges", RegisterRosterExchanges},
      {"fees", RegisterFeeHandlers},
      {"street change", RegisterStreetChangeHandlers},
      {"collection status", RegisterCollectionStatusHandlers},
      {"medical accounts", RegisterMedicalAccountHandlers},
      {"payable", RegisterPayableHandlers},
      {"electronic declaration", RegisterElectronicDeclaration},
      {"registration", RegisterRegistrationHandlers},
      {"basic information", RegisterBasicInfoHandlers},
      {"groups", RegisterGroupHandlers},
      {"payment", RegisterPaymentHandlers},
      {"special groups", RegisterSpecialGroupHandlers},
      {"certificates", RegisterCertificateHandlers},
      {"online orders", RegisterOnlineOrderHandlers},
      {"regional orders", RegisterRegionalOrderHandlers},
  };
  return units;
}

void RegisterBuiltinHandlers(HandlerRegistry& registry) {
  for (const HandlerUnit& unit : BuiltinHandlerUnits()) unit.add(registry);
}

}  // namespace velmor::taxsim
