// The rule service codes: "0002" hands out the rules whose md5 differs from the one the client
// sent (every rule it names when it sends an empty md5), "0062" answers a business-field query.
//
// "0002" body: {"djxh", "swjgdm", "gzwjLb": [{"name", "md5"}]}. Answer (JSON):
// {"code": "00000", "message", "gzwjLb": [{"name", "md5", "gzLb"}]}; a body without a
// "gzwjLb" array gets code "10003". A name the set lacks is left out of the answer.
// "0062" body: {"yblsh", "djxh", "cxlx", "cxcsnr"}. Answer: {"code", "message", "cxlx",
// "ywzdLb": [{"zdmc", "zdz"}]} with one row naming the query content.
#include "taxsim/handlers.h"
#include "taxsim/rules/rule_set.h"

namespace velmor::taxsim {
namespace {

using json = nlohmann::json;

Answer Rules(const Call& call, State& state) {
  auto list = call.body.find("gzwjLb");
  if (list == call.body.end() || !list->is_array())
    return Answer::Json({{"code", "10003"}, {"message", "请求缺少gzwjLb"}});
  const json& rules = EnsureRules(state);
  json out = json::array();
  for (const auto& wanted : *list) {
    if (!wanted.is_object() || !wanted.contains("name") || !wanted["name"].is_string()) continue;
    std::string name = wanted["name"].get<std::string>();
    std::string md5 = wanted.contains("md5") && wanted["md5"].is_string() ? wanted["md5"].get<std::string>() : "";
    for (const json& rule : rules) {
      if (rule.value("name", "") != name) continue;
      if (rule.value("md5", "") != md5) out.push_back(rule);
      break;
    }
  }
  return Answer::Json({{"code", kOkCode}, {"message", "处理成功"}, {"gzwjLb", out}});
}

Answer BusinessField(const Call& call, State&) {
  std::string cxlx = call.Key("cxlx");
  if (cxlx.empty()) return Answer::Json({{"code", "10003"}, {"message", "查询类型不能为空"}});
  json rows = json::array({{{"zdmc", call.Key("cxcsnr")}, {"zdz", "Y"}}});
  return Answer::Json({{"code", kOkCode}, {"message", "处理成功"}, {"cxlx", cxlx}, {"ywzdLb", rows}});
}

}  // namespace

void RegisterRuleHandlers(HandlerRegistry& registry) {
  registry.Add("0002", Rules);
  registry.Add("0062", BusinessField);
}

}  // namespace velmor::taxsim
