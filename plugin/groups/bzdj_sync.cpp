// The registration and the queries of the payer on the server: "0214" (the registration,
// replacing the stored one), "0057" (residents' registration in bulk), "0228" (the record of the
// payer's declarations, in two steps) and "0229" (the payer's summary).
#include "codec/taxml_exchange.h"
#include "codec/taxml_response.h"
#include "framework/progress.h"
#include "groups/bzdj_ops.h"
#include "groups/bzdj_store.h"
#include "service/server_call.h"
#include "store/db_access.h"
#include "store/sql_toolkit.h"
#include "codec/json_parse.h"

namespace velmor::groups {

namespace {

using service::Json;
using service::Text;

constexpr service::OpRow kDownload{kClassName, "synCxjmjtbzhjfdjxxCx", "0214", "", "SbfCxjmXnhDjxxCxRequest",
                                   "jtbzhCbxxList"};
constexpr service::OpRow kResidents{kClassName, "synPlCbryJfDjxxCx", "0057", ""};
constexpr service::OpRow kQuery{kClassName, "synCxjmjtbzhSbcx", "0228", ""};
constexpr service::OpRow kQueryFk{kClassName, "synCxjmjtbzhSbcxFk", "0228", ""};
constexpr service::OpRow kSummary{kClassName, "synJfrHzCx", "0229", "", "", "", service::AnswerKind::kJson};

}  // namespace

bool BzDjOps::Download(IProgressView* progress) {
  return service::RunOp(kDownload, error_, [&] {
    const std::string djxh = Djxh();
    service::OpCall call{djxh, Json{{"djxh", djxh}}, progress};
    Json answer = service::Exchange(kDownload, call);
    const Json& units = answer["jtbzhCbxxList"];
    for (const Json& u : units)
      if (!u.is_object() || Text(u, "sbjbjgDm").empty()) throw taxml::Failure("反馈报文异常：单位信息不完整");
    try {
      Ref<IDBMechanism> db = OpenMainConnection();
      Transaction tx(*db);
      ReplaceRegistration(*db, djxh, units);
      tx.Commit();
    } catch (const StoreError& e) {
      throw taxml::Failure(kSaveFailed + e.UserText() + e.EngineText());
    }
    StepProgress(progress, 0);
  });
}

bool BzDjOps::Residents(const std::string& persons, IProgressView* progress, std::string& result) {
  result = "{}";
  return service::RunOp(kResidents, error_, [&] {
    Json list = ParseOutsideJson<Json>(persons, false);
    if (!list.is_array() || list.empty()) throw service::OpRefusal("人员列表为空。");
    if (progress) progress->SetMessage("正在查询参保人员缴费登记信息，请稍等");
    // Persons grouped by agency, in the order their agencies first appear.
    std::vector<std::pair<std::string, std::vector<const Json*>>> agencies;
    for (const Json& p : list) {
      const std::string agency = Text(p, "sbjbjgDm");
      auto it = std::find_if(agencies.begin(), agencies.end(), [&](const auto& a) { return a.first == agency; });
      if (it == agencies.end()) it = agencies.insert(agencies.end(), {agency, {}});
      it->second.push_back(&p);
    }
    taxml::RequestDocument doc("SbfPlCbryJfDjxxCxRequest");
    doc.Open("sbjbjgList");
    for (const auto& [agency, people] : agencies) {
      doc.Open("sbjgjgDTO").Add("sbjbjgDm", agency).Open("cxjmXxList");
      for (const Json* p : people)
        doc.Open("cxjmXxDTO").Add("xm", Text(*p, "xm")).Add("sfzjlx", Text(*p, "sfzjlx")).Add("sfzjhm", Text(*p, "sfzjhm")).Close();
      doc.Close().Close();
    }
    doc.Close();
    service::OpCall call{Djxh(), Json::object(), progress, {}, &doc};
    Json answer = service::Exchange(kResidents, call);
    answer.erase("yblsh");
    result = answer.dump();
  });
}

bool BzDjOps::QuerySubmit(const std::string& params, std::string& yblsh) {
  yblsh.clear();
  return service::RunOp(kQuery, error_, [&] {
    Json p = service::ParseParams(params);
    service::OpCall call{Djxh(), Json{{"djxh", ""}, {"sbrqq", Text(p, "sbrqq")}, {"sbrqz", Text(p, "sbrqz")}}};
    yblsh = service::Submit(kQuery, call);
  });
}

bool BzDjOps::QueryCollect(const std::string& yblsh, std::string& result) {
  result.clear();
  return service::RunOp(kQueryFk, error_, [&] {
    if (yblsh.empty()) throw service::OpRefusal("流水号为空。");
    std::optional<std::string> text = service::Collect(kQueryFk, yblsh);
    if (!text) throw service::OpRefusal("服务端尚未反馈，请稍后再试。");
    Json out;
    try {
      taxml::Response answer = taxml::Response::Decode(*text);
      answer.RequireSuccess();
      out = service::AnswerJson(answer.Root());
    } catch (const taxml::Failure&) {
      throw;
    } catch (const std::exception& e) {
      throw taxml::Failure(std::string("反馈报文异常：") + e.what());
    }
    if (!out.contains("sbxxList")) out["sbxxList"] = Json::array();
    result = out.dump();
  });
}

bool BzDjOps::Summary(std::string& result) {
  result = "{}";
  return service::RunOp(kSummary, error_, [&] {
    service::OpCall call{Djxh(), Json::object(), nullptr, {}, nullptr, false};
    Json answer = service::ExchangeAnyCode(kSummary, call);
    const std::string code = Text(answer, "code");
    if (code != "00000") throw taxml::Failure("【" + code + "】" + Text(answer, "message"));
    answer.erase("code");
    answer.erase("message");
    answer.erase("yblsh");
    result = answer.dump();
  });
}

}  // namespace velmor::groups
