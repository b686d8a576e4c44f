// The host components of a server exchange, obtained from the host's service factory once and
// kept until module shut-down (or until the host's factory changes): the network interface, the
// common functions (serials), the portal agent (the current payer), the return-code messages and
// the system configuration.
//
// The cache is guarded, so services on worker threads may read it; the first call belongs on the
// host's main thread, as every lookup through the registry does (framework/registry.h). Each
// getter raises velmor::Exception with its fixed message when the component can be neither
// found nor created; nothing is cached then.
#pragma once

#include <string>

#include "velmor/common_functions.h"
#include "velmor/net_comm.h"
#include "velmor/portal_agent.h"
#include "velmor/ref.h"
#include "velmor/return_code_message.h"
#include "velmor/syspzxx.h"

namespace velmor::taxml {

Ref<INetCommIntf> GetNetComm();                 // "创建平台组件接口失败！"
Ref<ICommonFunctions> GetCommonFunctions();     // instance "Default"; "创建公共函数集组件接口失败！"
Ref<IPortalAgent> GetPortalAgent();             // "创建门户代理组件接口失败！"
Ref<IReturnCodeMessage> GetReturnCodeMessage(); // "创建返回码信息组件接口失败！"
Ref<ISyspzxxIntf> GetSyspzxx();                 // "创建系统配置组件接口失败！"

// A fresh serial from the common functions.
std::string NewSerialNo();
// The current payer's djxh from the portal agent.
std::string CurrentDjxh();
// The server's message as the return-code message component renders it; the message unchanged
// when that component is not available (a failure being reported must not turn into another).
std::string RenderMessage(const std::string& code, const std::string& message);

// Drops the cached components (module shut-down; tests).
void ReleaseHostComponents();

}  // namespace velmor::taxml
