// TRcsbMgr: the second form of submission. "0083" submits the UTF-8 document; when the server
// accepts it without a result, "0084" asks for the result at once; "0085" fetches it later. All
// three answer with status 1. The simulator's side is taxsim/handlers/declaration_second_form.cpp.
#include <optional>

#include "codec/taxml_encoded_ahead.h"
#include "codec/taxml_exchange.h"
#include "codec/taxml_response.h"
#include "declaration/feedback.h"
#include "declaration/mgr_support.h"
#include "declaration/rcsb_mgr.h"
#include "declaration/submission.h"
#include "framework/host_access.h"

namespace velmor {

using namespace declaration;

namespace {

// A result call ("0084", "0085") for the submission with serial `yblsh` and business id `jywyid`.
taxml::Call ResultCall(const char* serviceCode, const std::string& yblsh, const std::string& jywyid,
                       IProgressView* progress) {
  taxml::Call call;
  call.serviceCode = serviceCode;
  call.serial = taxml::Call::Serial::kGiven;
  call.yblsh = yblsh;
  call.djxh = false;
  call.keys["djxh"] = CurrentDjxh();
  call.keys["jywyid"] = jywyid;
  call.successStatus = 1;
  call.progress = progress;
  return call;
}

}  // namespace

bool TRcsbMgr::SbSend_61(const std::string& declaration, IProgressView* progress, int32_t& id, int32_t& sbzt,
                         std::string& error) {
  return Boundary<SendRefused>("SbSend_61", "发送申报异常：", true, error, ErrorMessage, [&] {
    SubmittedDeclaration sb(declaration);
    Ref<IRcsbDAO> dao = Dao();
    const std::string djxh = CurrentDjxh();
    RefuseWhileUnconfirmed(*dao, djxh);
    SbbwBuilder document("SbfCxjmxnhRcSbYzxxBcSnRequest", sb, djxh, "SbSend_61");  // every value checked
    taxml::Call call;
    call.serviceCode = "0083";
    call.document = &document.Document();
    call.progress = progress;
    call.successStatus = 1;
    call.serial = taxml::Call::Serial::kGiven;
    call.yblsh = NewSerialNo();
    const std::string tranSeq = NewSerialNo();
    call.keys["yzpzzlDm"] = kYzpzzlDm;
    call.keys["tranSeq"] = tranSeq;
    taxml::EncodedAhead encoded(call, FillBesideJournal(sb, document));  // while the declaration is journaled
    const int32_t journal = JournalSubmission(*dao, sb, djxh, call.yblsh, tranSeq, kSbztSendingSecondForm);
    AwaitDocument(*dao, journal, encoded, sb, "SbSend_61");
    AfterSending(*dao, journal, "SbSend_61", [&] {
      taxml::Reply reply = taxml::Send(call, encoded);
      std::optional<Feedback> fb;
      int32_t state = 1;  // refused with "10042": queued, the feedback is fetched later under the serial
      if (reply.Succeeded()) {
        fb = ReadSecondFormFeedback(taxml::Response::Read(reply));
        if (!fb->final) {
          // Accepted: the server holds the declaration now, so a failure to get the result leaves
          // it recorded in state 9 rather than unsettled.
          try {
            taxml::Reply result = taxml::Send(ResultCall("0084", reply.yblsh, tranSeq, progress));
            result.RequireSuccess();
            fb = ReadSecondFormFeedback(taxml::Response::Read(result));
          } catch (const std::exception& e) {
            LogMgr("SbSend_61", std::string("获取申报结果失败：") + e.what());
          }
        }
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

bool TRcsbMgr::GetSbFk_61(int32_t id, IProgressView* progress, int32_t& sbzt, std::string& error) {
  return Boundary("GetSbFk_61", "系统异常，请稍后再试", false, error, ErrorMessage, [&] {
    Ref<IRcsbDAO> dao = Dao();
    Json master = Master(*dao, id);
    const int32_t state = Int(master, "sbzt");
    if (state != 1 && state != 9 && state != kSbztSendingSecondForm) {
      throw Exception("申报状态[" + std::to_string(state) + "]不需要获取反馈");
    }
    taxml::Reply reply = taxml::Send(ResultCall("0085", Text(master, "yblsh"), Text(master, "jywyid"), progress));
    reply.RequireSuccess();
    sbzt = SettleFeedback(*dao, id, state, [&] { return ReadSecondFormFeedback(taxml::Response::Read(reply)); });
    Advance(progress, 1);
  });
}

}  // namespace velmor
