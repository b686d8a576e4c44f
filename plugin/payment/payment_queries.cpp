// The natural-person fee payment list ("0035", at once or in two steps) and the residents' fee
// history ("0237", in two steps).
#include <optional>

#include "codec/taxml_response.h"
#include "framework/host_access.h"
#include "payment/payment_mgr.h"
#include "service/server_call.h"
#include "velmor/return_code_message.h"

namespace velmor {

using Json = nlohmann::ordered_json;
using service::OpRefusal;

namespace {

constexpr service::OpRow kZrrQd{"TPaymentMgr", "synZrrjfqdCx", "0035", "自然人社保费缴费清单查询异常。"};
constexpr service::OpRow kLssbf{"TPaymentMgr", "synCxjmlssbfJfqdCx", "0237", "", "", "", service::AnswerKind::kJson};

Json Params(const std::string& qydjxh, const std::string& djxh, const std::string& fkssqq, const std::string& fkssqz) {
  return {{"qydjxh", qydjxh}, {"djxh", djxh}, {"fkssqq", fkssqq}, {"fkssqz", fkssqz}};
}

// The list of a decoded answer: "70001"/"70002" mean none; any other code but success fails.
Json ZrrList(const taxml::Response& r) {
  const std::string code = r.Code();
  if (code == "70001" || code == "70002") return Json::array();
  if (code != "00000") {
    std::string message = r.Message();
    if (message.empty()) message = GetReturnCodeMessage()->GetCodeMessage(code, "0035");
    throw OpRefusal("【" + code + "】" + message);
  }
  if (!r.List("sbfjfqdList")) throw OpRefusal("缺少<sbfjfqdList>节点。");
  Json rows = service::AnswerJson(r.Root())["sbfjfqdList"];
  return rows.is_array() ? rows : Json::array();
}

template <class F>
Json Decoded(F&& decode) {
  std::optional<taxml::Response> r;
  try {
    r.emplace(decode());
  } catch (const taxml::Failure&) {
    throw;
  } catch (const std::exception&) {
    throw OpRefusal("反馈报文异常。");
  }
  return ZrrList(*r);
}

}  // namespace

bool TPaymentMgr::GetZrrSbfJfQd(const std::string& qydjxh, const std::string& djxh, const std::string& fkssqq,
                                const std::string& fkssqz, IProgressView* progress, std::string& list) {
  return Run("GetZrrSbfJfQd", "自然人社保费缴费清单查询异常。", [&] {
    payment::Advance(progress, 0.1);
    taxml::Reply reply = payment::SendJson("0035", Params(qydjxh, djxh, fkssqq, fkssqz), progress, 0.7);
    reply.RequireSuccess();
    list = Decoded([&] { return taxml::Response::Read(reply); }).dump();
    payment::Advance(progress, 0.2);
  });
}

bool TPaymentMgr::synZrrjfqdCx(const std::string& qydjxh, const std::string& djxh, const std::string& fkssqq,
                               const std::string& fkssqz, std::string& yblsh) {
  yblsh.clear();
  return Run("synZrrjfqdCx", "自然人社保费缴费清单查询异常。", [&] {
    yblsh = service::Submit(kZrrQd, {djxh, Params(qydjxh, djxh, fkssqq, fkssqz)});
  });
}

bool TPaymentMgr::synZrrjfqdCxFk(const std::string& yblsh, bool& ready, std::string& list) {
  ready = false;
  list = "[]";
  return Run("synZrrjfqdCxFk", "自然人社保费缴费清单查询异常。", [&] {
    if (yblsh.empty()) throw OpRefusal("流水号为空。");
    std::optional<std::string> text = service::Collect(kZrrQd, yblsh);
    if (!text) return;
    ready = true;
    list = Decoded([&] { return taxml::Response::Decode(*text); }).dump();
  });
}

bool TPaymentMgr::synCxjmlssbfJfqdCx(const std::string& qydjxh, const std::string& djxh, const std::string& fkssqq,
                                     const std::string& fkssqz, std::string& yblsh) {
  yblsh.clear();
  return Run("synCxjmlssbfJfqdCx", "系统异常，请稍后再试", [&] {
    yblsh = service::Submit(kLssbf, {djxh, Params(qydjxh, djxh, fkssqq, fkssqz)});
  });
}

bool TPaymentMgr::synCxjmlssbfJfqdCxFk(const std::string& yblsh, bool& ready, std::string& answer) {
  ready = false;
  answer = "{}";
  return Run("synCxjmlssbfJfqdCxFk", "系统异常，请稍后再试", [&] {
    if (yblsh.empty()) throw OpRefusal("流水号为空。");
    std::optional<Json> a = service::CollectJson(kLssbf, yblsh);
    if (!a) return;
    ready = true;
    answer = a->dump();
  });
}

}  // namespace velmor
