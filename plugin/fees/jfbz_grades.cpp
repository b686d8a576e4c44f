// The grades the server offers a list of persons ("0042"), in two steps: synHqjfdcxx submits the
// query as an asynchronous job, synHqjfdcxxFk asks once for its answer (docs/fees.md).
#include "fees/jfbz_service.h"
#include "framework/boundary.h"
#include "framework/host_access.h"
#include "codec/taxml_response.h"
#include "service/server_call.h"

namespace velmor {

namespace {

using service::Json;
using service::OpRefusal;
using service::Text;

Ref<IJfbzDAO> Dao() { return CreatePluginService<IJfbzDAO>(kJfbzNoDao); }

constexpr service::OpRow kJfbzGz{"TJfbzImpl", "synJfbzGz", "0002", "下载缴费标准规则异常：", "", "gzwjLb",
                                 service::AnswerKind::kJson};
constexpr service::OpRow kHqjfdcxx{"TJfbzImpl", "synHqjfdcxx", "0042", "获取缴费档次信息异常："};

// The document: djxh, sxyf, czlx, the scheme marks, then one xzjfjeQrDTO per line.
taxml::RequestDocument GradeDocument(const std::string& djxh, const Json& p) {
  const Json lines = p.contains("xzYjfeQrList") ? p["xzYjfeQrList"] : Json::array();
  if (!lines.is_array() || lines.empty()) throw OpRefusal(kXzListEmpty);
  taxml::RequestDocument doc("SbfCxjmJfdcRequest");
  doc.Add("djxh", djxh).Add("sxyf", Text(p, "sxyf")).Add("czlx", Text(p, "czlx"));
  if (Text(p, "xnhbz") == "1") doc.Add("xnhbz", "0000").Add("xnhsbdjxh", Text(p, "xnhsbdjxh"));
  else doc.Add("xnhbz", "").Add("xnhsbdjxh", "");
  doc.Open("xzYjfeQrList");
  for (const Json& l : lines) {
    doc.Open("xzjfjeQrDTO")
        .Add("sbjbjgDm", Text(l, "sbjbjgdm"))
        .Add("rybh", Text(l, "rybh"))
        .Add("zsxmDm", Text(l, "zsxmdm"))
        .Add("zspmDm", Text(l, "zspmdm"))
        .Add("zszmDm", Text(l, "zszmdm"))
        .Close();
  }
  doc.Close();
  return doc;
}

}  // namespace

bool TJfbzImpl::synHqjfdcxx(const std::string& params, std::string& yblsh, std::string& message) {
  yblsh.clear();
  return Run("synHqjfdcxx", kHqjfdcxx.prefix, message, [&] {
    Json p = service::ParseParams(params);
    const std::string djxh = p.contains("djxh") ? Text(p, "djxh") : CurrentDjxh();
    taxml::RequestDocument doc = GradeDocument(djxh, p);
    service::OpCall call{djxh, Json::object(), nullptr, {}, &doc};
    yblsh = service::Submit(kHqjfdcxx, call);
  });
}

bool TJfbzImpl::synHqjfdcxxFk(const std::string& yblsh, std::string& result, bool& ready, std::string& message) {
  result = "[]";
  ready = false;
  return Run("synHqjfdcxxFk", "", message, [&] {
    if (yblsh.empty()) throw OpRefusal("流水号为空。");
    std::optional<std::string> text = service::Collect(kHqjfdcxx, yblsh);
    if (!text) return;
    ready = true;
    std::optional<taxml::Response> answer;
    try {
      answer.emplace(taxml::Response::Decode(*text));
    } catch (const std::exception& e) {
      LogFailure({"TJfbzImpl", "synHqjfdcxxFk.ParseResponse"}, e.what());
      throw OpRefusal(std::string("反馈报文解析异常：") + e.what());
    }
    if (answer->Code() != taxml::kSuccessCode) throw OpRefusal(RenderMessage(answer->Code(), answer->Message()));
    if (!answer->List("xzFhList")) throw OpRefusal("反馈报文缺少<xzFhList>节点。");
    Json rows = service::AnswerJson(answer->Root())["xzFhList"];
    result = (rows.is_array() ? rows : Json::array()).dump();
  });
}

bool TJfbzImpl::synJfbzGz(std::string& counts, std::string& message) {
  counts = "{}";
  return Run("synJfbzGz", kJfbzGz.prefix, message, [&] {
    Json params = {{"swjgdm", ""}, {"gzwjLb", Json::array({{{"name", "cxjmJfbzGz"}, {"md5", ""}}})}};
    Json answer = service::Exchange(kJfbzGz, {CurrentDjxh(), params});
    const Json* rule = nullptr;
    for (const Json& r : answer["gzwjLb"])
      if (Text(r, "name") == "cxjmJfbzGz") rule = &r;
    if (!rule || !rule->contains("gzLb")) throw OpRefusal("服务端未返回缴费标准规则。");
    Ref<IJfbzDAO> dao = Dao();
    if (!dao->SaveJfbz(rule->dump())) throw OpRefusal(dao->GetErrorMessage());
    Json out = Json::object();
    for (const char* list : {"pmlxLb", "jffsLb", "jfsxxLb", "jfdcLb"})
      out[list] = (*rule)["gzLb"].contains(list) ? (*rule)["gzLb"][list].size() : 0;
    counts = out.dump();
  });
}

}  // namespace velmor
