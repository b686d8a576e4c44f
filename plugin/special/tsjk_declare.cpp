// A special-group declaration ("0134") and its late verdict ("0137"). A server too busy to judge
// at once refuses with "10042" and keeps the declaration under the submission's serial: the
// declaration then stands as submitted (state 1), dated today, until the verdict is fetched, which
// records state, levy document and date on the stored lines.
#include <optional>

#include "business/date_time.h"
#include "codec/taxml_exchange.h"
#include "codec/taxml_response.h"
#include "framework/boundary.h"
#include "framework/host_access.h"
#include "special/tsjk_mgr.h"
#include "codec/json_parse.h"

namespace velmor {

namespace {

using service::Json;
using service::OpRefusal;
using service::Text;

constexpr service::OpRow kDeclare{kTsJkClass, "tsrqSbfxxBc", "0134", "", "SbfCxjmTsrqSbxxBcRequest"};
constexpr service::OpRow kVerdict{kTsJkClass, "tsrqSbfxxBcGetFK", "0137", ""};

// The answer document of a reply, or the failure the user reads for one that does not decode.
taxml::Response ReadAnswer(const taxml::Reply& reply, const char* unreadable) {
  try {
    return taxml::Response::Read(reply);
  } catch (const std::exception& e) {
    LogFailure({"ParseTsrqSbfxxBcResponse"}, e.what());
    throw taxml::Failure(std::string(unreadable) + e.what());
  }
}

// The declaration's body: a JSON object becomes elements, anything else must be an XML fragment.
void AddContent(taxml::RequestDocument& doc, const std::string& content) {
  const size_t first = content.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) throw OpRefusal("申报内容为空。");
  if (content[first] == '{') {
    Json body = ParseOutsideJson<Json>(content, false);
    if (!body.is_object()) throw OpRefusal("申报内容不是有效的JSON对象。");
    service::AddJson(doc, body);
  } else {
    doc.AddBuilt(content);
  }
}

}  // namespace

namespace special {

Json Outcome::ToJson() const {
  return {{"yblsh", yblsh}, {"sbzt", sbzt}, {"yjfehj", yjfehj}, {"yzpzxh", yzpzxh}, {"sbrq", sbrq}, {"cwxx", cwxx}};
}

Outcome DeclaredOutcome(const pugi::xml_node& root) {
  Outcome o;
  for (const char* name : {"yjfehj", "yzpzxh", "sbrq"}) {
    if (!root.child(name)) throw taxml::Failure(std::string("反馈报文缺少<") + name + ">节点。");
  }
  o.yjfehj = root.child("yjfehj").text().get();
  o.yzpzxh = root.child("yzpzxh").text().get();
  o.sbrq = std::string(root.child("sbrq").text().get()).substr(0, 10);
  o.sbzt = 2;
  return o;
}

}  // namespace special

bool TTsJkMgr::tsrqSbfxxBc(const std::string& person, const std::string& content, IProgressView* progress,
                           std::string& result, std::string& message) {
  result.clear();
  return Op(kDeclare, message, [&] {
    const Json p = service::ParseParams(person);
    const std::string djxh = Text(p, "djxh").empty() ? CurrentDjxh() : Text(p, "djxh");
    taxml::RequestDocument doc(kDeclare.requestType);
    AddContent(doc, content);
    taxml::Call call;
    call.serviceCode = kDeclare.code;
    call.djxh = false;
    call.keys["djxh"] = djxh;
    call.document = &doc;
    call.progress = progress;
    call.progressValue = 100;
    taxml::Reply reply = taxml::Send(call);
    special::Outcome o;
    if (reply.Succeeded()) {
      taxml::Response answer = ReadAnswer(reply, "反馈报文异常；");
      answer.RequireSuccess();
      o = special::DeclaredOutcome(answer.Root());
    } else if (reply.Refused() && reply.RefusalCode() == kTsJkQueued) {
      // Queued: the serial stands for the levy document until the verdict replaces it.
      o.sbzt = 1;
      o.yjfehj = "0.0";
      o.yzpzxh = reply.yblsh;
      o.sbrq = Today();
    } else {
      throw taxml::Failure(reply.error);
    }
    o.yblsh = reply.yblsh;
    result = o.ToJson().dump();
  });
}

bool TTsJkMgr::tsrqSbfxxBcGetFK(const std::string& yblsh, IProgressView* progress, std::string& result,
                                std::string& message) {
  result.clear();
  return Op(kVerdict, message, [&] {
    if (yblsh.empty()) throw OpRefusal("申报流水号为空。");
    taxml::Call call;
    call.serviceCode = kVerdict.code;
    call.serial = taxml::Call::Serial::kGiven;
    call.yblsh = yblsh;
    call.djxh = false;
    call.progress = progress;
    call.progressValue = 100;
    taxml::Reply reply = taxml::Send(call);
    special::Outcome o;
    if (reply.Succeeded()) {
      taxml::Response answer = ReadAnswer(reply, "获取反馈异常：反馈报文异常；");
      if (answer.Succeeded()) {
        o = special::DeclaredOutcome(answer.Root());
      } else {
        o.sbzt = 3;
        o.yzpzxh = yblsh;
        o.cwxx = answer.FailureText();
      }
    } else if (reply.Refused() && reply.RefusalCode() == kTsJkQueued) {
      o.sbzt = 1;
      o.yjfehj = "0.0";
      o.yzpzxh = yblsh;
    } else {
      throw taxml::Failure("获取反馈异常：" + reply.error);
    }
    o.yblsh = yblsh;
    if (o.sbzt != 1) {
      Ref<ITsrqsbjfDAO> dao = special::Dao();
      if (!dao->UpdateSbzt(yblsh, o.sbzt, o.yzpzxh, o.cwxx, o.sbrq)) throw OpRefusal(dao->GetErrorMessage());
      if (o.sbzt == 2 && !dao->UpdateLjeJfzt(o.yzpzxh, 1)) throw OpRefusal(dao->GetErrorMessage());
    }
    result = o.ToJson().dump();
  });
}

}  // namespace velmor
