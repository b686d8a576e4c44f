// Requests the server answers later under their serial, and their feedback: residents' data
// submitted and its result ("0149", "0150"), changed residents ("0204"-"0207"), the batch
// payment-registration query ("0212", "0213"), changed payment records ("0324"), and the
// medical-account registrations ("0187", a count and pages).
#include <map>
#include <set>

#include "codec/taxml_exchange.h"
#include "codec/taxml_request.h"
#include "codec/text_utils.h"
#include "roster/employee_ops.h"
#include "roster/employee_service.h"
#include "service/ybgrzhdj_query.h"
#include "framework/host_access.h"
#include "velmor/dict_mgr.h"
#include "velmor/sbjbjg_zspm_dz_gz.h"
#include "velmor/xnh_mgr.h"

namespace velmor {

using service::Json;

namespace {

// The feedback call of an earlier request: its serial comes from the parameters.
service::OpCall FeedbackCall(const std::string& djxh, const std::string& params, IProgressView* progress) {
  service::OpCall call{djxh, service::ParseParams(params), progress, {}, nullptr};
  call.yblsh = service::Text(call.params, "yblsh");
  if (call.yblsh.empty()) throw service::OpRefusal(roster::kNoYblsh);
  return call;
}

// The payer's valid agencies from its scheme account, each with the sub-items the
// agency/sub-item table gives it.
std::map<std::string, std::vector<std::string>> ValidAgencies() {
  const std::set<std::string> agencies = ValidSbjbjgdm();
  // A manager of its own reads the rule file as the last update left it (whoever ran it), and
  // leaves nothing of the plug-in registered at the host's factory.
  Ref<IDictMgr> dict = CreatePluginService<IDictMgr>("创建平台组件接口[IDictMgr]失败！");
  Ref<ISbjbjgZspmDzGz> table = dict->GetSbjbjgZspmDzGz();
  std::map<std::string, std::vector<std::string>> out;
  for (const std::string& agency : agencies) {
    std::vector<std::string> zspm = table ? SplitText(table->GetZspmList(agency), '\n', false) : std::vector<std::string>{};
    if (zspm.empty()) throw service::OpRefusal(roster::kNoZspmDz);
    out[agency] = std::move(zspm);
  }
  return out;
}

}  // namespace

std::set<std::string> ValidSbjbjgdm() {
  Ref<IXnhMgr> mgr = CreatePluginService<IXnhMgr>("创建平台组件接口[IXnhMgr]失败！");
  Ref<IXnhCbxxItems> items;
  if (!mgr->queryXnhCbxxItems(nullptr, items) || !items) throw taxml::Failure(mgr->GetErrorMessage());
  std::set<std::string> agencies;
  for (int32_t i = 0; i < items->GetCount(); ++i) {
    Ref<IXnhCbxxItem> it = items->GetCbxxItem(i);
    if (it && !it->GetSbjbjgdm().empty()) agencies.insert(it->GetSbjbjgdm());
  }
  if (agencies.empty()) throw service::OpRefusal(roster::kNoValidSbjbjg);
  return agencies;
}

bool TEmployeeServiceImpl::synCxjmxxbc(const std::string& djxh, const std::string& params, IProgressView* progress,
                                       std::string& result, std::string& message) {
  return Query(roster::kSynCxjmxxbc, djxh, params, progress, result, message);
}

bool TEmployeeServiceImpl::synCxjmxxjghq(const std::string& djxh, const std::string& params, IProgressView* progress,
                                         std::string& result, std::string& message) {
  return Query(roster::kSynCxjmxxjghq, djxh, params, progress, result, message);
}

bool TEmployeeServiceImpl::synQueryCxjmRyUpdateCount(const std::string& djxh, const std::string& params,
                                                     IProgressView* progress, std::string& result,
                                                     std::string& message) {
  return Query(roster::kRyUpdateCount, djxh, params, progress, result, message);
}

bool TEmployeeServiceImpl::synQueryCxjmRyUpdateCountFk(const std::string& djxh, const std::string& params,
                                                       IProgressView* progress, std::string& result,
                                                       std::string& message) {
  result.clear();
  return Op(roster::kRyUpdateCountFk, message,
            [&] { result = service::Exchange(roster::kRyUpdateCountFk, FeedbackCall(djxh, params, progress)).dump(); });
}

bool TEmployeeServiceImpl::synQueryCxjmRyUpdateData(const std::string& djxh, const std::string& params,
                                                    IProgressView* progress, std::string& result,
                                                    std::string& message) {
  return Query(roster::kRyUpdateData, djxh, params, progress, result, message);
}

bool TEmployeeServiceImpl::synQueryCxjmRyUpdateDataFk(const std::string& djxh, const std::string& params,
                                                      IProgressView* progress, std::string& result,
                                                      std::string& message) {
  result.clear();
  return Op(roster::kRyUpdateDataFk, message,
            [&] { result = service::Exchange(roster::kRyUpdateDataFk, FeedbackCall(djxh, params, progress)).dump(); });
}

bool TEmployeeServiceImpl::synPlCbryJfDjxxCx_4403(const std::string& djxh, const std::string& params,
                                                  IProgressView* progress, std::string& result, std::string& message) {
  result.clear();
  return Op(roster::kPlCbryJfDjxxCx, message, [&] {
    service::OpCall call{djxh, service::ParseParams(params), progress, {}, nullptr};
    const Json persons = call.params.value("ryList", Json::array());
    if (!persons.is_array() || persons.empty()) throw service::OpRefusal(roster::kEmptyPlCbryList);
    const auto agencies = ValidAgencies();
    taxml::RequestDocument doc(roster::kPlCbryJfDjxxCx.requestType);
    if (!service::Text(call.params, "jfnd").empty()) doc.Add("jfnd", service::Text(call.params, "jfnd"));
    doc.Open("sbjbjgList");
    for (const auto& [agency, zspm] : agencies) {
      doc.Open("sbjgjgDTO").Add("sbjbjgDm", agency).Open("zspmList");
      for (const std::string& z : zspm) doc.Add("zspmDm", z);
      doc.Close().Open("cxjmXxList");
      for (const Json& p : persons)
        doc.Open("cxjmXxDTO")
            .Add("xm", service::Text(p, "xm"))
            .Add("sfzjlx", service::Text(p, "zjlx"))
            .Add("sfzjhm", service::Text(p, "zjhm"))
            .Close();
      doc.Close().Close();
    }
    doc.Close();
    call.document = &doc;
    result = service::Exchange(roster::kPlCbryJfDjxxCx, call).dump();
  });
}

bool TEmployeeServiceImpl::synPlCbryJfDjxxCxFk_4403(const std::string& djxh, const std::string& params,
                                                    IProgressView* progress, std::string& result,
                                                    std::string& message) {
  result.clear();
  return Op(roster::kPlCbryJfDjxxCxFk, message, [&] {
    result = service::Exchange(roster::kPlCbryJfDjxxCxFk, FeedbackCall(djxh, params, progress)).dump();
  });
}

bool TEmployeeServiceImpl::synGxjfjlCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                                       std::string& result, std::string& message) {
  return Query(roster::kSynGxjfjlCx, djxh, params, progress, result, message);
}

bool TEmployeeServiceImpl::synGxjfjlCxFk(const std::string& djxh, const std::string& params, IProgressView* progress,
                                         std::string& result, std::string& message) {
  result.clear();
  return Op(roster::kSynGxjfjlCxFk, message, [&] {
    service::OpCall call = FeedbackCall(djxh, params, progress);
    // The request and its feedback share the code; the flag tells them apart.
    call.params = Json::object();
    call.params["fkbz"] = "Y";
    result = service::Exchange(roster::kSynGxjfjlCxFk, call).dump();
  });
}

namespace {

// The one layout of "0187": the operation decides whether it counts or fetches a page.
service::OpCall RegistrationsCall(const std::string& djxh, const std::string& params, IProgressView* progress,
                                  bool count) {
  service::OpCall call{djxh, Json::object(), progress, {}, nullptr};
  call.params = service::YbgrzhdjQueryParams(djxh, service::YbgrzhdjQueryOf(service::ParseParams(params), count));
  return call;
}

}  // namespace

bool TEmployeeServiceImpl::synYbgrzhdjcxjmrsCx(const std::string& djxh, const std::string& params,
                                               IProgressView* progress, std::string& result, std::string& message) {
  result.clear();
  return Op(roster::kYbgrzhdjRsCx, message, [&] {
    result = service::Exchange(roster::kYbgrzhdjRsCx, RegistrationsCall(djxh, params, progress, true)).dump();
  });
}

bool TEmployeeServiceImpl::synYbgrzhdjcxjmxxCx(const std::string& djxh, const std::string& params,
                                               IProgressView* progress, std::string& result, std::string& message) {
  result.clear();
  return Op(roster::kYbgrzhdjXxCx, message, [&] {
    result = service::Exchange(roster::kYbgrzhdjXxCx, RegistrationsCall(djxh, params, progress, false)).dump();
  });
}

}  // namespace velmor
