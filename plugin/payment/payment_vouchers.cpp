// Bank-side vouchers: issuing them for arrears lines ("0010") and voiding one ("0011").
#include <functional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "business/date_time.h"
#include "codec/json_members.h"
#include "codec/json_object_reader.h"
#include "framework/host_access.h"
#include "framework/log.h"
#include "payment/line_texts.h"
#include "payment/payment_dao.h"
#include "payment/payment_mgr.h"
#include "payment/selected_lines.h"
#include "velmor/return_code_message.h"

namespace velmor {

using Json = nlohmann::ordered_json;
using service::OpRefusal;
using service::Text;

namespace {

// The members of a selected line that issuing vouchers reads.
enum SelectedKey : size_t { kYzpzxh, kZsuuid, kDyzt, kHsjg, kZsjgDm };

// A line's voucher: the text of the last entry of the answer's list naming its zsuuid (empty for
// an entry that is no object, which reads as an empty one).
struct VoucherOf {
  bool on = false;
  std::string_view entry;
};

// The vouchers of the lines from the answer's list (its text), matched by zsuuid through a map:
// a line-by-line search took minutes for 25,000 lines.
std::vector<VoucherOf> VouchersOf(const payment::SelectedLines& lines, std::string_view list) {
  constexpr size_t kNone = static_cast<size_t>(-1);
  std::unordered_map<std::string_view, size_t> firstOf;  // and after each line, the next of its zsuuid
  std::vector<size_t> next(lines.Size(), kNone);
  for (size_t i = lines.Size(); i-- > 0;) {
    auto [it, fresh] = firstOf.emplace(lines.Key(i, kZsuuid), i);
    if (!fresh) {
      next[i] = it->second;
      it->second = i;
    }
  }
  std::vector<VoucherOf> vouchers(lines.Size());
  JsonObjectReader v;
  JsonCursor c(list);
  c.BeginArray();
  for (bool more = c.FirstElement(); more; more = c.NextElement()) {
    const std::string_view entry = v.ReadAny(c);
    auto found = firstOf.find(v.Text("zsuuid"));
    if (found == firstOf.end()) continue;
    for (size_t i = found->second; i != kNone; i = next[i]) vouchers[i] = {true, entry};
  }
  return vouchers;
}

// The lines to store, from the last to the first: a line on a voucher (or given as on one,
// "dyzt" 1) with the voucher's values and the account's. Made on the caller's thread; the lines
// are written later, one by one, on whichever single thread stores them. The answer's text (the
// vouchers point into it) and the selected lines must outlive the object.
class VoucheredLines {
 public:
  VoucheredLines(payment::SelectedLines& lines, std::vector<VoucherOf> vouchers, const Json& account)
      : lines_(lines),
        vouchers_(std::move(vouchers)),
        now_(NowText()),
        yhzh_(Text(account, "yhzh")),
        zhmc_(Text(account, "zhmc")),
        yhhbMc_(Text(account, "yhhbMc")) {}

  bool Any() const {
    for (size_t i = 0; i < lines_.Size(); ++i)
      if (Stored(i)) return true;
    return false;
  }

  // Each line to store, from the last to the first, as a JSON object's text (valid during the call).
  void ForEach(const std::function<void(std::string_view line)>& emit) {
    JsonObjectReader v;
    JsonChanges changes;
    std::string line;
    for (size_t i = lines_.Size(); i-- > 0;) {
      if (!Stored(i)) continue;
      const VoucherOf& voucher = vouchers_[i];
      changes.Clear();
      if (voucher.on) {
        v.ReadAgain(voucher.entry);
        changes.Int("dyzt", 1).String("dzsphm", v.Text("dzsphm")).String("zsjgDm", v.Text("swjgDm"));
        changes.String("sjje", v.Text("sjje")).String("jkqx", v.Text("jkqx"));
      }
      changes.String("dysj", now_).Int("jkzt", 0).String("jkzh", yhzh_);
      changes.String("zhmc", zhmc_).String("yhhbMc", yhhbMc_);
      line.clear();
      lines_.Write(i, line, changes.Get());
      emit(line);
    }
  }

  // Room for the lines as one text.
  size_t TextRoom() const { return payment::JoinedLinesRoom(lines_.TextSize(), lines_.Size()); }

 private:
  bool Stored(size_t i) const {
    return vouchers_[i].on || static_cast<int32_t>(payment::NumberOfText(lines_.Key(i, kDyzt))) == 1;
  }

  payment::SelectedLines& lines_;
  const std::vector<VoucherOf> vouchers_;
  const std::string now_, yhzh_, zhmc_, yhhbMc_;
};

}  // namespace

bool TPaymentMgr::PrintJkpz(const std::string& lines, const std::string& account, IProgressView* progress,
                            int32_t& result) {
  result = kJkFailed;
  return Run("PrintJkpz", "系统异常，请稍后再试", [&] {
    payment::Advance(progress, 0.1);
    payment::SelectedLines selected(lines, "欠费明细", {"yzpzxh", "zsuuid", "dyzt", "hsjg", "zsjgDm"});
    if (selected.Empty()) throw OpRefusal("请选择需要开具缴款凭证的欠费信息。");
    Json a = payment::ObjectOf(account, "缴款账户");
    Json mxlb = Json::array();
    std::unordered_set<std::string_view> seen;
    for (size_t i = 0; i < selected.Size(); ++i)
      if (seen.insert(selected.Key(i, kYzpzxh)).second) mxlb.push_back({{"yzpzxh", selected.Key(i, kYzpzxh)}});
    taxml::Reply reply = payment::SendJson("0010",
                                           Json{{"zzdjxh", CurrentDjxh()},
                                                {"hsjg", selected.Key(0, kHsjg)},
                                                {"swjgdm", selected.Key(0, kZsjgDm)},
                                                {"mxlb", std::move(mxlb)}},
                                           progress, 0.7);
    if (reply.Refused() && reply.RefusalCode() == "10042") {
      result = kJkUnknown;
      return;
    }
    reply.RequireSuccess();
    // The answer is taken from the request and held while its lines are written and stored (the
    // vouchers point into it). The plug-in's own store takes them one at a time, written on its
    // worker while the rows before are stored; another store takes them as one text.
    const std::string answer = reply.TakeResponse();
    static constexpr std::string_view kMembers[] = {"szxxlb"};
    std::vector<std::string_view> members(1);
    std::string normal;
    const bool blank = answer.empty() || answer == "null";  // an empty answer: an empty object
    if ((!blank && !ObjectMembers(answer, kMembers, members, normal)) || members[0].empty() || members[0][0] != '[')
      throw OpRefusal("服务端反馈报文异常");
    VoucheredLines vouchered(selected, VouchersOf(selected, members[0]), a);
    Ref<IPaymentDAO> store = Store();
    const auto stored = [&](const TPaymentDAO::LineEmit& emit) { vouchered.ForEach(emit); };
    if (vouchered.Any() && !payment::CommitLinesTo(*store, stored, vouchered.TextRoom(), 3, 0, "", "", ""))
      throw OpRefusal(store->GetErrorMessage());
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
