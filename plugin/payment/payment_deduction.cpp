// Paying by deduction ("0008") and asking how a deduction ended ("0014"). A deduction the
// server did not answer in time ("10042") leaves its lines as a trace under the request serial:
// they cannot be deducted again until a status query settles them.
#include <algorithm>
#include <functional>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "business/date_time.h"
#include "codec/json_members.h"
#include "codec/json_object_reader.h"
#include "codec/json_out.h"
#include "codec/json_parse.h"
#include "codec/text_set.h"
#include "framework/host_access.h"
#include "payment/payment_dao.h"
#include "payment/payment_mgr.h"
#include "payment/selected_lines.h"
#include "velmor/return_code_message.h"

namespace velmor {

using Json = nlohmann::ordered_json;
using service::OpRefusal;
using service::Text;

namespace {

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

// The members of a selected line that a deduction reads.
enum SelectedKey : size_t { kYzpzxh, kYzpzmxxh, kZsuuid, kQfje };

// A levy line is known by its document and its line number. Lines are matched through this key
// in a set: a deduction of thousands of lines must not compare every line with every other.
// Written into `key` (a scratch reused for every line), which it returns.
std::string_view LineKeyInto(std::string& key, std::string_view yzpzxh, std::string_view yzpzmxxh) {
  key = std::to_string(yzpzxh.size());
  key += ':';
  key.append(yzpzxh).append(yzpzmxxh);
  return key;
}

std::string LineKey(std::string_view yzpzxh, std::string_view yzpzmxxh) {
  std::string key;
  LineKeyInto(key, yzpzxh, yzpzmxxh);
  return key;
}

// The serial of a deduction still unsettled that holds one of `lines`; "" when none does.
std::string PendingSerial(IPaymentDAO& store, const std::string& djxh, int32_t jfrlx,
                          const payment::SelectedLines& lines) {
  std::string text;
  if (!store.GetCsjkxx(djxh, jfrlx, text)) throw OpRefusal(store.GetErrorMessage());
  const Json groups = Json::parse(text);
  if (groups.empty()) return "";
  std::unordered_set<std::string> wanted;
  for (size_t i = 0; i < lines.Size(); ++i) wanted.insert(LineKey(lines.Key(i, kYzpzxh), lines.Key(i, kYzpzmxxh)));
  for (const Json& g : groups)
    for (const Json& kept : g["mxlb"])
      if (wanted.count(LineKey(Text(kept, "yzpzxh"), Text(kept, "yzpzmxxh")))) return Text(g, "yblsh");
  return "";
}

// The "0008" request's list as JSON text: one group per levy document, in the order of the
// selection, each with its lines (written, not built as a tree of 100,000 lines).
std::string DeductionGroupsJson(const payment::SelectedLines& lines) {
  std::unordered_map<std::string_view, size_t> at;
  std::vector<std::vector<size_t>> groups;
  for (size_t i = 0; i < lines.Size(); ++i) {
    auto [it, fresh] = at.emplace(lines.Key(i, kYzpzxh), groups.size());
    if (fresh) groups.emplace_back();
    groups[it->second].push_back(i);
  }
  std::string out = "[";
  for (const std::vector<size_t>& g : groups) {
    if (out.size() > 1) out += ',';
    out += "{\"yzpzxh\":";
    AppendJsonString(out, lines.Key(g.front(), kYzpzxh));
    out += ",\"yzpzmxxhGridlb\":[";
    for (size_t n = 0; n < g.size(); ++n) {
      out += n == 0 ? "{\"yzpzmxxh\":" : ",{\"yzpzmxxh\":";
      AppendJsonString(out, lines.Key(g[n], kYzpzmxxh));
      out += ",\"zsuuid\":";
      AppendJsonString(out, lines.Key(g[n], kZsuuid));
      out += ",\"kkje\":";
      AppendJsonString(out, lines.Key(g[n], kQfje));
      out += '}';
    }
    out += "]}";
  }
  out += ']';
  return out;
}

// The deduction's feedback applied to the selected lines: the lines to store (those deducted,
// "000", or still with the bank, "FFF" and "999"). Each feedback row ("szmxLb") gives its line (by
// levy document and line number; a row of no selected line adds one) the outcome of its code
// ("kkfkLb" names the codes) and the server's values; a line given no row is not stored.
//
// The feedback is read when the object is made, on the caller's thread (raising
// OpRefusal("反馈报文异常") for feedback that cannot be read); the lines are written later, one by
// one, on whichever single thread stores them. The answer's text and the selected lines must
// outlive the object.
class DeductedLines {
 public:
  DeductedLines(payment::SelectedLines& lines, std::string_view answer, const Json& agreement) : lines_(lines) {
    static constexpr std::string_view kMembers[] = {"kkfkLb", "szmxLb"};
    std::vector<std::string_view> members(2);
    const bool blank = answer.empty() || answer == "null";  // an empty answer: an empty object
    // An answer the general parser had to normalise is held in normal_: the views point into it.
    if (!blank && !ObjectMembers(answer, kMembers, members, normal_)) throw OpRefusal("反馈报文异常");

    JsonObjectReader row;
    std::map<std::string, std::string> texts;  // kkfhdm -> the server's text
    if (!members[0].empty() && members[0][0] == '[') {
      JsonCursor c(members[0]);
      c.BeginArray();
      for (bool more = c.FirstElement(); more; more = c.NextElement()) {
        row.ReadAny(c);
        texts[std::string(row.Text("kkfhdm"))] = row.Text("kkfhmc");
      }
    }
    if (members[1].empty() || members[1][0] != '[') throw OpRefusal("反馈报文异常");

    fed_.resize(lines.Size());
    // The lines' keys, numbered as first seen, and per key number the last line of that key (as a
    // scan from the front finds it): one array of texts and positions rather than a node and a
    // string per line (100,000 at 100,000 persons).
    TextSet keys;
    keys.Reserve(lines.Size());
    std::vector<size_t> lineOf;
    lineOf.reserve(lines.Size());
    std::string scratch;
    for (size_t i = 0; i < lines.Size(); ++i) {
      const auto [n, added] = keys.Add(LineKeyInto(scratch, lines.Key(i, kYzpzxh), lines.Key(i, kYzpzmxxh)));
      if (added) lineOf.push_back(i);
      else lineOf[n] = i;
    }
    JsonCursor c(members[1]);
    c.BeginArray();
    for (bool more = c.FirstElement(); more; more = c.NextElement()) {
      const std::string_view rowText = row.ReadAny(c);
      std::string code(row.Text("kkfhdm"));
      if (code.empty() && texts.size() == 1) code = texts.begin()->first;
      auto known = texts.find(code);
      const Outcome o = OutcomeOf(code, known != texts.end() ? known->second : std::string(row.Text("kkfhmc")));
      const auto [n, fresh] = keys.Add(LineKeyInto(scratch, row.Text("yzpzxh"), row.Text("yzpzmxxh")));
      if (fresh) {
        lineOf.push_back(fed_.size());
        added_.push_back(
            Json{{"yzpzxh", row.Text("yzpzxh")}, {"yzpzmxxh", row.Text("yzpzmxxh")}, {"hsjg", row.Text("zsswjgDm")}}
                .dump());
        fed_.emplace_back();
      }
      fed_[lineOf[n]] = {true, rowText, o};
    }
    now_ = NowText();
    jkzh_ = Text(agreement, "jkzh");
    yhyywdMc_ = Text(agreement, "yhyywdMc");
  }

  bool Any() const {
    return std::any_of(fed_.begin(), fed_.end(), [](const Fed& f) { return Stored(f); });
  }

  // Each line to store, in order, as a JSON object's text (valid during the call).
  void ForEach(const std::function<void(std::string_view line)>& emit) {
    JsonObjectReader row;
    JsonChanges changes;
    std::string line;
    for (size_t i = 0; i < fed_.size(); ++i) {
      const Fed& f = fed_[i];
      if (!Stored(f)) continue;
      row.ReadAgain(f.row);
      changes.Clear();
      changes.String("dzsphm", row.Text("dzsphm")).String("kkfhmc", f.outcome.text).Int("jkzt", Jkzt(f));
      changes.String("qfje", row.Text("ybtse")).String("skgkDm", row.Text("skgkDm"));
      changes.String("zsjgDm", row.Text("zsswjgDm"));
      for (const char* k : {"skgkMc", "zsswjgMc", "zsxmDm", "zspmDm", "skssqq", "skssqz"})
        changes.String(k, row.Text(k));
      changes.Remove("fed").String("jksj", now_).String("jkzh", jkzh_).String("yhyywdMc", yhyywdMc_);
      line.clear();
      if (i < lines_.Size()) {
        lines_.Write(i, line, changes.Get());
      } else {
        row.ReadAgain(added_[i - lines_.Size()]);
        row.Write(line, changes.Get());
      }
      emit(line);
    }
  }

  // Room for the lines as one text.
  size_t TextRoom() const { return payment::JoinedLinesRoom(lines_.TextSize(), fed_.size()); }

 private:
  // Per line: the feedback row that came last for it (its text in the answer) and its outcome.
  struct Fed {
    bool fed = false;
    std::string_view row;
    Outcome outcome;
  };
  static int32_t Jkzt(const Fed& f) { return f.fed ? f.outcome.jkzt : 4; }
  static bool Stored(const Fed& f) {
    const int32_t jkzt = Jkzt(f);
    return jkzt == 3 || jkzt == 5 || jkzt == 6;
  }

  payment::SelectedLines& lines_;
  std::string normal_;  // the answer as the general parser writes it, when it had to be
  std::vector<Fed> fed_;
  std::vector<std::string> added_;  // lines of rows that matched none: {"yzpzxh", "yzpzmxxh", "hsjg"}
  std::string now_, jkzh_, yhyywdMc_;
};

}  // namespace

bool TPaymentMgr::SfyxJk(const std::string& lines, const std::string& agreement, const std::string& person,
                         int32_t jfrlx, IProgressView* progress, int32_t& result) {
  result = kJkFailed;
  return Run("SfyxJk", "系统异常，请稍后再试", [&] {
    payment::Advance(progress, 0.1);
    payment::SelectedLines selected(lines, "欠费明细", {"yzpzxh", "yzpzmxxh", "zsuuid", "qfje"});
    if (selected.Empty()) throw OpRefusal("请选择需要缴费的欠费信息。");
    Json a = payment::ObjectOf(agreement, "三方协议");
    Json p = payment::ObjectOf(person, "缴费人");
    const bool natural = jfrlx == 1;
    const std::string djxh = natural ? Text(p, "djxh") : CurrentDjxh();
    const std::string xm = natural ? Text(p, "xm") : "", zjlx = natural ? Text(p, "sfzjlxDm") : "",
                      zjhm = natural ? Text(p, "sfzjhm") : "";
    Ref<IPaymentDAO> store = Store();
    if (std::string serial = PendingSerial(*store, djxh, jfrlx, selected); !serial.empty())
      throw OpRefusal("所选欠费存在扣款结果未知的记录（请求流水号：" + serial + "），请先查询扣款结果，勿重复缴费。");

    taxml::Reply reply = payment::SendJson("0008", Json{{"zzdjxh", djxh}, {"sfxyh", Text(a, "sfxyh")}}, progress, 0.7,
                                           {{"yzpzxhGridlb", DeductionGroupsJson(selected)}});
    if (reply.Refused() && reply.RefusalCode() == "10042") {
      // The bank may still deduct: keep the lines so they are not paid twice meanwhile.
      JsonChanges account;
      account.String("jkzh", Text(a, "jkzh")).String("yhyywdMc", Text(a, "yhyywdMc"));
      std::string kept = "[";
      for (size_t i = 0; i < selected.Size(); ++i) {
        if (i > 0) kept += ',';
        selected.Write(i, kept, account.Get());
      }
      kept += ']';
      if (!store->SaveCsjkxx(kept, reply.yblsh, 1, jfrlx, xm, zjlx, zjhm)) throw OpRefusal(store->GetErrorMessage());
      result = kJkUnknown;
      return;
    }
    reply.RequireSuccess();
    // The answer (35 MB for 100,000 lines) is taken from the request and held while its lines
    // are written and stored. The plug-in's own store takes them one at a time, written on its
    // worker while the rows before are stored; another store takes them as one text.
    const std::string answer = reply.TakeResponse();
    DeductedLines deducted(selected, answer, a);
    const auto stored = [&](const TPaymentDAO::LineEmit& emit) { deducted.ForEach(emit); };
    if (deducted.Any() && !payment::CommitLinesTo(*store, stored, deducted.TextRoom(), 1, jfrlx, xm, zjlx, zjhm))
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
