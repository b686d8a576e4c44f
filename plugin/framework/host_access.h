// Host access: how the plug-in's code reaches the host's components and the plug-in's other
// services. The host's components are obtained from the host's service factory once and cached:
// the regional differences, the platform manager (database connections, data directories), the
// interface manager, the network, the common functions (serials), the portal agent (the current
// payer), the return-code messages, the system configuration, the payment services' seal,
// social-insurance payment service and document preview, and the HTTP(S) client. Other services
// of the plug-in are created afresh through the factory by interface GUID (services never hold
// each other's classes).
//
// Thread rule, for every cached component alike: the cache is guarded by one lock, so any thread
// may call a getter; the first call of each belongs on the host's main thread (the factory
// creates components there), so a service obtains what a worker thread will use before starting
// it. The cache follows the factory: when the host's factory changes (a host stopped and another
// started in one process), components are obtained afresh. Each getter raises velmor::Exception
// with its fixed message when the component can be neither found nor created; nothing is cached
// then, so the next call tries again. The first getter call adds ReleaseHostComponents to the
// module's shut-down procedures.
#pragma once

#include <string>

#include "framework/registry.h"
#include "velmor/common_functions.h"
#include "velmor/document_viewer.h"
#include "velmor/exceptions.h"
#include "velmor/http_client.h"
#include "velmor/group_service_dao.h"
#include "velmor/net_comm.h"
#include "velmor/platform_manager.h"
#include "velmor/portal_agent.h"
#include "velmor/ref.h"
#include "velmor/return_code_message.h"
#include "velmor/sbfjn_service.h"
#include "velmor/seal_service.h"
#include "velmor/sys_differ.h"
#include "velmor/syspzxx.h"

namespace velmor {

Ref<ISysDiffer> GetSysDiffer();                  // "创建差异化接口失败！"
Ref<IPlatformManager> GetPlatformManager();      // instance "Default"; "创建门户代理平台组件接口失败！"
Ref<IUIManager> GetUIManager();                  // instance "Default"; "创建通用界面管理接口失败！"
Ref<INetCommIntf> GetNetComm();                  // "创建平台组件接口失败！"
Ref<ICommonFunctions> GetCommonFunctions();      // instance "Default"; "创建公共函数集组件接口失败！"
Ref<IPortalAgent> GetPortalAgent();              // "创建门户代理组件接口失败！"
Ref<IReturnCodeMessage> GetReturnCodeMessage();  // "创建返回码信息组件接口失败！"
Ref<ISyspzxxIntf> GetSyspzxx();                  // "创建系统配置组件接口失败！"
Ref<ISealService> GetSealService();              // "创建平台组件接口[ISealService]失败！"
Ref<ISbfjnService> GetSbfjnService();            // "创建平台组件接口[ISbfjnService]失败！"
Ref<IDocumentViewer> GetDocumentViewer();        // "创建平台组件接口[IDocumentViewer]失败！"
Ref<IHttpClient> GetHttpClient();                // "创建HTTP客户端组件接口失败！"
Ref<IGroupServiceDAO> GetGroupServiceDAO();      // "创建平台组件接口[IGroupServiceDAO]失败！"

// A fresh serial from the common functions.
std::string NewSerialNo();
// The current payer's djxh from the portal agent.
std::string CurrentDjxh();
// The server's message as the return-code message component renders it; the message unchanged
// when that component is not available (a failure being reported must not turn into another).
std::string RenderMessage(const std::string& code, const std::string& message);

// Drops every cached component (module shut-down and unload; tests that swap hosts).
void ReleaseHostComponents();

// A new instance of the plug-in's class registered under T's GUID string, as T. Raises
// velmor::Exception(failureMessage) when there is no factory, no such class or no T. Not
// cached: each call creates an instance (the factory keeps the shared ones).
template <InterfaceType T>
Ref<T> CreatePluginService(const std::string& failureMessage) {
  Ref<IServiceFactory> factory = GetServiceFactory();
  Ref<IInterface> out;
  if (!factory || !factory->CreateService(T::kIid.ToString(), T::kIid, out) || !out) throw Exception(failureMessage);
  Ref<T> service = Query<T>(out);
  if (!service) throw Exception(failureMessage);
  return service;
}

}  // namespace velmor
