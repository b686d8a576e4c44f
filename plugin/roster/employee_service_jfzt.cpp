// Payment states ("0065" for one person, a list of persons, or every server person of the roster
// as asynchronous jobs), cancellation of amounts due ("0082") and batch deductions ("0095",
// "0096").
#include "codec/taxml_exchange.h"
#include "framework/log.h"
#include "roster/employee_ops.h"
#include "roster/employee_service.h"
#include "store/sql.h"
#include "codec/json_parse.h"

namespace velmor {

using service::Json;

namespace {

constexpr size_t kPersonsPerJob = 100;

std::vector<std::string> ServerPersons(IEmployeeDao& dao, const std::string& djxh) {
  const std::string text = dao.getData(
      FormatSql(" select distinct rydjxh from sb_ryjbxxb where djxh = '%s' and (ly = '0' or ly is null) and "
                "rydjxh <> '' order by rydjxh ",
                {V(djxh)}));
  if (!dao.GetErrorMessage().empty()) throw taxml::Failure(dao.GetErrorMessage());
  Json rows = ParseOutsideJson<Json>(text, false);
  std::vector<std::string> out;
  if (!rows.is_array()) return out;
  for (const Json& r : rows) out.push_back(service::Text(r, "rydjxh"));
  return out;
}

RyjfztEntry Entry(const Json& row) {
  using service::Text;
  return {Text(row, "rydjxh"),   Text(row, "xzid"),   Text(row, "sbsj"),   Text(row, "jfzt"),
          Text(row, "sbjbjgDm"), Text(row, "rybh"),   Text(row, "zsxmDm"), Text(row, "zspmDm"),
          Text(row, "zszmDm"),   Text(row, "xzjdDm"), Text(row, "sqczDm"), Text(row, "cbrytslbDm")};
}

}  // namespace

bool TEmployeeServiceImpl::synJfztCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                                     std::string& result, std::string& message) {
  return Query(roster::kSynJfztCx, djxh, params, progress, result, message);
}

bool TEmployeeServiceImpl::synJfztCx_V2(const std::string& djxh, const std::string& params, IProgressView* progress,
                                        std::string& result, std::string& message) {
  return Query(roster::kSynJfztCxV2, djxh, params, progress, result, message);
}

bool TEmployeeServiceImpl::synJfztCx_All(const std::string& djxh, const std::string& params, IProgressView* progress,
                                         std::string& result, std::string& message) {
  result.clear();
  return Op(roster::kSynJfztCxAll, message, [&] {
    const Json p = service::ParseParams(params);
    const std::string jfnd = service::Text(p, "jfnd");
    if (jfnd.empty()) throw service::OpRefusal("缴费年度不能为空。");
    Ref<IEmployeeDao> dao = EmployeeDao();
    const std::vector<std::string> persons = ServerPersons(*dao, djxh);
    std::vector<Json> jobs;
    for (size_t i = 0; i < persons.size(); i += kPersonsPerJob) {
      Json job = Json::object();
      job["jfnd"] = jfnd;
      job["rydjxhList"] = Json::array();
      for (size_t k = i; k < persons.size() && k < i + kPersonsPerJob; ++k) job["rydjxhList"].push_back(persons[k]);
      jobs.push_back(std::move(job));
    }
    LogText("开始[城乡居民缴费状态查询]异步请求：人员" + std::to_string(persons.size()) + "，请求" +
            std::to_string(jobs.size()));
    std::vector<RyjfztEntry> entries;
    for (const Json& answer : service::ExchangeJobs(roster::kSynJfztCxAll, djxh, jobs, progress))
      for (const Json& row : answer.value("jfztList", Json::array())) entries.push_back(Entry(row));
    // Nothing asked, nothing replaced: a roster without server persons keeps the stored year.
    std::string text;
    if (!jobs.empty() && !dao->SaveRyjfztxx(djxh, jfnd, entries, text)) throw taxml::Failure(text);
    Json out = Json::object();
    out["jfnd"] = jfnd;
    out["zs"] = entries.size();
    out["jobs"] = jobs.size();
    result = out.dump();
  });
}

bool TEmployeeServiceImpl::synYjfeZf(const std::string& djxh, const std::string& params, IProgressView* progress,
                                     std::string& result, std::string& message) {
  return Query(roster::kSynYjfeZf, djxh, params, progress, result, message);
}

bool TEmployeeServiceImpl::synDpkqcCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                                      std::string& result, std::string& message) {
  return Query(roster::kSynDpkqcCx, djxh, params, progress, result, message);
}

bool TEmployeeServiceImpl::synDpkqcZf(const std::string& djxh, const std::string& params, IProgressView* progress,
                                      std::string& result, std::string& message) {
  return Query(roster::kSynDpkqcZf, djxh, params, progress, result, message);
}

}  // namespace velmor
