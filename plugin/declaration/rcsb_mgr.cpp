// TRcsbMgr: submission, feedback, void and list download (the store forwards are in
// rcsb_mgr_forward.cpp, the second form in rcsb_mgr_second_form.cpp). The simulator's
// side of these exchanges is taxsim/handlers/declaration.cpp.
#include "declaration/rcsb_mgr.h"

#include <optional>

#include "business/date_time.h"
#include "codec/json_parse.h"
#include "codec/taxml_encoded_ahead.h"
#include "codec/taxml_exchange.h"
#include "codec/taxml_response.h"
#include "declaration/dao_support.h"
#include "declaration/feedback.h"
#include "declaration/mgr_support.h"
#include "declaration/submission.h"
#include "framework/host_access.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "store/store_guard.h"

namespace velmor {

using namespace declaration;

Json declaration::MasterBy(IRcsbDAO& dao, const char* key, const Json& value) {
  Json filter = {{"djxh", CurrentDjxh()}, {key, value}};
  std::string rows;
  Check(dao, dao.GetSbzbData(filter.dump(), -1, 0, rows));
  Json list = Json::parse(rows);
  if (list.empty()) {
    throw Exception("申报记录[" + (value.is_string() ? value.get<std::string>() : value.dump()) + "]不存在");
  }
  return list.front();
}

void TRcsbMgr::SettleJournalled(IRcsbDAO& dao, const std::string& djxh) {
  Json filter = {{"djxh", djxh},
                 {"sbzt", std::to_string(kSbztSending) + "," + std::to_string(kSbztSendingSecondForm)}};
  std::string rows;
  Check(dao, dao.GetSbzbData(filter.dump(), -1, 0, rows));
  for (const Json& master : Json::parse(rows)) {
    const int32_t id = Int(master, "id");
    int32_t state = 0;
    std::string error;
    const bool ok = Int(master, "sbzt") == kSbztSendingSecondForm ? GetSbFk_61(id, nullptr, state, error)
                                                                 : GetSbFk(id, nullptr, state, error);
    if (!ok) throw Exception("申报清单已同步，但申报记录[" + std::to_string(id) + "]的受理情况仍未确认：" + error);
  }
}

bool TRcsbMgr::SbSend(const std::string& declaration, IProgressView* progress, int32_t& id, int32_t& sbzt,
                      std::string& error) {
  return Boundary<SendRefused>("SbSend", "发送申报异常：", true, error, ErrorMessage, [&] {
    SubmittedDeclaration sb(declaration);
    Ref<IRcsbDAO> dao = Dao();
    const std::string djxh = CurrentDjxh();
    RefuseWhileUnconfirmed(*dao, djxh);
    SbbwBuilder document("SbfCxjmxnhRcSbYzxxBcRequest", sb, djxh, "BuildSbbw");  // every value checked
    taxml::Call call;
    call.serviceCode = "0004";
    call.document = &document.Document();
    call.progress = progress;
    call.serial = taxml::Call::Serial::kGiven;
    call.yblsh = NewSerialNo();
    const std::string tranSeq = NewSerialNo();
    call.keys["yzpzzlDm"] = kYzpzzlDm;
    call.keys["tranSeq"] = tranSeq;
    // Stored before it is sent: whatever happens after the request left, the declaration the
    // server may hold is in the store under its serial. The document is built and encoded
    // meanwhile.
    taxml::EncodedAhead encoded(call, FillBesideJournal(sb, document));
    const int32_t journal = JournalSubmission(*dao, sb, djxh, call.yblsh, tranSeq, kSbztSending);
    AwaitDocument(*dao, journal, encoded, sb, "SbSend");
    AfterSending(*dao, journal, "SbSend", [&] {
      taxml::Reply reply = taxml::Send(call, encoded);
      std::optional<Feedback> fb;
      int32_t state = 1;  // refused with "10042": queued, the feedback is fetched later under the serial
      if (reply.Succeeded()) {
        fb = ReadFeedback(taxml::Response::Read(reply));
        state = fb->sbzt;
      } else if (reply.Refused() && reply.RefusalCode() != "10042") {
        throw SendRefused(reply.error);
      } else if (!reply.Refused()) {
        throw taxml::Failure(reply.error);
      }
      RecordOutcome(*dao, journal, state, fb);
      id = journal;
      sbzt = state;
    });
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
    if (state == 1 || state == kSbztSending) {
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
    sbzt = SettleFeedback(*dao, id, state, [&] { return ReadFeedback(taxml::Response::Read(reply)); });
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
    call.keys["djxh"] = CurrentDjxh();
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
      Json answer = ParseOutsideJson<Json>(reply.request->GetResponse(), false);
      if (!answer.is_object()) throw Exception("作废反馈报文不是JSON对象");
      const std::string code = Text(answer, "code");
      const std::string message = Text(answer, "message");
      if (code == "00000") {
        state = 5;
      } else if (code == "30035") {
        state = 5;  // voided before: the server's message says so and stays as the reason
        reason = message;
      } else {
        reason = "【" + code + "】" + RenderMessage(code, message);
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
  enum class Stage { kCall, kAnswer, kStore, kSettle } stage = Stage::kCall;
  try {
    Ref<IRcsbDAO> dao = Dao();
    const std::string djxh = CurrentDjxh();
    taxml::Reply reply = taxml::Send(SbqdQueryCall(djxh, jfrlx, "", "", fkssqq, fkssqz, progress));
    reply.RequireSuccess();
    stage = Stage::kAnswer;
    taxml::Response answer = taxml::Response::Read(reply);
    answer.RequireSuccess();
    answer.RequireList("sbqkxxList");
    stage = Stage::kStore;
    Check(*dao, dao->SaveSbfysbqd(djxh, RawText(answer)));
    stage = Stage::kSettle;
    SettleJournalled(*dao, djxh);
    Advance(progress, 1);
    error.clear();
    ErrorMessage.clear();
    return true;
  } catch (const std::exception& e) {
    error = stage >= Stage::kStore     ? std::string(e.what())
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
