#include "residents/jdczbg_service.h"

#include <optional>

#include "codec/taxml_exchange.h"
#include "codec/taxml_response.h"
#include "framework/boundary.h"
#include "framework/host_access.h"
#include "framework/log.h"
#include "framework/module.h"
#include "framework/progress.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "velmor/jdczbg_dao.h"

namespace velmor {

namespace {

constexpr const char* kClass = "TJdczbgServiceImpl";
constexpr const char* kUnreadable = "反馈报文解析异常：";

template <class F>
bool Run(std::string& message, std::string_view op, F&& body) {
  message.clear();
  return Attempt<taxml::Failure>({kClass, op, LogForm::kBracketed}, {"", true, UnknownText::kShown}, &message,
                                 std::forward<F>(body));
}

// Sends the document and reads its answer; a refused or failed send raises the network's text,
// an answer that does not decode `unreadable` + the reason.
taxml::Response Exchange(const char* code, const taxml::RequestDocument& doc, const char* unreadable,
                         IProgressView* progress = nullptr) {
  taxml::Call call;
  call.serviceCode = code;
  call.document = &doc;
  call.progress = progress;
  taxml::Reply reply = taxml::Send(call);
  reply.RequireSuccess();
  std::optional<taxml::Response> answer;
  try {
    answer.emplace(taxml::Response::Read(reply));
  } catch (const std::exception& e) {
    throw taxml::Failure(std::string(unreadable) + e.what());
  }
  // A server-level failure (the envelope's code) comes before the result of the request itself.
  if (!answer->Code().empty() && !answer->Succeeded()) answer->RequireSuccess();
  return std::move(*answer);
}

// The refused entries of `list`, keyed by `keyName`. A result code that is not accepted fails the
// request, with the server's reason or, lacking one, the entries' reasons.
void ReadResult(const taxml::Response& answer, bool acceptPartial, const char* list, const char* keyName,
                std::vector<JdczbgRefusal>& refused) {
  for (pugi::xml_node r : answer.List(list).children())
    if (r.type() == pugi::node_element) refused.push_back({r.child_value(keyName), r.child_value("sbyy")});
  const std::string code = answer.Value("cljgDm");
  if (code == taxml::kSuccessCode || (acceptPartial && code == "20101")) return;
  std::string reason = answer.Value("cljgSm");
  for (size_t i = 0; reason.empty() && i < refused.size(); ++i) reason = refused[i].sbyy;
  throw taxml::Failure(reason.empty() ? "【" + code + "】" : reason);
}

Ref<IJdczbgDao> Dao() { return CreatePluginService<IJdczbgDao>(kJdczbgNoDao); }

}  // namespace

bool TJdczbgServiceImpl::submitBGData(const std::vector<JdczbgEntity>& changes, std::vector<JdczbgRefusal>& refused) {
  refused.clear();
  return Run(ErrorMessage, "submitBGData", [&] {
    if (changes.empty()) throw taxml::Failure("没有需要提交的变更记录。");
    const std::string djxh = CurrentDjxh();
    taxml::RequestDocument doc("CxjmJdczBgRequest");
    doc.Add("qqid", NewSerialNo()).Add("djxh", djxh).Add("qdly", "01").Open("bgryList");
    int n = 0;
    for (const JdczbgEntity& e : changes) {
      // One hh per entry: the household number is a single value of the person.
      doc.Open("bgryDTO")
          .Add("bgjlxh", std::to_string(++n))
          .Add("xm", e.xm)
          .Add("sfzjlxDm", e.zjlx)
          .Add("sfzjhm", e.zjhm)
          .Add("hh", e.hh)
          .Add("jdxzDm", e.xzjddm)
          .Add("sqczDm", e.sqhczdm)
          .Add("xzlxDm", e.xzlxdm)
          .Add("sbjbjgDm", e.sbjbjgdm)
          .Add("rybh", e.rybh)
          .Add("lxdz", e.lxdz)
          .Add("lxdh", e.lxdh)
          .Add("hjszd", e.hjszd)
          .Close();
    }
    doc.Close();
    ReadResult(Exchange("0070", doc, kUnreadable), true, "bgsbList", "bgjlxh", refused);
  });
}

bool TJdczbgServiceImpl::cancelBGData(const std::vector<std::string>& bgids, std::vector<JdczbgRefusal>& refused) {
  refused.clear();
  return Run(ErrorMessage, "cancelBGData", [&] {
    if (bgids.empty()) throw taxml::Failure("没有需要撤销的变更记录。");
    taxml::RequestDocument doc("CxjmJdczCxRequest");
    doc.Add("djxh", CurrentDjxh()).Open("cxryList");
    for (const std::string& id : bgids) doc.Open("cxryDTO").Add("bgjluuid", id).Close();
    doc.Close();
    ReadResult(Exchange("0071", doc, kUnreadable), false, "cxsbList", "bgjluuid", refused);
  });
}

bool TJdczbgServiceImpl::queryBGData(const std::string& bgsjq, const std::string& bgsjz, int32_t pageSize,
                                     IProgressView* progress, int32_t& total) {
  total = 0;
  return Run(ErrorMessage, "queryBGData", [&] {
    if (bgsjq.empty() || bgsjz.empty() || bgsjq > bgsjz) throw taxml::Failure("变更时间范围无效。");
    if (pageSize <= 0) pageSize = kJdczbgPageSize;
    const std::string djxh = CurrentDjxh();
    auto request = [&](bool count, int32_t page) {
      taxml::RequestDocument doc("SbfDjJdxzbgjlcxRequest");
      doc.Add("djxh", djxh)
          .Add("bgsjq", bgsjq + " 00:00:00")
          .Add("bgsjz", bgsjz + " 23:59:59")
          .Add("sftj", count ? "Y" : "N")
          .Add("pageNum", page)
          .Add("pageSize", pageSize);
      return doc;
    };
    int64_t size = 0;
    {
      taxml::Response answer = Exchange("0072", request(true, 1), "反馈报文异常.");
      const std::string text = answer.Value("totalSize");
      try {
        size = std::stoll(text);
      } catch (const std::exception&) {
        throw taxml::Failure("反馈报文异常.");
      }
      if (size < 0) throw taxml::Failure("反馈报文异常.");
    }
    std::vector<JdczbgEntity> entries;
    const int64_t pages = (size + pageSize - 1) / pageSize;
    for (int64_t page = 1; page <= pages; ++page) {
      LogText("提交queryBGData ipage = " + std::to_string(page));
      taxml::Response answer = Exchange("0072", request(false, static_cast<int32_t>(page)), kUnreadable);
      for (pugi::xml_node r : answer.List("bgjlList").children()) {
        if (r.type() != pugi::node_element) continue;
        JdczbgEntity e;
        e.bgid = r.child_value("bgId");
        e.bgsj = r.child_value("bgSj");
        e.bgzt = r.child_value("bgState");
        e.cxbz = r.child_value("cxBz");
        e.xm = r.child_value("xm");
        e.zjlx = r.child_value("sfzjlxDm");
        e.zjhm = r.child_value("sfzjhm");
        e.xzjddm = r.child_value("jdxzDm");
        e.sqhczdm = r.child_value("sqczDm");
        e.xzlxdm = r.child_value("xzlxDm");
        e.sbjbjgdm = r.child_value("sbjbjgDm");
        e.rybh = r.child_value("rybh");
        e.lxdh = r.child_value("lxdh");
        e.lxdz = r.child_value("lxdz");
        e.hjszd = r.child_value("hjszd");
        e.hh = r.child_value("hh");
        entries.push_back(std::move(e));
      }
      StepProgress(progress, static_cast<int32_t>(100 / pages));
    }
    // Stored only once every page arrived: a failed page leaves the previous download intact.
    Ref<IJdczbgDao> dao = Dao();
    if (!dao->replaceDownloaded(djxh, bgsjq, bgsjz, entries)) throw taxml::Failure(dao->GetErrorMessage());
    total = static_cast<int32_t>(entries.size());
  });
}

namespace {
void RegisterJdczbgService() {
  RegisterServiceClass(ServiceRowAt(kRowTJdczbgServiceImpl).iid, &ClassOf<TJdczbgServiceImpl>::Instance());
}
void UnregisterJdczbgService() { UnregisterServiceClass(ServiceRowAt(kRowTJdczbgServiceImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(30, velmor::RegisterJdczbgService, velmor::UnregisterJdczbgService)
