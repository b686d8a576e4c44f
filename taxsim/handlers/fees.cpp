// The residents' fee standards: "0042" in its two-step form (a SbfCxjmJfdcRequest holding
// xzYjfeQrList, submitted as a job and collected later) answers the grades of each line from the
// rule "cxjmJfbzGz" of the rule set; any other "0042" goes on to the employee service's grade
// query registered before.
//
// Answer (taxML, on both endpoints so the code and drop-list faults apply):
// xzFhList of xzFhDTO (sbjbjgDm, rybh, zsxmDm, zspmDm, zszmDm, yjfedcList of yjfedcDTO with dcdm,
// dcje). An empty xzYjfeQrList is refused with "10009".
#include "taxsim/handlers.h"
#include "taxsim/handlers/fee_book.h"
#include "taxsim/handlers/handler_support.h"
#include "taxsim/rules/rule_set.h"
#include "taxsim/rules/fee_rules.h"

namespace velmor::taxsim {
namespace {

using json = nlohmann::json;

const json& FeeRuleSet(State& s) {
  static const json kNone = json::object();
  for (const json& rule : EnsureRules(s))
    if (rule.value("name", "") == "cxjmJfbzGz" && rule.contains("gzLb")) return rule["gzLb"];
  return kNone;
}

Answer Grades(const Call& call, State& s) {
  RequirePayer(s, call);
  std::vector<pugi::xml_node> lines = DocumentRows(call, "xzYjfeQrList");
  if (lines.empty()) throw Refusal("10009", "缴费档次查询列表为空");
  const json& rules = FeeRuleSet(s);
  TaxmlAnswer doc;
  pugi::xml_node list = doc.AddList("xzFhList");
  for (pugi::xml_node l : lines) {
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "xzFhDTO");
    for (const char* k : {"sbjbjgDm", "rybh", "zsxmDm", "zspmDm", "zszmDm"}) TaxmlAnswer::AddValue(row, k, l.child_value(k));
    pugi::xml_node grades = row.append_child("yjfedcList");
    for (const json& g : FeeGrades(rules, l.child_value("sbjbjgDm"), l.child_value("zsxmDm"), l.child_value("zspmDm"),
                                   l.child_value("zszmDm"))) {
      pugi::xml_node dto = TaxmlAnswer::AddRow(grades, "yjfedcDTO");
      TaxmlAnswer::AddValue(dto, "dcdm", g["dcdm"].get<std::string>());
      TaxmlAnswer::AddValue(dto, "dcje", Amount(g["dcje"].get<double>()));
    }
  }
  return Answer::Taxml(std::move(doc));
}

bool TwoStepForm(const Call& call) {
  return call.document && call.document->Root().child("xzYjfeQrList");
}

}  // namespace

void RegisterFeeHandlers(HandlerRegistry& registry) {
  Handler employees = registry.Find("0042");
  registry.Add("0042", [employees](const Call& call, State& s) {
    if (TwoStepForm(call) || !employees) return Grades(call, s);
    return employees(call, s);
  });
  auto book = std::make_shared<FeeBook>();
  RegisterConfirmationHandlers(registry, book);
  RegisterLlxyHandlers(registry, book);
}

}  // namespace velmor::taxsim
