#include "residents/xnh_mgr.h"

#include <chrono>
#include <ctime>
#include <optional>
#include <thread>

#include <nlohmann/json.hpp>

#include "business/date_time.h"
#include "codec/taxml_exchange.h"
#include "framework/host_access.h"
#include "codec/taxml_response.h"
#include "framework/log.h"
#include "framework/module.h"
#include "framework/progress.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "residents/xnh_cbxx_item.h"
#include "framework/host_access.h"
#include "service/server_call.h"
#include "velmor/sys_param.h"
#include "codec/json_parse.h"

namespace velmor {

namespace {

constexpr int kPollPasses = 150;
constexpr int kPollWaitMs = 200;

Ref<IXnhDAO> Dao() { return CreatePluginService<IXnhDAO>(kXnhNoDaoMessage); }

// The payment-list query, submitted now and collected later under its serial.
constexpr service::OpRow kJfqdCx{"TXnhMgr", "synJfqdCx", "0343", kXnhSystemError};

}  // namespace

Ref<IXnhDAO> TXnhMgr::GetDAO() {
  try {
    return Dao();
  } catch (const std::exception& e) {
    ErrorMessage = e.what();
    LogException("TXnhMgr.GetDAO", e.what());
    return nullptr;
  }
}

bool TXnhMgr::DjxxXz(IProgressView* progress) {
  ErrorMessage.clear();
  std::vector<XnhJbxx> offices;
  bool ok = taxml::Guard("TXnhMgr.DjxxXz", kXnhSystemError, ErrorMessage, [&] {
    LogScope scope("TXnhMgr.DjxxXz");
    taxml::Call call;
    call.serviceCode = "0001";
    call.progress = progress;
    call.progressValue = 50;
    taxml::Reply reply = taxml::Send(call);
    reply.RequireSuccess();
    taxml::Response answer = taxml::Response::Read(reply);
    answer.RequireSuccess();
    pugi::xml_node list = answer.List("cxjmXnhDjxxList");
    if (!list) throw taxml::Failure("反馈报文缺少<cxjmXnhDjxxList>节点");
    try {
      offices = ParseXnhDjxx(list);
    } catch (const std::exception& e) {
      LogException("TXnhMgr.ParseDjxx", e.what());
      throw taxml::Failure(kXnhSystemError);
    }
    const std::string djxh = CurrentDjxh();
    Ref<IXnhDAO> dao = Dao();
    std::string message;
    if (!dao->SaveXnhDjxx(djxh, offices, message)) throw taxml::Failure(message);
    Ref<ISysParamIntf> params = CreatePluginService<ISysParamIntf>("创建平台组件接口[ISysParamIntf]失败！");
    params->SetDjxh(djxh);
    params->SetValue("xnhdjxx_gxsj", NowText());
    StepProgress(progress, 50);
  });
  return ok;
}

bool TXnhMgr::downloadZjms(IProgressView* progress) {
  ErrorMessage.clear();
  return taxml::Guard("TXnhMgr.downloadZjms", kXnhSystemError, ErrorMessage, [&] {
    const std::string djxh = CurrentDjxh();
    Ref<IXnhDAO> dao = Dao();
    // Every insured item, of ended units too: the server answers the mode per item.
    nlohmann::json items = ParseOutsideJson<nlohmann::json>(dao->getAllCbxm(djxh));
    if (!dao->GetErrorMessage().empty()) throw taxml::Failure(dao->GetErrorMessage());
    taxml::RequestDocument doc("SbfXzzjmsCxRequest");
    doc.Add("jfrlx", "0").Open("xzInfoList");
    for (const auto& row : items) {
      doc.Open("xzInfoReqDTO")
          .Add("sbjbjgDm", row.value("sbjbjgdm", ""))
          .Add("zsxmDm", row.value("zsxmdm", ""))
          .Add("zspmDm", row.value("zspmdm", ""))
          .Add("zszmDm", row.value("zszmdm", ""))
          .Close();
    }
    doc.Close();
    taxml::Call call;
    call.serviceCode = "0055";
    call.document = &doc;
    call.progress = progress;
    call.progressValue = 50;
    taxml::Reply reply = taxml::Send(call);
    reply.RequireSuccess();
    std::vector<XnhZjmsEntry> entries;
    {
      std::optional<taxml::Response> answer;
      try {
        answer.emplace(taxml::Response::Read(reply));
      } catch (const std::exception& e) {
        throw taxml::Failure(std::string("反馈报文解析异常：") + e.what());
      }
      answer->RequireSuccess();
      pugi::xml_node list = answer->List("xzInfoList");
      if (!list) throw taxml::Failure("反馈报文缺少<xzInfoList>节点。");
      for (pugi::xml_node r = list.first_child(); r; r = r.next_sibling()) {
        if (r.type() != pugi::node_element) continue;
        entries.push_back({r.child_value("sbjbjgDm"), r.child_value("zsxmDm"), r.child_value("zspmDm"),
                           r.child_value("zszmDm"), r.child_value("zjms")});
      }
    }
    std::string message;
    if (!dao->saveZjms(djxh, entries, message)) throw taxml::Failure(message);
    StepProgress(progress, 50);
  });
}

bool TXnhMgr::synXnhsbdjxhCx(IProgressView* progress) {
  ErrorMessage.clear();
  return taxml::Guard("TXnhMgr.synXnhsbdjxhCx", kXnhSystemError, ErrorMessage, [&] {
    const std::string djxh = CurrentDjxh();
    Ref<IXnhDAO> dao = Dao();
    nlohmann::json offices = ParseOutsideJson<nlohmann::json>(dao->GetSwjgList(djxh));
    if (!dao->GetErrorMessage().empty()) throw taxml::Failure(dao->GetErrorMessage());
    if (offices.empty()) throw taxml::Failure(kXnhNoOffice);
    taxml::Call call;
    call.serviceCode = "0224";
    call.progress = progress;
    call.progressValue = 100;
    call.keys["zgswjgList"] = nlohmann::ordered_json(offices);
    taxml::Reply reply = taxml::Send(call);
    reply.RequireSuccess();
    taxml::Response answer = taxml::Response::Read(reply);
    answer.RequireSuccess();
    pugi::xml_node list = answer.RequireList("xnhsbdjxhList");
    sbdjxh_.clear();
    for (pugi::xml_node r = list.first_child(); r; r = r.next_sibling())
      if (r.type() == pugi::node_element) sbdjxh_[r.child_value("zgswjgDm")] = r.child_value("sbdjxh");
  });
}

bool TXnhMgr::getSbdjxh(const std::string& swjgdm, std::string& sbdjxh) {
  ErrorMessage.clear();
  auto it = sbdjxh_.find(swjgdm);
  sbdjxh = it == sbdjxh_.end() ? std::string() : it->second;
  if (!sbdjxh.empty()) return true;
  ErrorMessage = "税务机关[" + swjgdm + "]对应社保登记序号为空";
  return false;
}

bool TXnhMgr::synJfqdCx(const std::string& fkssqq, const std::string& fkssqz, std::string& yblsh) {
  ErrorMessage.clear();
  return taxml::Guard("TXnhMgr.synJfqdCx", kXnhSystemError, ErrorMessage, [&] {
    // Body keys in the server's order: yblsh, djxh, fkssqq, fkssqz.
    service::OpCall call{CurrentDjxh(), service::Json{{"djxh", ""}, {"fkssqq", fkssqq}, {"fkssqz", fkssqz}}};
    yblsh = service::Submit(kJfqdCx, call);
  });
}

bool TXnhMgr::synJfqdCxFk(const std::string& yblsh, std::string& json) {
  ErrorMessage.clear();
  json = "[]";
  return taxml::Guard("TXnhMgr.synJfqdCxFk", kXnhSystemError, ErrorMessage, [&] {
    std::optional<std::string> response;
    for (int pass = 0; pass < kPollPasses; ++pass) {
      response = service::Collect(kJfqdCx, yblsh);
      if (response) break;
      StepProgress(nullptr, 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(kPollWaitMs));
    }
    if (!response) throw taxml::Failure("反馈报文异常：等待反馈超时");
    std::optional<taxml::Response> answer;
    try {
      answer.emplace(taxml::Response::Decode(*response));
    } catch (const std::exception& e) {
      throw taxml::Failure(std::string("反馈报文异常：") + e.what());
    }
    const std::string code = answer->Code();
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    if (code == "70001" || code == "70002") {
      json = rows.dump();
      return;
    }
    if (code != taxml::kSuccessCode) {
      std::string text = RenderMessage(code, answer->Message());
      throw taxml::Failure(text.empty() ? answer->Message() : text);
    }
    for (pugi::xml_node r = answer->List("sbfJfQdList").first_child(); r; r = r.next_sibling()) {
      if (r.type() != pugi::node_element) continue;
      nlohmann::ordered_json row = nlohmann::ordered_json::object();
      for (pugi::xml_node f = r.first_child(); f; f = f.next_sibling())
        if (f.type() == pugi::node_element) row[f.name()] = f.child_value();
      if (!row.contains("jfrlxDm")) row["jfrlxDm"] = "";
      rows.push_back(std::move(row));
    }
    json = rows.dump();
  });
}

bool TXnhMgr::queryXnhCbxxItems(IXnhCbxxQc* condition, Ref<IXnhCbxxItems>& items) {
  ErrorMessage.clear();
  items = nullptr;
  return taxml::Guard("TXnhMgr.queryXnhCbxxItems", kXnhSystemError, ErrorMessage, [&] {
    Ref<IXnhDAO> dao = Dao();
    XnhCbxxFilter filter = condition ? condition->GetFilter() : XnhCbxxFilter{};
    nlohmann::json rows = ParseOutsideJson<nlohmann::json>(dao->queryXnhCbxx(CurrentDjxh(), filter));
    if (!dao->GetErrorMessage().empty()) throw taxml::Failure(dao->GetErrorMessage());
    Ref<TXnhCbxxItems> list = Make<TXnhCbxxItems>();
    for (const auto& r : rows) {
      Ref<TXnhCbxxItem> it = New<TXnhCbxxItem>();
      it->swjgdm = r.value("swjgdm", "");
      it->sbjbjgdm = r.value("sbjbjgdm", "");
      it->dwbh = r.value("dwbh", "");
      it->xzjddm = r.value("xzjddm", "");
      it->sqhczdm = r.value("sqhczdm", "");
      it->zsxmdm = r.value("zsxmdm", "");
      it->zspmdm = r.value("zspmdm", "");
      it->zszmdm = r.value("zszmdm", "");
      list->Add(static_cast<IXnhCbxxItem*>(it.get()));
    }
    items = Ref<IXnhCbxxItems>(list.get());
  });
}

bool TXnhMgr::isYjgl() {
  ErrorMessage.clear();
  bool result = false;
  taxml::Guard("TXnhMgr.isYjgl", kXnhSystemError, ErrorMessage, [&] {
    Ref<ISysParamIntf> params = CreatePluginService<ISysParamIntf>("创建平台组件接口[ISysParamIntf]失败！");
    const std::string djxh = CurrentDjxh();
    params->SetDjxh(djxh);
    if (params->GetValue("SBF_DJ_WTDZGLBZ_KG") != "Y") return;
    result = Dao()->CountGlbz(djxh) > 0;
  });
  return result;
}

bool TXnhMgr::isYbgzdjXnh() {
  ErrorMessage.clear();
  bool result = false;
  taxml::Guard("TXnhMgr.isYbgzdjXnh", kXnhSystemError, ErrorMessage,
               [&] { result = Dao()->CountYbgzdj(CurrentDjxh()) > 0; });
  return result;
}

bool TXnhMgr::GetXzlxList(const std::string& djxh, std::vector<std::string>& types) {
  ErrorMessage.clear();
  return taxml::Guard("TXnhMgr.GetXzlxList", kXnhSystemError, ErrorMessage, [&] {
    Ref<IXnhDAO> dao = Dao();
    types = dao->GetXzlxList(djxh);
    if (!dao->GetErrorMessage().empty()) throw taxml::Failure(dao->GetErrorMessage());
  });
}

Ref<IXnhCbxxQc> TXnhMgr::NewCbxxQc() {
  Ref<TXnhCbxxQc> qc = New<TXnhCbxxQc>();
  return Ref<IXnhCbxxQc>(static_cast<IXnhCbxxQc*>(qc.get()));
}

namespace {
void RegisterXnhMgr() { RegisterServiceClass(ServiceRowAt(kRowTXnhMgr).iid, &ClassOf<TXnhMgr>::Instance()); }
void UnregisterXnhMgr() { UnregisterServiceClass(ServiceRowAt(kRowTXnhMgr).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(8, velmor::RegisterXnhMgr, velmor::UnregisterXnhMgr)
