// Paying by deduction ("0008") and asking how a deduction ended ("0014"). A deduction the
// server did not answer in time ("10042") leaves its lines as a trace under the request serial:
// they cannot be deducted again until a status query settles them.
#include <map>
#include <set>

#include "codec/json_parse.h"
#include "business/date_time.h"
#include "framework/host_access.h"
#include "payment/payment_mgr.h"
#include "velmor/return_code_message.h"

namespace velmor {

using Json = nlohmann::ordered_json;
using service::OpRefusal;
using service::Text;

namespace {

constexpr const char* kMismatch = "三方协议缴费失败，服务端反馈应征凭证序号、明细序号与提交的不一致。";

struct Outcome {
  int32_t jkzt = 4;
  std::string text;
};

Outcome OutcomeOf(const std::string& code, const std::string& serverText) {
  Outcome o;
  if (code == "000") return {3, ""};
  o.jkzt = code == "FFF" ? 5 : code == "999" ? 6 : 4;
  o.text = GetReturnCodeMessage()->GetCodeMessage(code, "0008");
  if (o.text.empty()) o.text = o.jkzt == 4 ? "三方协议缴费失败，扣款返回代码：" + code : serverText;
  return o;
}

// A levy line is known by its document and its line number. Lines are matched through this key
// in a map: a deduction of thousands of lines must not compare every line with every other.
using LineKey = std::pair<std::string, std::string>;
LineKey KeyOf(const Json& line) { return {Text(line, "yzpzxh"), Text(line, "yzpzmxxh")}; }

// The serial of a deduction still unsettled that holds one of `lines`; "" when none does.
std::string PendingSerial(IPaymentDAO& store, const std::string& djxh, int32_t jfrlx, const Json& lines) {
  std::string text;
  if (!store.GetCsjkxx(djxh, jfrlx, text)) throw OpRefusal(store.GetErrorMessage());
  std::set<LineKey> wanted;
  for (const Json& l : lines) wanted.insert(KeyOf(l));
  for (const Json& g : Json::parse(text))
    for (const Json& kept : g["mxlb"])
      if (wanted.count(KeyOf(kept))) return Text(g, "yblsh");
  return "";
}

}  // namespace

Json TPaymentMgr::ApplyFeedback(Json lines, const Json& feedback, const Json& agreement) {
  std::map<std::string, std::string> texts;  // kkfhdm -> the server's text
  if (feedback.contains("kkfkLb") && feedback["kkfkLb"].is_array())
    for (const Json& k : feedback["kkfkLb"]) texts[Text(k, "kkfhdm")] = Text(k, "kkfhmc");
  auto rowsAt = feedback.find("szmxLb");
  if (rowsAt == feedback.end() || !rowsAt->is_array()) throw OpRefusal("反馈报文异常");
  const Json& rows = *rowsAt;
  std::map<LineKey, size_t> index;  // the last line of each key, as a scan from the front would find
  for (size_t i = 0; i < lines.size(); ++i) index[KeyOf(lines[i])] = i;
  for (const Json& r : rows) {
    std::string code = Text(r, "kkfhdm");
    if (code.empty() && texts.size() == 1) code = texts.begin()->first;
    const Outcome o = OutcomeOf(code, texts.count(code) ? texts[code] : Text(r, "kkfhmc"));
    const LineKey key = KeyOf(r);
    auto found = index.find(key);
    if (found == index.end()) {
      lines.push_back({{"yzpzxh", key.first}, {"yzpzmxxh", key.second}, {"hsjg", Text(r, "zsswjgDm")}});
      found = index.emplace(key, lines.size() - 1).first;
    }
    Json& l = lines[found->second];
    l["dzsphm"] = Text(r, "dzsphm");
    l["kkfhmc"] = o.text;
    l["jkzt"] = o.jkzt;
    l["qfje"] = Text(r, "ybtse");
    l["skgkDm"] = Text(r, "skgkDm");
    l["zsjgDm"] = Text(r, "zsswjgDm");
    for (const char* k : {"skgkMc", "zsswjgMc", "zsxmDm", "zspmDm", "skssqq", "skssqz"}) l[k] = Text(r, k);
    l["fed"] = true;
  }
  const std::string now = NowText();
  Json stored = Json::array();
  for (Json& l : lines) {
    const int32_t jkzt = l.value("fed", false) ? payment::IntOf(l, "jkzt") : 4;
    l.erase("fed");
    if (jkzt == 3 || jkzt == 5 || jkzt == 6) {
      l["jksj"] = now;
      l["jkzh"] = Text(agreement, "jkzh");
      l["yhyywdMc"] = Text(agreement, "yhyywdMc");
      stored.push_back(std::move(l));
    } else {
      l["jkzt"] = 4;
      if (Text(l, "kkfhmc").empty()) l["kkfhmc"] = kMismatch;
    }
  }
  return stored;
}

bool TPaymentMgr::SfyxJk(const std::string& lines, const std::string& agreement, const std::string& person,
                         int32_t jfrlx, IProgressView* progress, int32_t& result) {
  result = kJkFailed;
  return Run("SfyxJk", "系统异常，请稍后再试", [&] {
    payment::Advance(progress, 0.1);
    Json selected = payment::ArrayOf(lines, "欠费明细");
    if (selected.empty()) throw OpRefusal("请选择需要缴费的欠费信息。");
    Json a = payment::ObjectOf(agreement, "三方协议");
    Json p = payment::ObjectOf(person, "缴费人");
    const bool natural = jfrlx == 1;
    const std::string djxh = natural ? Text(p, "djxh") : CurrentDjxh();
    const std::string xm = natural ? Text(p, "xm") : "", zjlx = natural ? Text(p, "sfzjlxDm") : "",
                      zjhm = natural ? Text(p, "sfzjhm") : "";
    Ref<IPaymentDAO> store = Store();
    if (std::string serial = PendingSerial(*store, djxh, jfrlx, selected); !serial.empty())
      throw OpRefusal("所选欠费存在扣款结果未知的记录（请求流水号：" + serial + "），请先查询扣款结果，勿重复缴费。");

    Json groups = Json::array();
    std::map<std::string, size_t> at;
    for (const Json& l : selected) {
      auto [it, fresh] = at.emplace(Text(l, "yzpzxh"), groups.size());
      if (fresh) groups.push_back({{"yzpzxh", Text(l, "yzpzxh")}, {"yzpzmxxhGridlb", Json::array()}});
      groups[it->second]["yzpzmxxhGridlb"].push_back(
          {{"yzpzmxxh", Text(l, "yzpzmxxh")}, {"zsuuid", Text(l, "zsuuid")}, {"kkje", Text(l, "qfje")}});
    }
    taxml::Reply reply = payment::SendJson(
        "0008", Json{{"zzdjxh", djxh}, {"sfxyh", Text(a, "sfxyh")}, {"yzpzxhGridlb", std::move(groups)}}, progress, 0.7);
    if (reply.Refused() && reply.RefusalCode() == "10042") {
      // The bank may still deduct: keep the lines so they are not paid twice meanwhile.
      Json kept = selected;
      for (Json& l : kept) {
        l["jkzh"] = Text(a, "jkzh");
        l["yhyywdMc"] = Text(a, "yhyywdMc");
      }
      if (!store->SaveCsjkxx(kept.dump(), reply.yblsh, 1, jfrlx, xm, zjlx, zjhm))
        throw OpRefusal(store->GetErrorMessage());
      result = kJkUnknown;
      return;
    }
    reply.RequireSuccess();
    Json feedback = payment::AnswerOf(reply, "反馈报文异常");
    Json stored = ApplyFeedback(std::move(selected), feedback, a);
    if (!stored.empty() && !store->CommitData(stored.dump(), 1, jfrlx, xm, zjlx, zjhm))
      throw OpRefusal(store->GetErrorMessage());
    result = kJkDone;
    payment::Advance(progress, 0.2);
  });
}

bool TPaymentMgr::Kkqkcx(const std::string& djxh, const std::string& yzpzxh, IProgressView* progress,
                         std::string& answer) {
  return Run("Kkqkcx", "系统异常，请稍后再试", [&] {
    payment::Advance(progress, 0.1);
    taxml::Reply reply = payment::SendJson(
        "0014", Json{{"djxh", djxh.empty() ? CurrentDjxh() : djxh}, {"yzpzxh", yzpzxh}}, progress, 0.7);
    reply.RequireSuccess();
    answer = payment::AnswerOf(reply, "反馈报文异常").dump();
    payment::Advance(progress, 0.2);
  });
}

bool TPaymentMgr::SaveKkqkcxResult(const std::string& djxh, const std::string& yzpzxh, const std::string& answer) {
  return Run("SaveKkqkcxResult", "系统异常，请稍后再试", [&] {
    Json a = answer.empty() ? Json() : ParseOutsideJson<Json>(answer, false);
    if (!a.is_object() || a.empty()) throw OpRefusal("扣款结果对象为空");
    const double wjkje = payment::NumberOf(a, "wjkje"), yjkje = payment::NumberOf(a, "yjkje");
    const int32_t jkzt = (wjkje == 0 && yjkje > 0) ? 3 : (wjkje > 0 && yjkje > 0) ? 2 : 0;
    const std::string payer = djxh.empty() ? CurrentDjxh() : djxh;
    Ref<IPaymentDAO> store = Store();

    // Deductions that timed out for this levy document are settled now: paid lines are recorded,
    // and the trace goes (lines of other documents under the same serial stay traced).
    for (int32_t jfrlx : {0, 1}) {
      std::string text;
      if (!store->GetCsjkxx(payer, jfrlx, text)) throw OpRefusal(store->GetErrorMessage());
      for (const Json& g : Json::parse(text)) {
        Json mine = Json::array(), rest = Json::array();
        for (const Json& l : g["mxlb"]) (Text(l, "yzpzxh") == yzpzxh ? mine : rest).push_back(l);
        if (mine.empty()) continue;
        const Json& first = mine[0];
        const int32_t lineType = payment::IntOf(first, "jfrlx");
        if (jkzt != 0) {
          for (Json& l : mine) l["jkzt"] = jkzt;
          if (!store->CommitData(mine.dump(), payment::IntOf(g, "jkfs"), lineType, Text(first, "xm"),
                                 Text(first, "zjlx"), Text(first, "zjhm")))
            throw OpRefusal(store->GetErrorMessage());
        }
        if (!store->DeleteCsjkxx(Text(g, "yblsh"))) throw OpRefusal(store->GetErrorMessage());
        if (!rest.empty() && !store->SaveCsjkxx(rest.dump(), Text(g, "yblsh"), payment::IntOf(g, "jkfs"), lineType,
                                                Text(first, "xm"), Text(first, "zjlx"), Text(first, "zjhm")))
          throw OpRefusal(store->GetErrorMessage());
      }
    }
    if (!store->UpdateJkzt(payer, yzpzxh, jkzt)) throw OpRefusal(store->GetErrorMessage());
  });
}

}  // namespace velmor
