#include "residents/sbzt_year_check.h"

#include "business/date_time.h"
#include "framework/host_access.h"
#include "framework/log.h"
#include "service/home_page_notice.h"
#include "service/server_call.h"

namespace velmor {

namespace {
inline constexpr service::OpRow kYctx{"TAsynQueryYctxData", "queryCxjmSbzt", "0223", "", "", "wsbryList"};
}  // namespace

TAsynQueryYctxData::TAsynQueryYctxData() {
  // Obtained here, on the loading thread, so the worker thread finds them cached.
  try {
    GetNetComm();
    GetPortalAgent();
    GetCommonFunctions();
    GetReturnCodeMessage();
  } catch (const std::exception&) {
    // The check itself reports what is missing when it runs.
  }
}

void TAsynQueryYctxData::Run() {
  queryCxjmSbzt();
  try {
    Remove();
  } catch (const std::exception& e) {
    LogMessage(std::string("[TAsynQueryYctxData.Run]异常：") + e.what(), {}, kLevelError);
  }
}

bool TAsynQueryYctxData::queryCxjmSbzt() {
  try {
    service::OpCall call;
    call.djxh = TaskData.empty() ? CurrentDjxh() : TaskData;
    call.params = service::Json{{"jfnd", Today().substr(0, 4)}, {"sfysb", "N"}, {"jfzt", "Y"}};
    const service::Json answer = service::Exchange(kYctx, call);
    const bool undeclared = !answer.value("wsbryList", service::Json::array()).empty();
    service::SendHomePageNotice(kYctxNoticeMessage,
                                service::NoticeText(kYctxFunction, kYctxMessage, undeclared ? "add" : "delete"));
    return true;
  } catch (const std::exception& e) {
    LogMessage(std::string("[TAsynQueryYctxData.queryCxjmSbzt]失败：") + e.what(), {}, kLevelError);
  } catch (...) {
    LogMessage("[TAsynQueryYctxData.queryCxjmSbzt]失败：未知异常", {}, kLevelError);
  }
  return false;
}

}  // namespace velmor
