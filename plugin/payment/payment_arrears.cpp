// Agreements ("0006") and arrears per tax office ("0007"): the offices of the payer's enabled
// business lines, the residents' item-code filter, per-office failures and the order of lines.
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <set>

#include "codec/json_parse.h"
#include "codec/text_utils.h"
#include "framework/host_access.h"
#include "payment/arrears_lines.h"
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
payment::ArrearsLines::ItemCodes ItemCodes() {
  namespace fs = std::filesystem;
  Ref<IPlatformManager> platform = GetPlatformManager();
  const fs::path root = fs::path(platform->GetModuleDataDir("M8"));
  const fs::path own = root / "AppComs" / "Difference" / platform->GetPlatformName() / kItemCodeFile;
  const fs::path shared = root / "Dictionary" / kItemCodeFile;
  const fs::path path = fs::exists(own) ? own : shared;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw OpRefusal("缺少文件：" + shared.string());
  payment::ArrearsLines::ItemCodes codes;
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

// The social-insurance payment service's answer for some levy documents; thread-safe (the
// service is).
struct DocumentArrears {
  bool ok = false;
  std::string text, error;
};

DocumentArrears AskDocuments(ISbfjnService& service, const std::string& djxh, const std::string& documents) {
  DocumentArrears a;
  a.ok = service.GetQfxxByYzpzxh(djxh, documents, "N", a.text, a.error);
  return a;
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
    const payment::ArrearsLines::ItemCodes items = ItemCodes();

    Json keys = {{"djxh", payer}, {"isbhykpwjk", "N"}, {"zgswskfjdmList", Json::array()}};
    for (const Json& o : officeList) keys["zgswskfjdmList"].push_back({{"zgswksDm", Text(o, "zgswksDm")}});
    for (const char* k : {"zjtzlsh", "skssqq", "skssqz", "sbjbjgDm", "sbbm", "zsxmDm", "yzmxList"}) {
      auto it = c.find(k);
      if (it == c.end() || it->is_null() || (it->is_string() && it->get<std::string>().empty()) ||
          (it->is_array() && it->empty()))
        continue;
      keys[k] = *it;
    }
    // Without a narrowing condition, the social-insurance payment service adds what it knows of
    // the same levy documents (lines already seen are not repeated).
    bool narrowed = false;
    for (const char* k : {"zjtzlsh", "skssqq", "skssqz", "sbjbjgDm", "sbbm", "zsxmDm"})
      narrowed = narrowed || keys.contains(k);
    // The service is asked on a thread of its own as soon as the documents can be guessed from
    // the first answer's text, and works out its answer (as long to make as the first answer is
    // to read) while that answer is read here. The early answer is taken only when the guess is
    // the list the read lines give, so the question asked is always the one asked after reading.
    // A host without the service fails only where the service is needed, as before.
    Ref<ISbfjnService> sbfjn;
    if (!narrowed) {
      try {
        sbfjn = GetSbfjnService();
      } catch (...) {
        sbfjn = nullptr;  // raised again below when the lines need it
      }
    }
    std::string guessed;
    std::future<DocumentArrears> early;

    // The lines are read straight from the answers' texts (tens of thousands of lines at a time).
    payment::ArrearsLines lines(items);
    {
      taxml::Reply reply = payment::SendJson("0007", keys, progress, 0.7);
      reply.RequireSuccess();
      const std::string text = reply.TakeResponse();  // the request lets go of it
      if (sbfjn) {
        guessed = payment::ArrearsLines::GuessDocumentsJson(text);
        if (guessed != "[]")
          early =
              std::async(std::launch::async, [sbfjn, payer, guessed] { return AskDocuments(*sbfjn, payer, guessed); });
      }
      if (!text.empty() && text != "null" && !lines.Absorb(text)) throw OpRefusal("反馈报文异常");
    }

    if (!narrowed && !lines.Empty()) {
      if (!sbfjn) sbfjn = GetSbfjnService();
      const std::string documents = lines.DocumentsJson();
      DocumentArrears added =
          early.valid() && documents == guessed ? early.get() : AskDocuments(*sbfjn, payer, documents);
      if (!added.ok) throw OpRefusal(added.error);
      if (!lines.Absorb(added.text)) throw OpRefusal("反馈报文异常");
    }
    for (const auto& [office, messages] : lines.Failures()) {
      std::string name = office;
      for (const Json& o : officeList)
        if (Text(o, "zgswksDm") == office && !Text(o, "zgswksMc").empty()) name = Text(o, "zgswksMc");
      std::string joined;
      for (const std::string& m : messages) joined += (joined.empty() ? "" : "、") + m;
      officeFailures += (officeFailures.empty() ? "" : "\r\n") + name + "欠费信息获取失败，原因：" + joined;
    }
    arrears = lines.TakeSortedJson();
    payment::Advance(progress, 0.2);
  });
  if (ok) ErrorMessage = officeFailures;
  return ok;
}

}  // namespace velmor
