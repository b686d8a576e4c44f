// Two-party payment agreements (docs/fees.md):
// "0106" saves the ZSsfxyVO of a HXZGZS10304Request: answers sfxydjuuid (a new one, or the one it
// came with when known) and sfxyyzxx "验证通过"; without jkzh the save is refused with code
// "30106" (nothing stored).
// "0105" answers the payer's saved agreements (HXZGZS10303Request with djxh) as sfxyxxGrid of
// sfxyxxGridlb rows, one element per member.
// "0111" checks a card holder (JSON body djxh, cardNo, certType, certNo, name, phoneNo) and
// answers JSON {respCode, respMsg, detailRespMsg}: "00" for a card of 16 to 19 digits whose holder
// is not named "无此人"; "01" (respMsg "卡号无效") for another card number; "02" with an empty
// respMsg for the holder "无此人". Without phoneNo the envelope's returnCode is "PARAM_ERROR".
#include <algorithm>
#include <cctype>

#include "taxsim/handlers/fee_book.h"
#include "taxsim/handlers/handler_support.h"

namespace velmor::taxsim {
namespace {

Answer SaveLlxy(const Call& call, State& s, FeeBook& book) {
  RequirePayer(s, call);
  if (!call.document) throw Refusal("10009", "缺少两两协议报文");
  FeeBook::Row a = FeeBook::Row::object();
  for (pugi::xml_node m : call.document->Root().child("ZSsfxyVO").children())
    if (m.type() == pugi::node_element) a[m.name()] = m.child_value();
  if (a.value("jkzh", "").empty()) return Answer::Error("30106", "缴款账号不能为空");
  auto& list = book.llxy[call.Djxh()];
  std::string id = a.value("sfxydjuuid", "");
  auto found = std::find_if(list.begin(), list.end(), [&](const FeeBook::Row& r) { return !id.empty() && r.value("sfxydjuuid", "") == id; });
  if (found == list.end()) {
    id = "LLXY" + std::to_string(100000 + ++book.serial);
    a["sfxydjuuid"] = id;
    list.push_back(a);
  } else {
    *found = a;
  }
  TaxmlAnswer doc;
  doc.Add("sfxydjuuid", id).Add("sfxyyzxx", "验证通过");
  return Answer::Taxml(std::move(doc));
}

Answer QueryLlxy(const Call& call, State& s, FeeBook& book) {
  RequirePayer(s, call);
  const std::string djxh = call.document ? call.document->Value("djxh") : call.Djxh();
  TaxmlAnswer doc;
  pugi::xml_node grid = doc.Root().append_child("sfxyxxGrid");
  for (const auto& a : book.llxy[djxh]) {
    pugi::xml_node row = grid.append_child("sfxyxxGridlb");
    for (auto it = a.begin(); it != a.end(); ++it) TaxmlAnswer::AddValue(row, it.key(), it.value().get<std::string>());
  }
  return Answer::Taxml(std::move(doc));
}

Answer CheckCaptcha(const Call& call, State&) {
  if (call.Key("phoneNo").empty()) {
    Answer a = Answer::Json(nlohmann::json::object());
    a.envelope.returnCode = "PARAM_ERROR";
    a.envelope.returnMessage = "手机号不能为空";
    return a;
  }
  const std::string card = call.Key("cardNo");
  const bool digits = !card.empty() && std::all_of(card.begin(), card.end(), [](unsigned char c) { return std::isdigit(c); });
  if (!digits || card.size() < 16 || card.size() > 19)
    return Answer::Json({{"respCode", "01"}, {"respMsg", "卡号无效"}, {"detailRespMsg", "卡号长度不正确"}});
  if (call.Key("name") == "无此人")
    return Answer::Json({{"respCode", "02"}, {"respMsg", ""}, {"detailRespMsg", "户名与证件不符"}});
  return Answer::Json({{"respCode", "00"}, {"respMsg", "验证成功"}, {"detailRespMsg", ""}});
}

}  // namespace

void RegisterLlxyHandlers(HandlerRegistry& r, const FeeBookPtr& book) {
  r.Add("0105", [book](const Call& call, State& s) { return QueryLlxy(call, s, *book); });
  r.Add("0106", [book](const Call& call, State& s) { return SaveLlxy(call, s, *book); });
  r.Add("0111", CheckCaptcha);
}

}  // namespace velmor::taxsim
