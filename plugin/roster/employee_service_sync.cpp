// The server operations that store what they learn: the registration of stored outside persons
// ("0057", through saveWbry), the residents' insurance update time ("0271"), the update time of
// medical-account registrations ("0359", "0360"), and the local registration state of outside
// persons (synWbryDjzt).
#include "business/date_time.h"
#include "codec/taxml_exchange.h"
#include "codec/taxml_request.h"
#include "framework/log.h"
#include "framework/progress.h"
#include "roster/employee_ops.h"
#include "roster/employee_service.h"
#include "store/sql.h"
#include "codec/json_parse.h"

namespace velmor {

using service::Json;

namespace {

Json Rows(IEmployeeDao& dao, const std::string& sql) {
  const std::string text = dao.getData(sql);
  if (!dao.GetErrorMessage().empty()) throw taxml::Failure(dao.GetErrorMessage());
  Json rows = ParseOutsideJson<Json>(text, false);
  return rows.is_array() ? rows : Json::array();
}

void StoreParam(const std::string& djxh, const char* key, const std::string& value) {
  if (!SysParams(djxh)->SetValue(key, value)) throw taxml::Failure(std::string("保存参数失败：") + key);
}

}  // namespace

bool TEmployeeServiceImpl::queryWbryDataByIntf(const std::string& djxh, const std::string& params,
                                               IProgressView* progress, std::string& result, std::string& message) {
  result.clear();
  return Op(roster::kQueryWbryDataByIntf, message, [&] {
    service::OpCall call{djxh, service::ParseParams(params), progress, {}, nullptr};
    Ref<IEmployeeDao> dao = EmployeeDao();
    const Json persons = Rows(*dao, FormatSql(" select xm, zjlx, zjhm from sb_ryjbxxb where djxh = '%s' and ly = '1' "
                                              "and djzt = '0' order by id ",
                                              {V(djxh)}));
    Json out = Json::object();
    out["cgrs"] = 0;
    out["sbrs"] = 0;
    if (persons.empty()) {
      result = out.dump();
      return;
    }
    taxml::RequestDocument doc(roster::kQueryWbryDataByIntf.requestType);
    doc.Open("sbjbjgList").Open("sbjgjgDTO").Add("sbjbjgDm", service::Text(call.params, "sbjbjgDm")).Open("cxjmXxList");
    for (const Json& p : persons)
      doc.Open("cxjmXxDTO")
          .Add("xm", service::Text(p, "xm"))
          .Add("sfzjlx", service::Text(p, "zjlx"))
          .Add("sfzjhm", service::Text(p, "zjhm"))
          .Close();
    doc.Close().Close().Close();
    call.document = &doc;
    const Json answer = service::Exchange(roster::kQueryWbryDataByIntf, call);

    // Each answered person keeps its stored group and remark (saveWbry carries them over).
    std::vector<WbryEntry> entries;
    auto take = [&](const char* list, const char* state) {
      int n = 0;
      for (const Json& row : answer.value(list, Json::array())) {
        WbryEntry e;
        e.xm = service::Text(row, "xm");
        e.zjlx = service::Text(row, "sfzjlx");
        e.zjhm = service::Text(row, "sfzjhm");
        e.hh = service::Text(row, "hh");
        e.state = state;
        entries.push_back(std::move(e));
        ++n;
      }
      return n;
    };
    out["cgrs"] = take("cgryXxList", "1");
    out["sbrs"] = take("sbryXxList", "2");
    std::string text;
    if (!entries.empty() && !dao->saveWbry(djxh, entries, text)) throw taxml::Failure(text);
    result = out.dump();
  });
}

bool TEmployeeServiceImpl::saveCxjmcbxzgxsj(const std::string& djxh, const std::string& params, IProgressView* progress,
                                            std::string& result, std::string& message) {
  result.clear();
  return Op(roster::kSaveCxjmcbxzgxsj, message, [&] {
    service::OpCall call{djxh, service::ParseParams(params), progress, {}, nullptr};
    if (service::Text(call.params, "gxsj").empty()) call.params["gxsj"] = LocalTimeText("%Y-%m-%d %H:%M:%S");
    Json answer = service::Exchange(roster::kSaveCxjmcbxzgxsj, call);
    const std::string gxsj = service::Text(answer, "gxsj");
    if (gxsj.empty()) throw taxml::Failure("反馈报文缺少<gxsj>节点。");
    StoreParam(djxh, roster::kCxjmcbxzGxsjKey, gxsj);
    result = answer.dump();
  });
}

bool TEmployeeServiceImpl::synYbgrzhdjcxjmgxsjCx(const std::string& djxh, const std::string& params,
                                                 IProgressView* progress, std::string& result, std::string& message) {
  return Query(roster::kYbgrzhdjGxsjCx, djxh, params, progress, result, message);
}

bool TEmployeeServiceImpl::synYbgrzhdjcxjmgxsjbc(const std::string& djxh, const std::string& params,
                                                 IProgressView* progress, std::string& result, std::string& message) {
  result.clear();
  return Op(roster::kYbgrzhdjGxsjBc, message, [&] {
    service::OpCall call{djxh, service::ParseParams(params), progress, {}, nullptr};
    const std::string gxsj = service::Text(call.params, "gxsj");
    if (gxsj.empty()) throw service::OpRefusal("更新时间不能为空。");
    Json answer = service::Exchange(roster::kYbgrzhdjGxsjBc, call);
    // Stored only once the server has kept it, so the two never disagree.
    StoreParam(djxh, roster::kYbgrzhdjGxsjKey, gxsj);
    answer["gxsj"] = gxsj;
    result = answer.dump();
  });
}

bool TEmployeeServiceImpl::synWbryDjzt(const std::string& djxh, const std::string&, IProgressView* progress,
                                       std::string& result, std::string& message) {
  result.clear();
  return Op(roster::kSynWbryDjzt, message, [&] {
    Ref<IEmployeeDao> dao = EmployeeDao();
    static constexpr const char* kMatch =
        " where djxh = '%s' and ly = '1' and djzt = '0' and exists (select 1 from sb_ryjbxxb a "
        "where a.djxh = '%s' and (a.ly = '0' or a.ly is null) and a.xm = sb_ryjbxxb.xm and a.zjlx = "
        "sb_ryjbxxb.zjlx and a.zjhm = sb_ryjbxxb.zjhm) ";
    const Json counted =
        Rows(*dao, FormatSql(std::string(" select count(*) as n from sb_ryjbxxb") + kMatch, {V(djxh), V(djxh)}));
    const std::string n = counted.empty() ? "0" : service::Text(counted[0], "n");
    if (n != "0" &&
        !dao->ExecSQL(FormatSql(std::string(" update sb_ryjbxxb set djzt = '1'") + kMatch, {V(djxh), V(djxh)})))
      throw taxml::Failure(dao->GetErrorMessage().empty() ? "数据库更新失败。" : dao->GetErrorMessage());
    StepProgress(progress, 100);
    Json out = Json::object();
    out["gxrs"] = std::stoi(n);
    result = out.dump();
  });
}

}  // namespace velmor
