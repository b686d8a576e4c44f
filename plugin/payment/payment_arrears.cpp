// Agreements ("0006") and arrears per tax office ("0007"): the offices of the payer's enabled
// business lines, the residents' item-code filter, per-office failures and the order of lines.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <tuple>

#include "codec/json_parse.h"
#include "codec/text_utils.h"
#include "framework/host_access.h"
#include "payment/payment_mgr.h"
#include "velmor/bzdj.h"
#include "velmor/xnh_mgr.h"

namespace velmor {

using Json = nlohmann::ordered_json;
using service::OpRefusal;
using service::Text;

namespace {

constexpr const char* kItemCodeFile = "城乡居民品目代码.dat";

// The residents' item codes: the platform's own file first, then the shared dictionary's.
std::set<std::string> ItemCodes() {
  namespace fs = std::filesystem;
  Ref<IPlatformManager> platform = GetPlatformManager();
  const fs::path root = fs::path(platform->GetModuleDataDir("M8"));
  const fs::path own = root / "AppComs" / "Difference" / platform->GetPlatformName() / kItemCodeFile;
  const fs::path shared = root / "Dictionary" / kItemCodeFile;
  const fs::path path = fs::exists(own) ? own : shared;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw OpRefusal("缺少文件：" + shared.string());
  std::set<std::string> codes;
  for (std::string line; std::getline(in, line);)
    if (std::string code = TrimBlanks(line); !code.empty()) codes.insert(code);
  return codes;
}

// The tax offices of the insured persons of each enabled business line ("5" the scheme, "8"
// collective, "9" government payers), sorted and without duplicates, as {zgswksDm, zgswksMc}.
Json OfficesOfBusinessLines(const std::string& djxh) {
  std::map<std::string, std::string> offices;
  Ref<IPortalAgent> portal = GetPortalAgent();
  for (const std::string& mark : portal->GetBusinessLines()) {
    if (mark == "5") {
      Ref<IXnhMgr> xnh = CreatePluginService<IXnhMgr>("创建平台组件接口[IXnhMgr]失败！");
      Json rows = ParseOutsideJson<Json>(xnh->getZgswksDmLb(djxh), false);
      if (rows.is_array())
        for (const Json& r : rows)
          if (!Text(r, "zgswksDm").empty()) offices.emplace(Text(r, "zgswksDm"), Text(r, "zgswksMc"));
    } else if (mark == "8" || mark == "9") {
      const std::string text = mark == "8"
                                   ? CreatePluginService<IJtbzhIntf>("创建平台组件接口[IJtbzhIntf]失败！")->getSwksdms("Y")
                                   : CreatePluginService<IZfdjhIntf>("创建平台组件接口[IZfdjhIntf]失败！")->getSwksdms("Y");
      Json codes = ParseOutsideJson<Json>(text, false);
      if (codes.is_array())
        for (const Json& c : codes)
          if (c.is_string() && !c.get<std::string>().empty()) offices.emplace(c.get<std::string>(), "");
    }
  }
  Json out = Json::array();
  for (const auto& [code, name] : offices) out.push_back({{"zgswksDm", code}, {"zgswksMc", name}});
  return out;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace

bool TPaymentMgr::GetSfxyLb(const std::string& kjywrdjxh, const std::string& dyfs, IProgressView* progress,
                            std::string& agreements) {
  return Run("GetSfxyLb", "系统异常，请稍后再试", [&] {
    payment::Advance(progress, 0.1);
    taxml::Reply reply =
        payment::SendJson("0006", Json{{"kjywrdjxh", kjywrdjxh.empty() ? CurrentDjxh() : kjywrdjxh}, {"dyfs", dyfs}},
                          progress, 0.7);
    reply.RequireSuccess();
    Json answer = payment::AnswerOf(reply, "反馈报文异常");
    Json list = answer.contains("sfxyList") && answer["sfxyList"].is_array() ? answer["sfxyList"] : Json::array();
    agreements = list.dump();
    payment::Advance(progress, 0.2);
  });
}

bool TPaymentMgr::GetQfxxLb(int32_t source, const std::string& djxh, const std::string& condition,
                            const std::string& offices, IProgressView* progress, std::string& arrears) {
  std::string officeFailures;
  const bool ok = Run("GetQfxxLb", "系统异常，请稍后再试", [&] {
    payment::Advance(progress, 0.1);
    const std::string payer = djxh.empty() ? CurrentDjxh() : djxh;
    Json given = offices.empty() ? Json::array() : ParseOutsideJson<Json>(offices, false);
    if (!given.is_array()) throw OpRefusal("税务机关列表不是JSON数组。");
    Json officeList = source == 1 ? given : OfficesOfBusinessLines(payer);
    Json c = condition.empty() ? Json::object() : ParseOutsideJson<Json>(condition, false);
    if (!c.is_object()) throw OpRefusal("查询条件不是JSON对象。");
    const std::set<std::string> items = ItemCodes();

    Json keys = {{"djxh", payer}, {"isbhykpwjk", "N"}, {"zgswskfjdmList", Json::array()}};
    for (const Json& o : officeList) keys["zgswskfjdmList"].push_back({{"zgswksDm", Text(o, "zgswksDm")}});
    for (const char* k : {"zjtzlsh", "skssqq", "skssqz", "sbjbjgDm", "sbbm", "zsxmDm", "yzmxList"}) {
      auto it = c.find(k);
      if (it == c.end() || it->is_null() || (it->is_string() && it->get<std::string>().empty()) ||
          (it->is_array() && it->empty()))
        continue;
      keys[k] = *it;
    }
    taxml::Reply reply = payment::SendJson("0007", keys, progress, 0.7);
    reply.RequireSuccess();

    Json lines = Json::array();
    std::set<std::string> seen;  // zsuuid: a line reported twice is one amount owed
    std::vector<std::pair<std::string, std::vector<std::string>>> failures;
    // One arrears answer: lines of the offices that answered, reasons of those that failed.
    auto absorb = [&](const Json& answer) {
      auto list = answer.find("qfxxList");
      if (list == answer.end() || !list->is_array()) return;
      for (const Json& e : *list) {
        if (Text(e, "code") == "SUCCESS") {
          auto mx = e.find("qfxxMxList");
          if (mx == e.end() || !mx->is_array()) continue;  // empty or the text "null"
          for (const Json& l : *mx) {
            if (!items.count(Text(l, "zspmDm"))) continue;
            const std::string id = Text(l, "zsuuid");
            if (!id.empty() && !seen.insert(id).second) continue;
            lines.push_back(l);
          }
          continue;
        }
        std::string message = TrimBlanks(Text(e, "message"));
        if (message.empty()) message = "未知";
        const std::string office = Text(e, "zgswskfjdm");
        auto f = std::find_if(failures.begin(), failures.end(), [&](const auto& p) { return p.first == office; });
        if (f == failures.end()) f = failures.insert(failures.end(), {office, {}});
        if (std::find(f->second.begin(), f->second.end(), message) == f->second.end()) f->second.push_back(message);
      }
    };
    absorb(payment::AnswerOf(reply, "反馈报文异常"));

    // Without a narrowing condition, the social-insurance payment service adds what it knows of
    // the same levy documents (lines already seen are not repeated).
    bool narrowed = false;
    for (const char* k : {"zjtzlsh", "skssqq", "skssqz", "sbjbjgDm", "sbbm", "zsxmDm"}) narrowed = narrowed || keys.contains(k);
    if (!narrowed && !lines.empty()) {
      Json documents = Json::array();
      std::set<std::string> listed;
      for (const Json& l : lines)
        if (std::string yzpzxh = Text(l, "yzpzxh"); listed.insert(yzpzxh).second) documents.push_back(yzpzxh);
      std::string text, error;
      if (!GetSbfjnService()->GetQfxxByYzpzxh(payer, documents.dump(), "N", text, error)) throw OpRefusal(error);
      Json more = ParseOutsideJson<Json>(text, false);
      if (!more.is_object()) throw OpRefusal("反馈报文异常");
      absorb(more);
    }
    for (const auto& [office, messages] : failures) {
      std::string name = office;
      for (const Json& o : officeList)
        if (Text(o, "zgswksDm") == office && !Text(o, "zgswksMc").empty()) name = Text(o, "zgswksMc");
      std::string joined;
      for (const std::string& m : messages) joined += (joined.empty() ? "" : "、") + m;
      officeFailures += (officeFailures.empty() ? "" : "\r\n") + name + "欠费信息获取失败，原因：" + joined;
    }

    // By office and voucher, and within them by deadline (case aside), keeping the answer's order
    // otherwise; the keys are read once per line, not once per comparison.
    struct Keyed {
      std::string hsjg, yzpzxh, jkqx;
      size_t at;
    };
    std::vector<Keyed> order;
    order.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i)
      order.push_back({Text(lines[i], "hsjg"), Text(lines[i], "yzpzxh"), Lower(Text(lines[i], "jkqx")), i});
    std::stable_sort(order.begin(), order.end(), [](const Keyed& a, const Keyed& b) {
      return std::tie(a.hsjg, a.yzpzxh, a.jkqx) < std::tie(b.hsjg, b.yzpzxh, b.jkqx);
    });
    Json sorted = Json::array();
    for (const Keyed& k : order) sorted.push_back(std::move(lines[k.at]));
    arrears = sorted.dump();
    payment::Advance(progress, 0.2);
  });
  if (ok) ErrorMessage = officeFailures;
  return ok;
}

}  // namespace velmor
