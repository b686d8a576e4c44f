// TRcsbMgr: store pass-throughs, submission, feedback, void and list download. The simulator's
// side of these exchanges is taxsim/handlers/declaration.cpp.
#include "declaration/rcsb_mgr.h"

#include <optional>

#include "codec/taxml_exchange.h"
#include "codec/taxml_host.h"
#include "codec/taxml_response.h"
#include "declaration/dao_support.h"
#include "declaration/feedback.h"
#include "declaration/mgr_support.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "store/plugin_service.h"
#include "store/store_guard.h"

namespace velmor {

using namespace declaration;

namespace {
constexpr const char* kYzpzzlDm = "BDA0611049";

std::string Pick(const Json& p, const char* name, const char* column) {
  std::string v = Text(p, name);
  return v.empty() ? Text(p, column) : v;
}

void AddPersons(taxml::RequestDocument& doc, const Json& sb) {
  doc.Open("sbfJfsbbmxList");
  auto details = sb.find("details");
  if (details != sb.end() && details->is_array()) {
    for (const Json& mx : *details) {
      auto persons = mx.find("persons");
      if (persons == mx.end() || !persons->is_array()) continue;
      for (const Json& p : *persons) {
        // Residents' rows ("00") send the amount actually payable.
        const double yjfe = Text(p, "pmlx") == "00" ? Amount(p, "sjyjfe") : Amount(p, "jfje");
        doc.Open("sbfJfsbbmxDTO")
            .Add("jfmxxh", Pick(p, "jfmxxh", "mxxh"))
            .Add("sbjbjgDm", Pick(p, "sbjbjgDm", "sbjbjgdm"))
            .Add("cxjmsbbm", Pick(p, "cxjmsbbm", "rybh"))
            .Add("jhsx", Text(p, "jhsx"))
            .Add("xzjdDm", Pick(p, "xzjdDm", "xz_xzjddm"))
            .Add("sqczDm", Pick(p, "sqczDm", "xz_sqhczdm"))
            .Add("zsxmDm", Pick(p, "zsxmDm", "zsxmdm"))
            .Add("zspmDm", Pick(p, "zspmDm", "zspmdm"))
            .Add("zszmDm", Pick(p, "zszmDm", "zszmdm"))
            .Add("jfnd", Text(p, "jfnd"))
            .Add("yjfe", yjfe)
            .Add("yjfje", Amount(p, "yjfje"))
            .Add("ybtfe", Amount(p, "ybtfe"))
            .Close();
      }
    }
  }
  doc.Close();
}

void RecordFeedback(IRcsbDAO& dao, int32_t id, const Feedback& fb) {
  Check(dao, dao.UpdateSbzt(id, fb.sbzt, fb.sbyy, ""));
  if (fb.final) Check(dao, dao.UpdateSbFk(id, fb.yzpzxh, fb.errors));
}

}  // namespace

Json declaration::MasterBy(IRcsbDAO& dao, const char* key, const Json& value) {
  Json filter = {{"djxh", taxml::CurrentDjxh()}, {key, value}};
  std::string rows;
  Check(dao, dao.GetSbzbData(filter.dump(), -1, 0, rows));
  Json list = Json::parse(rows);
  if (list.empty()) {
    throw Exception("申报记录[" + (value.is_string() ? value.get<std::string>() : value.dump()) + "]不存在");
  }
  return list.front();
}

template <class F>
bool TRcsbMgr::Forward(const char* op, F&& call) {
  try {
    Ref<IRcsbDAO> dao = Dao();
    if (call(*dao)) return true;
    ErrorMessage = dao->GetErrorMessage();
  } catch (const std::exception& e) {
    ErrorMessage = e.what();
    LogMgr(op, e.what());
  }
  return false;
}

bool TRcsbMgr::UpdateZfFk(int32_t id, int32_t sbzt, const std::string& sbyy) {
  return Forward("UpdateZfFk", [&](IRcsbDAO& d) { return d.UpdateZfFk(id, sbzt, sbyy); });
}
bool TRcsbMgr::GetExistsJfndLb(const std::string& djxh, std::string& years) {
  return Forward("GetExistsJfndLb", [&](IRcsbDAO& d) { return d.GetExistsJfndLb(djxh, years); });
}
bool TRcsbMgr::GetSbmxData(int32_t id, const std::string& zspmdm, std::string& rows) {
  return Forward("GetSbmxData", [&](IRcsbDAO& d) { return d.GetSbmxData(id, zspmdm, rows); });
}
bool TRcsbMgr::GetSbzbData(const std::string& filter, int32_t page, int32_t pageSize, std::string& rows) {
  return Forward("GetSbzbData", [&](IRcsbDAO& d) { return d.GetSbzbData(filter, page, pageSize, rows); });
}
bool TRcsbMgr::GetSbzbCount(const std::string& filter, int32_t& count) {
  return Forward("GetSbzbCount", [&](IRcsbDAO& d) { return d.GetSbzbCount(filter, count); });
}
bool TRcsbMgr::GetWjkDataLb(const std::string& djxh, const std::string& states, std::string& vouchers) {
  return Forward("GetWjkDataLb", [&](IRcsbDAO& d) { return d.GetWjkDataLb(djxh, states, vouchers); });
}
bool TRcsbMgr::UpdateJkzt(const std::string& djxh, const std::string& yzpzxh, int32_t jkzt) {
  return Forward("UpdateJkzt", [&](IRcsbDAO& d) { return d.UpdateJkzt(djxh, yzpzxh, jkzt); });
}
bool TRcsbMgr::GetSbRymxData(int32_t id, std::string& rows) {
  return Forward("GetSbRymxData", [&](IRcsbDAO& d) { return d.GetSbRymxData(id, rows); });
}

bool TRcsbMgr::QuerySbzbDatas(const std::string& djxh, const std::string& yzpzxhs, const std::string& zspmdms,
                              std::string& rows) {
  return Forward("QuerySbzbDatas", [&](IRcsbDAO& d) { return d.QuerySbzbDatas(djxh, yzpzxhs, zspmdms, rows); });
}
bool TRcsbMgr::UpdateZzsbJfje(int32_t id, double jfje, double yjfje, double ybtfe, double sjyjfe) {
  return Forward("UpdateZzsbJfje", [&](IRcsbDAO& d) { return d.UpdateZzsbJfje(id, jfje, yjfje, ybtfe, sjyjfe); });
}
bool TRcsbMgr::getAllJfrlxYzmxList(const std::string& djxh, const std::string& sbrqq, const std::string& sbrqz,
                                   std::string& rows) {
  return Forward("getAllJfrlxYzmxList", [&](IRcsbDAO& d) { return d.getAllJfrlxYzmxList(djxh, sbrqq, sbrqz, rows); });
}

bool TRcsbMgr::SbSend(const std::string& declaration, IProgressView* progress, int32_t& id, int32_t& sbzt,
                      std::string& error) {
  return Boundary("SbSend", "发送申报异常：", true, error, ErrorMessage, [&] {
    Json sb = ParseObject(declaration, "申报数据无效");
    Ref<IRcsbDAO> dao = Dao();
    const std::string djxh = taxml::CurrentDjxh();
    std::optional<taxml::RequestDocument> doc;
    try {
      doc.emplace("SbfCxjmxnhRcSbYzxxBcRequest");
      doc->Add("cxjmxnhdjxh", djxh).Add("zgswjgDm", Text(sb, "swjgdm"));
      doc->Add("jfrlxDm", "5").Add("sbfsDm", "32").Add("sbsxDm", "0101").Add("yzpzzlDm", kYzpzzlDm).Add("bz", "");
      AddPersons(*doc, sb);
      (void)taxml::EncodeData(*doc);  // a text the encoding cannot hold fails here, before anything is sent
    } catch (const std::exception& e) {
      LogMgr("BuildSbbw", e.what());
      throw Exception("创建报文异常");
    }
    const std::string tranSeq = taxml::NewSerialNo();
    taxml::Call call;
    call.serviceCode = "0004";
    call.document = &*doc;
    call.progress = progress;
    call.keys["yzpzzlDm"] = kYzpzzlDm;
    call.keys["tranSeq"] = tranSeq;
    taxml::Reply reply = taxml::Send(call);
    std::optional<Feedback> fb;
    int32_t state = 0;
    if (reply.Succeeded()) {
      fb = ReadFeedback(taxml::Response::Read(reply));
      state = fb->sbzt;
    } else if (reply.Refused() && reply.RefusalCode() == "10042") {
      state = 1;  // queued by the server: the feedback is fetched later under the serial
    } else {
      throw taxml::Failure(reply.error);
    }
    if (Text(sb, "djxh").empty()) sb["djxh"] = djxh;
    sb["yblsh"] = reply.yblsh;
    sb["jywyid"] = tranSeq;
    sb["sbzt"] = state;
    Check(*dao, dao->SaveSbData(sb.dump(), id));
    if (fb) RecordFeedback(*dao, id, *fb);
    sbzt = state;
    Advance(progress, 1);
  });
}

bool TRcsbMgr::GetSbFk(int32_t id, IProgressView* progress, int32_t& sbzt, std::string& error) {
  return Boundary("GetSbFk", "系统异常，请稍后再试", false, error, ErrorMessage, [&] {
    Ref<IRcsbDAO> dao = Dao();
    Json master = Master(*dao, id);
    const int32_t state = Int(master, "sbzt");
    std::optional<taxml::RequestDocument> doc;
    taxml::Call call;
    call.progress = progress;
    if (state == 1) {
      call.serviceCode = "0005";
      call.serial = taxml::Call::Serial::kGiven;
      call.yblsh = Text(master, "yblsh");
      call.djxh = false;
      call.successStatus = 1;
    } else if (state == 9) {
      doc.emplace("SbfCxjmxnSbfRcsbCxRequest");
      doc->Add("tran_seq", Text(master, "jywyid"));
      call.serviceCode = "0103";
      call.document = &*doc;
    } else {
      throw Exception("申报状态[" + std::to_string(state) + "]不需要获取反馈");
    }
    taxml::Reply reply = taxml::Send(call);
    reply.RequireSuccess();
    Feedback fb = ReadFeedback(taxml::Response::Read(reply));
    RecordFeedback(*dao, id, fb);
    sbzt = fb.sbzt;
    Advance(progress, 1);
  });
}

bool TRcsbMgr::Sbzf(int32_t id, IProgressView* progress, int32_t& sbzt, std::string& error) {
  return Boundary("Sbzf", "作废申报异常：", true, error, ErrorMessage, [&] {
    Ref<IRcsbDAO> dao = Dao();
    Json master = Master(*dao, id);
    const std::string yzpzxh = Text(master, "yzpzxh");
    if (yzpzxh.empty()) throw Exception("申报记录没有应征凭证序号，不能作废");
    taxml::Call call;
    call.serviceCode = "0054";
    call.djxh = false;
    call.progress = progress;
    call.keys["djxh"] = taxml::CurrentDjxh();
    call.keys["yzpzxh"] = yzpzxh;
    taxml::Reply reply = taxml::Send(call);
    if (reply.status == -1) throw taxml::Failure(reply.error);
    int32_t state = 2;
    std::string reason;
    if (reply.request->GetReturnCode() != "SUCCESS") {
      reason = reply.request->GetReturnMessage();
    } else {
      const std::string data = reply.request->GetResponseData();
      if (data.empty() || data == "null") throw Exception("作废反馈报文为空");
      Json answer = Json::parse(reply.request->GetResponse(), nullptr, false);
      if (!answer.is_object()) throw Exception("作废反馈报文不是JSON对象");
      const std::string code = Text(answer, "code");
      const std::string message = Text(answer, "message");
      if (code == "00000") {
        state = 5;
      } else if (code == "30035") {
        state = 5;  // voided before: the server's message says so and stays as the reason
        reason = message;
      } else {
        reason = "【" + code + "】" + taxml::RenderMessage(code, message);
      }
    }
    Check(*dao, dao->UpdateSbzt(id, state, reason, NowText()));
    sbzt = state;
    Advance(progress, 1);
  });
}

bool TRcsbMgr::synSbqdCx(const std::string& jfrlx, const std::string& fkssqq, const std::string& fkssqz,
                         IProgressView* progress, std::string& error) {
  // The three failures read differently: a failed call, a faulty answer, a store failure.
  enum class Stage { kCall, kAnswer, kStore } stage = Stage::kCall;
  try {
    Ref<IRcsbDAO> dao = Dao();
    const std::string djxh = taxml::CurrentDjxh();
    taxml::Reply reply = taxml::Send(SbqdQueryCall(djxh, jfrlx, "", "", fkssqq, fkssqz, progress));
    reply.RequireSuccess();
    stage = Stage::kAnswer;
    taxml::Response answer = taxml::Response::Read(reply);
    answer.RequireSuccess();
    answer.RequireList("sbqkxxList");
    stage = Stage::kStore;
    Check(*dao, dao->SaveSbfysbqd(djxh, RawText(answer)));
    Advance(progress, 1);
    error.clear();
    ErrorMessage.clear();
    return true;
  } catch (const std::exception& e) {
    error = stage == Stage::kStore    ? std::string(e.what())
            : stage == Stage::kAnswer ? "申报清单查询反馈报文异常：" + std::string(e.what())
                                      : "申报清单查询异常：" + std::string(e.what());
    LogMgr("synSbqdCx", e.what());
  }
  ErrorMessage = error;
  return false;
}

namespace {
void RegisterRcsbMgr() { RegisterServiceClass(ServiceRowAt(kRowTRcsbMgr).iid, &ClassOf<TRcsbMgr>::Instance()); }
void UnregisterRcsbMgr() { UnregisterServiceClass(ServiceRowAt(kRowTRcsbMgr).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(9, velmor::RegisterRcsbMgr, velmor::UnregisterRcsbMgr)
