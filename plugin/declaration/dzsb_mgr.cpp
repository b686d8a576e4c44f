// TDzsbMgr: submitting an electronic declaration ("0031") and fetching its feedback ("0029").
#include "declaration/dzsb_mgr.h"

#include "codec/json_parse.h"
#include "codec/taxml_exchange.h"
#include "declaration/dao_support.h"
#include "declaration/dzsb_document.h"
#include "framework/boundary.h"
#include "framework/host_access.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "service/taxml_json.h"
#include "velmor/rcsb_dao.h"

namespace velmor {

using namespace declaration;
using service::OpRefusal;

namespace {
constexpr const char* kSystemError = "系统异常，请稍后再试。";
constexpr const char* kBadFeedback = "服务端反馈报文异常";
constexpr const char* kSuccess = "SUCCESS";
constexpr int32_t kSbztDeclared = 2;

Ref<IRcsbDAO> Dao() { return CreatePluginService<IRcsbDAO>("创建平台组件接口[IRcsbDAO]失败！"); }

std::string Office(const std::string& given) {
  return given.empty() ? GetSyspzxx()->GetValue("zgswjgDm") : given;
}

// The persons of errorDTOList as the store marks them: {"jfmxxh", "sbyy"}.
std::string ErrorList(const Json& answer) {
  Json out = Json::array();
  auto list = answer.find("errorDTOList");
  if (list == answer.end() || list->is_null()) return out.dump();
  if (!list->is_array()) throw Exception("errorDTOList不是数组");
  for (const Json& e : *list) {
    if (!e.is_object()) throw Exception("errorDTOList含非对象");
    std::string line = Text(e, "jfmxxh");
    if (line.empty()) line = Text(e, "xxh");
    std::string why = Text(e, "sbyy");
    if (why.empty()) why = Text(e, "cwxx");
    out.push_back({{"jfmxxh", line}, {"sbyy", why}});
  }
  return out.dump();
}
}  // namespace

bool TDzsbMgr::Op(const char* op, std::string& message, const std::function<void()>& body) {
  ErrorMessage.clear();
  message.clear();
  const bool ok = Attempt<OpRefusal, taxml::Failure>({"TDzsbMgr", op}, {kSystemError, false, UnknownText::kShown},
                                                     &message, body);
  ErrorMessage = message;
  return ok;
}

bool TDzsbMgr::SbSend(const std::string& rows, const std::string& bz, IProgressView* progress, std::string& yblsh,
                      int32_t& id, std::string& message) {
  yblsh.clear();
  id = 0;
  return Op("SbSend", message, [&] {
    const Json list = rows.empty() ? Json::array() : ParseOutsideJson<Json>(rows);
    const std::string djxh = CurrentDjxh();
    const std::string office = Office("");
    taxml::RequestDocument doc = BuildSbBw(list, djxh, office, bz);
    yblsh = NewSerialNo();
    taxml::Call call;
    call.serviceCode = "0031";
    call.document = &doc;
    call.serial = taxml::Call::Serial::kGiven;
    call.yblsh = yblsh;
    call.successStatus = 1;
    call.progress = progress;
    call.progressValue = 50;
    taxml::Reply reply = taxml::Send(call);
    reply.RequireSuccess();
    IRequest& req = *reply.request;
    if (req.GetReturnCode() != kSuccess) {
      const std::string data = req.GetResponseData();
      throw taxml::Failure("[" + data + "]" + RenderMessage(data, req.GetReturnMessage()));
    }
    // Accepted: the server holds the declaration, so a failed local save must not read as a
    // refusal (which would invite declaring it again).
    Ref<IRcsbDAO> dao = Dao();
    int32_t stored = 0;
    if (!dao->SaveSbData(DzsbDeclaration(list, djxh, yblsh, office, bz).dump(), stored)) {
      throw OpRefusal("申报已被服务器受理（流水号：" + yblsh + "），但本地保存失败：" + dao->GetErrorMessage() +
                      "。请勿重复申报，可凭流水号获取反馈。");
    }
    id = stored;
  });
}

bool TDzsbMgr::GetSbFk(const std::string& yblsh, IProgressView* progress, std::string& result, std::string& message) {
  result = "{}";
  return Op("GetSbFk", message, [&] {
    if (yblsh.empty()) throw OpRefusal("申报流水号为空。");
    Ref<IRcsbDAO> dao = Dao();
    std::string rowText;
    if (!dao->GetSbzbByYblsh(CurrentDjxh(), yblsh, rowText)) throw OpRefusal(dao->GetErrorMessage());
    const Json master = Json::parse(rowText);
    if (master.empty()) throw OpRefusal("未找到流水号[" + yblsh + "]的申报记录。");
    const int32_t id = Int(master, "id");

    taxml::Call call;
    call.serviceCode = "0029";
    call.serial = taxml::Call::Serial::kGiven;
    call.yblsh = yblsh;
    call.djxh = false;  // the body holds the serial alone
    call.successStatus = 1;
    call.progress = progress;
    call.progressValue = 100;
    taxml::Reply reply = taxml::Send(call);
    reply.RequireSuccess();
    IRequest& req = *reply.request;
    const std::string code = req.GetReturnCode();
    const std::string data = req.GetResponseData();
    if (code == kSuccess && (data.empty() || data == "null")) {
      throw taxml::Failure("[" + data + "]" + RenderMessage(data, req.GetReturnMessage()));
    }
    // ParseSbFk: the answer is a JSON object.
    Json answer;
    std::string errors;
    const bool parsed = Attempt({"TDzsbMgr", "ParseSbFk"}, {kBadFeedback, false}, nullptr, [&] {
      const std::string text = req.GetResponse();
      answer = text.empty() && code != kSuccess ? Json::object() : ParseOutsideJson<Json>(text);
      if (!answer.is_object()) throw Exception("反馈不是JSON对象：" + text.substr(0, 200));
      errors = ErrorList(answer);
    });
    if (!parsed) throw OpRefusal(kBadFeedback);
    if (code == kSuccess) {
      const std::string yzpzxh = Text(answer, "yzpzxh");
      if (!dao->UpdateSbztFk(id, kSbztDeclared, "", yzpzxh, errors)) throw OpRefusal(dao->GetErrorMessage());
      result = Json{{"id", id}, {"sbzt", kSbztDeclared}, {"yzpzxh", yzpzxh}, {"sbyy", ""}}.dump();
      return;
    }
    // Not declared: the declaration keeps its state and takes the server's reason.
    const std::string sbyy = req.GetReturnMessage();
    if (!dao->UpdateSbyyFk(id, sbyy, errors)) throw OpRefusal(dao->GetErrorMessage());
    result = Json{{"id", id}, {"sbzt", Int(master, "sbzt")}, {"yzpzxh", Text(master, "yzpzxh")}, {"sbyy", sbyy}}
                 .dump();
    throw OpRefusal("[" + data + "]" + RenderMessage(data, sbyy));
  });
}

namespace {
void RegisterDzsbMgr() { RegisterServiceClass(ServiceRowAt(kRowTDzsbMgr).iid, &ClassOf<TDzsbMgr>::Instance()); }
void UnregisterDzsbMgr() { UnregisterServiceClass(ServiceRowAt(kRowTDzsbMgr).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(20, velmor::RegisterDzsbMgr, velmor::UnregisterDzsbMgr)
