// Home-page notices: a JSON text {"funccode", "funcparam", "message", "action"} sent as a window
// message to the host's home-page window, whose handle the host keeps as the system parameter
// "homepage_handle". The message number tells the host which notice it is.
//
// Main thread or a thread whose services were obtained on it (the parameter service is created
// through the factory).
#pragma once

#include <cstdint>
#include <string>

namespace velmor::service {

// The notice text of a function: {"funccode": funccode, "funcparam": "", "message", "action"}.
std::string NoticeText(const char* funccode, const char* message, const char* action);

// Sends `text` under `messageNumber` to the home-page window of the current payer's parameters.
// Raises OpRefusal("未找到首页窗口（系统参数homepage_handle），无法发送首页提醒。") when no valid
// handle is stored.
void SendHomePageNotice(uint32_t messageNumber, const std::string& text);

}  // namespace velmor::service
