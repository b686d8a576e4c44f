// The electronic declaration of payable rows: "0031" (submit; the request document carries the
// rows) and "0029" (feedback; the body holds only the serial). Both answer with status 1 and a
// return code: "SUCCESS", or "FAIL" with the result code as response data.
//
// The remark (bz) of a submission steers its outcome, for tests: "REJECT" refuses the submission
// ("30012"); "PENDING" answers the first feedback SUCCESS with no data; "FAIL" answers feedback
// "20001" with the first row in errorDTOList; "BAD" answers feedback with text that is no JSON.
// Anything else is declared, with a fresh voucher number.
#include "taxsim/handlers.h"
#include "taxsim/handlers/handler_support.h"

namespace velmor::taxsim {
namespace {

Answer StatusOne(int32_t status, const std::string& returnCode, std::string responseData, std::string message,
                 std::string response) {
  Answer a;
  a.envelope.status = status;
  a.envelope.returnCode = returnCode;
  a.envelope.responseData = std::move(responseData);
  a.envelope.returnMessage = std::move(message);
  a.envelope.response = std::move(response);
  return a;
}

Answer Fail(std::string code, std::string message, std::string response = "") {
  return StatusOne(wire::kAnsweredOne, "FAIL", std::move(code), std::move(message), std::move(response));
}

Answer Submit(const Call& call, State& s) {
  if (!call.document) return Fail("10003", "缺少申报报文");
  const Payer& p = RequirePayer(s, call);
  const std::vector<pugi::xml_node> rows = DocumentRows(call, "shbxfjfsbbMxDzmsList");
  if (rows.empty()) return Fail("10002", "申报明细为空");
  const std::string bz = Param(call, "bz");
  if (bz == "REJECT") return Fail("30012", "征集信息已失效");
  s.residents["dzsb"][call.Yblsh()] = {{"djxh", p.djxh},
                                      {"bz", bz},
                                      {"polls", 0},
                                      {"xxh", rows.front().child_value("xxh")}};
  return StatusOne(wire::kAnsweredOne, "SUCCESS", "", "申报已受理", "");
}

Answer Feedback(const Call& call, State& s) {
  nlohmann::json& book = s.residents["dzsb"];
  if (!book.contains(call.Yblsh())) return Fail("30001", "未找到该流水号的申报");
  nlohmann::json& d = book[call.Yblsh()];
  const std::string bz = d.value("bz", "");
  const int polls = d.value("polls", 0);
  d["polls"] = polls + 1;
  if (bz == "PENDING" && polls == 0) return StatusOne(wire::kAnsweredOne, "SUCCESS", "null", "申报处理中", "");
  if (bz == "FAIL") {
    nlohmann::json errors = {{"errorDTOList", {{{"xxh", d.value("xxh", "")}, {"sbyy", "缴费人员信息有误"}}}}};
    return Fail("20001", "申报数据有误", errors.dump());
  }
  if (bz == "BAD") return StatusOne(wire::kAnsweredOne, "SUCCESS", "1", "", "{bad json");
  if (!d.contains("yzpzxh")) d["yzpzxh"] = "3" + std::to_string(100000000000000000ULL + s.NextNumber());
  nlohmann::json answer = {{"yzpzxh", d["yzpzxh"]}, {"errorDTOList", nlohmann::json::array()}};
  return StatusOne(wire::kAnsweredOne, "SUCCESS", "1", "处理成功", answer.dump());
}

}  // namespace

void RegisterElectronicDeclaration(HandlerRegistry& registry) {
  registry.Add("0031", Submit);
  registry.Add("0029", Feedback);
}

}  // namespace velmor::taxsim
