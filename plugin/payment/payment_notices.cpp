// The home-page notices (arrears exist; arrears past their deadline) and the operations that
// need host facilities: the voucher workbook, the seal service and the voucher-status sync.
#include "business/date_time.h"
#include "framework/host_access.h"
#include "payment/payment_mgr.h"
#include "velmor/syspzxx.h"

namespace velmor {

using Json = nlohmann::ordered_json;
using service::OpRefusal;
using service::Text;

namespace {

constexpr const char* kNoticeFunction = "M8300-01-05-01-00";
constexpr const char* kQfxxMessage = "社保费欠费信息已生成，请及时缴费。";
constexpr const char* kOverdueMessage = "存在已超出缴费期限的社保费欠费信息，请及时缴费。";

}  // namespace

namespace payment {
std::string NoticeText(const char* message, const char* action) {
  return Json{{"funccode", kNoticeFunction}, {"funcparam", ""}, {"message", message}, {"action", action}}.dump();
}
}  // namespace payment

bool TPaymentMgr::CheckQfxxNotice(IProgressView* progress) {
  QfxxNoticeText.clear();
  OverdueNoticeText.clear();
  // The notices never fail visibly: a failure only means no notice.
  Ref<ISyspzxxIntf> config;
  try {
    config = GetSyspzxx();
  } catch (const std::exception&) {
    return true;
  }
  if (!config->IsFunctionEnabled(kNoticeFunction) || !config->IsFunctionEnabled("NONFUNCTION004")) return true;
  if (progress) progress->SetMessage("欠费信息查询中");
  std::string arrears;
  // The deadlines come from this manager's own arrears: the declaration's payable list has none.
  if (!GetQfxxLb(0, "", "", "", progress, arrears)) {
    ErrorMessage.clear();
    return true;
  }
  ErrorMessage.clear();
  Json lines = Json::parse(arrears, nullptr, false);
  if (!lines.is_array() || lines.empty()) return true;
  QfxxNoticeText = payment::NoticeText(kQfxxMessage, "add");
  const std::string today = Today();
  for (const Json& l : lines) {
    const std::string jkqx = Text(l, "jkqx").substr(0, 10);
    // A deadline of today is not past: only a day before today is.
    if (!jkqx.empty() && jkqx < today) {
      OverdueNoticeText = payment::NoticeText(kOverdueMessage, "add");
      break;
    }
  }
  return true;
}

bool TPaymentMgr::SendQfxxNotice() {
  ErrorMessage = "宿主未提供首页窗口（homepage_handle），无法发送首页提醒。";
  return false;
}

bool TPaymentMgr::ExportXls(const std::string& /*records*/, std::string& file) {
  file.clear();
  ErrorMessage = "宿主未提供文档预览，无法导出银行端缴税凭证。";
  return false;
}

bool TPaymentMgr::DzjfpzElecSeal(const std::string& /*record*/, IProgressView* /*progress*/) {
  ErrorMessage = "创建平台组件接口[ISealService]失败！";
  return false;
}

bool TPaymentMgr::synDzsphmDyzt(const std::string& /*djxh*/) {
  ErrorMessage = "创建平台组件接口[ISbfjnService]失败！";
  return false;
}

}  // namespace velmor
