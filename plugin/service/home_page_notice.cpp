#include "service/home_page_notice.h"

#include <charconv>

#include <nlohmann/json.hpp>

#include "framework/host_access.h"
#include "service/taxml_json.h"
#include "velmor/platform.h"
#include "velmor/sys_param.h"

namespace velmor::service {

std::string NoticeText(const char* funccode, const char* message, const char* action) {
  return nlohmann::ordered_json{{"funccode", funccode}, {"funcparam", ""}, {"message", message}, {"action", action}}
      .dump();
}

void SendHomePageNotice(uint32_t messageNumber, const std::string& text) {
  Ref<ISysParamIntf> params = CreatePluginService<ISysParamIntf>("创建平台组件接口[ISysParamIntf]失败！");
  params->SetDjxh(CurrentDjxh());
  const std::string handleText = params->GetValue("homepage_handle");
  platform::WindowHandle handle = 0;
  auto [end, ec] = std::from_chars(handleText.data(), handleText.data() + handleText.size(), handle);
  if (handleText.empty() || ec != std::errc() || end != handleText.data() + handleText.size() || handle == 0)
    throw OpRefusal("未找到首页窗口（系统参数homepage_handle），无法发送首页提醒。");
  platform::SendMessage(handle, messageNumber, 0, reinterpret_cast<intptr_t>(text.c_str()));
}

}  // namespace velmor::service
