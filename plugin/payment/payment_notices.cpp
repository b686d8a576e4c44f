// The two home-page notices: arrears exist (0x8511) and arrears are past their deadline
// (0x8512), prepared from this manager's own arrears and sent to the host's home-page window.
#include "business/date_time.h"
#include "codec/json_parse.h"
#include "framework/host_access.h"
#include "payment/payment_mgr.h"
#include "service/home_page_notice.h"
#include "velmor/platform.h"
#include "velmor/sys_param.h"
#include "velmor/xnh_mgr.h"

namespace velmor {

using Json = nlohmann::ordered_json;
using service::Text;

namespace {

constexpr const char* kNoticeFunction = "M8300-01-05-01-00";
constexpr const char* kNoticeSwitch = "NONFUNCTION004";
constexpr const char* kQfxxMessage = "社保费欠费信息已生成，请及时缴费。";
constexpr const char* kOverdueMessage = "存在已超出缴费期限的社保费欠费信息，请及时缴费。";
constexpr uint32_t kQfxxNoticeMessage = 0x8511;
constexpr uint32_t kOverdueNoticeMessage = 0x8512;

// Both notice steps run only with both functions enabled.
bool NoticesEnabled() {
  Ref<ISyspzxxIntf> config = GetSyspzxx();
  return config->IsFunctionEnabled(kNoticeFunction) && config->IsFunctionEnabled(kNoticeSwitch);
}

// The function confirmed for the payer's scheme setting: its associated-payment flag first,
// then its medical-only registration flag.
bool EnabledForScheme() {
  Ref<ISyspzxxIntf> config = GetSyspzxx();
  Ref<IXnhMgr> xnh = CreatePluginService<IXnhMgr>("创建平台组件接口[IXnhMgr]失败！");
  if (config->IsFunctionEnabledFor(kNoticeFunction, "yjgl", xnh->isYjgl() ? "Y" : "N")) return true;
  return config->IsFunctionEnabledFor(kNoticeFunction, "ybgzdjxnh", xnh->isYbgzdjXnh() ? "Y" : "N");
}

}  // namespace

namespace payment {
std::string NoticeText(const char* message, const char* action) {
  return service::NoticeText(kNoticeFunction, message, action);
}
}  // namespace payment

bool TPaymentMgr::CheckQfxxNotice(IProgressView* progress) {
  QfxxNoticeText.clear();
  OverdueNoticeText.clear();
  ErrorMessage.clear();
  // The notices never fail visibly: a failure only means no notice (the log keeps the reason).
  Run("CheckQfxxNotice", "", [&] {
    if (!NoticesEnabled() || !EnabledForScheme()) return;
    if (progress) progress->SetMessage("欠费信息查询中");
    std::string arrears;
    // The deadlines come from this manager's own arrears: the declaration's payable list has none.
    if (!GetQfxxLb(0, "", "", "", progress, arrears)) return;
    Json lines = ParseOutsideJson<Json>(arrears, false);
    if (!lines.is_array() || lines.empty()) return;
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
  });
  ErrorMessage.clear();
  return true;
}

bool TPaymentMgr::SendQfxxNotice() {
  return Run("SendQfxxNotice", "发送首页提醒失败。", [&] {
    if (!NoticesEnabled()) return;
    const std::string qfxx = QfxxNoticeText.empty() ? payment::NoticeText(kQfxxMessage, "delete") : QfxxNoticeText;
    const std::string overdue =
        OverdueNoticeText.empty() ? payment::NoticeText(kOverdueMessage, "delete") : OverdueNoticeText;
    service::SendHomePageNotice(kQfxxNoticeMessage, qfxx);
    service::SendHomePageNotice(kOverdueNoticeMessage, overdue);
  });
}

}  // namespace velmor
