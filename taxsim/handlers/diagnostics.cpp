// The diagnostics service code "9001": answers "00000" with what the simulator decoded from the
// request, so tests can check the whole road (body keys and their order, the request document's
// type, encoding, compression and element values) through the host.
//
// Answer elements: serviceCode, serial (the X-Velmor-Serial-No header), yblsh, djxh, bodyKeys
// (the body's keys joined by ","), keyList (keyDTO: name, value, one per string member other
// than "data" and "qqbw"); with a document also requestType, encoding ("GBK" or "UTF-8"), gzip ("Y"/"N")
// and elementList (elementDTO: name, value for a simple element, rows for a list).
//
// The body may steer the answer: "answerEncoding": "GBK" answers in GBK, "answerGzip": "Y"
// compresses it, "answerStatus": "1" answers with status 1, "answerJson": "Y" answers a JSON
// object {"status": "SUCCESS", "bodyKeys": ...} instead of a document.
#include "taxsim/handlers.h"

namespace velmor::taxsim {
namespace {

Answer Diagnose(const Call& call, State&) {
  TaxmlAnswer doc(kOkCode, "诊断成功");
  std::string keys;
  for (auto it = call.body.begin(); it != call.body.end(); ++it) keys += (keys.empty() ? "" : ",") + it.key();
  doc.Add("serviceCode", call.serviceCode)
      .Add("serial", call.serialHeader)
      .Add("yblsh", call.Yblsh())
      .Add("djxh", call.Djxh())
      .Add("bodyKeys", keys);
  pugi::xml_node keyList = doc.AddList("keyList");
  for (auto it = call.body.begin(); it != call.body.end(); ++it) {
    if (it.key() == "data" || it.key() == "qqbw" || !it->is_string()) continue;
    pugi::xml_node row = TaxmlAnswer::AddRow(keyList, "keyDTO");
    TaxmlAnswer::AddValue(row, "name", it.key());
    TaxmlAnswer::AddValue(row, "value", it->get<std::string>());
  }
  if (call.document) {
    const RequestDocument& d = *call.document;
    doc.Add("requestType", d.type->name).Add("encoding", d.gbk ? "GBK" : "UTF-8").Add("gzip", d.gzip ? "Y" : "N");
    pugi::xml_node elements = doc.AddList("elementList");
    for (pugi::xml_node child : d.Root().children()) {
      if (child.type() != pugi::node_element) continue;
      pugi::xml_node row = TaxmlAnswer::AddRow(elements, "elementDTO");
      TaxmlAnswer::AddValue(row, "name", child.name());
      if (child.first_child().type() == pugi::node_element) {
        size_t rows = 0;
        for (pugi::xml_node r : child.children())
          if (r.type() == pugi::node_element) ++rows;
        TaxmlAnswer::AddValue(row, "rows", std::to_string(rows));
      } else {
        TaxmlAnswer::AddValue(row, "value", child.text().get());
      }
    }
  }
  int32_t status = call.Key("answerStatus") == "1" ? wire::kAnsweredOne : wire::kAnswered;
  if (call.Key("answerJson") == "Y") {
    nlohmann::json j = {{"status", "SUCCESS"}, {"bodyKeys", keys}, {"yblsh", call.Yblsh()}};
    return Answer::Json(j, status);
  }
  AnswerEncoding enc;
  enc.gbk = call.Key("answerEncoding") == "GBK";
  enc.gzip = call.Key("answerGzip") == "Y";
  return Answer::Taxml(std::move(doc), enc, status);
}

}  // namespace

void RegisterDiagnostics(HandlerRegistry& registry) { registry.Add(kDiagnosticsCode, Diagnose); }

}  // namespace velmor::taxsim
