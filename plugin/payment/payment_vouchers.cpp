// Bank-side vouchers: issuing them for arrears lines ("0010") and voiding one ("0011").
#include <set>
#include <unordered_map>
#include <vector>

#include "business/date_time.h"
#include "framework/host_access.h"
#include "framework/log.h"
#include "payment/payment_mgr.h"
#include "velmor/return_code_message.h"

namespace velmor {

using Json = nlohmann::ordered_json;
using service::OpRefusal;
using service::Text;

bool TPaymentMgr::PrintJkpz(const std::string& lines, const std::string& account, IProgressView* progress,
                            int32_t& result) {
  result = kJkFailed;
  return Run("PrintJkpz", "系统异常，请稍后再试", [&] {
    payment::Advance(progress, 0.1);
    Json selected = payment::ArrayOf(lines, "欠费明细");
    if (selected.empty()) throw OpRefusal("请选择需要开具缴款凭证的欠费信息。");
    Json a = payment::ObjectOf(account, "缴款账户");
    Json mxlb = Json::array();
    std::set<std::string> seen;
    for (const Json& l : selected)
      if (seen.insert(Text(l, "yzpzxh")).second) mxlb.push_back({{"yzpzxh", Text(l, "yzpzxh")}});
    taxml::Reply reply = payment::SendJson("0010",
                                           Json{{"zzdjxh", CurrentDjxh()},
                                                {"hsjg", Text(selected[0], "hsjg")},
                                                {"swjgdm", Text(selected[0], "zsjgDm")},
                                                {"mxlb", std::move(mxlb)}},
                                           progress, 0.7);
    if (reply.Refused() && reply.RefusalCode() == "10042") {
      result = kJkUnknown;
      return;
    }
    reply.RequireSuccess();
    Json answer = payment::AnswerOf(reply, "服务端反馈报文异常");
    auto vouchers = answer.find("szxxlb");
    if (vouchers == answer.end() || !vouchers->is_array()) throw OpRefusal("服务端反馈报文异常");
    // The lines by zsuuid, so a voucher finds its lines at once (a line-by-line search took
    // minutes for 25,000 lines).
    std::unordered_map<std::string, std::vector<Json*>> byZsuuid;
    for (Json& l : selected) byZsuuid[Text(l, "zsuuid")].push_back(&l);
    for (const Json& s : *vouchers) {
      auto found = byZsuuid.find(Text(s, "zsuuid"));
      if (found == byZsuuid.end()) continue;
      for (Json* line : found->second) {
        Json& l = *line;
        l["dyzt"] = 1;
        l["dzsphm"] = Text(s, "dzsphm");
        l["zsjgDm"] = Text(s, "swjgDm");
        l["sjje"] = Text(s, "sjje");
        l["jkqx"] = Text(s, "jkqx");
      }
    }
    const std::string now = NowText();
    Json stored = Json::array();
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
      Json& l = *it;
      if (payment::IntOf(l, "dyzt") == 1) {
        l["dysj"] = now;
        l["jkzt"] = 0;
        l["jkzh"] = Text(a, "yhzh");
        l["zhmc"] = Text(a, "zhmc");
        l["yhhbMc"] = Text(a, "yhhbMc");
        stored.push_back(std::move(l));
      } else {
        l["dyzt"] = 2;
      }
    }
    Ref<IPaymentDAO> store = Store();
    if (!stored.empty() && !store->CommitData(stored.dump(), 3, 0, "", "", "")) throw OpRefusal(store->GetErrorMessage());
    result = kJkDone;
    payment::Advance(progress, 0.2);
  });
}

bool TPaymentMgr::JkpzZf(const std::string& djxh, const std::string& voucher, IProgressView* progress) {
  LogEnter("TPaymentMgr.JkpzZf");
  const bool ok = Run("JkpzZf", "系统异常", [&] {
    payment::Advance(progress, 0.1);
    Json v = payment::ObjectOf(voucher, "缴款凭证");
    const std::string payer = djxh.empty() ? CurrentDjxh() : djxh;
    taxml::Reply reply = payment::SendJson(
        "0011", Json{{"djxh", payer}, {"swjg", Text(v, "zsjgDm")}, {"dzsphm", Text(v, "dzsphm")}}, progress, 0.7);
    reply.RequireSuccess();
    Json answer = payment::AnswerOf(reply, "反馈报文异常");
    if (!answer.contains("kkfhDm")) throw OpRefusal("反馈报文异常");
    const std::string code = Text(answer, "kkfhDm");
    if (code != "000") {
      std::string text = GetReturnCodeMessage()->GetCodeMessage(code, "0011");
      throw OpRefusal(text.empty() ? Text(answer, "kkfhmc") : text);
    }
    Ref<IPaymentDAO> store = Store();
    if (!store->UpdateDyzt(3, payer, Text(v, "dzsphm"), Text(v, "zsjgDm"))) throw OpRefusal(store->GetErrorMessage());
    payment::Advance(progress, 0.2);
  });
  LogLeave("TPaymentMgr.JkpzZf");
  return ok;
}

}  // namespace velmor
