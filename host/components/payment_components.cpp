#include "host/components/payment_components.h"

#include "host/components/document_viewer.h"
#include "host/components/sbfjn_service.h"
#include "host/components/seal_service.h"

namespace velmor::host::components {

void RegisterPaymentComponents(ServiceFactory& factory, const HostConfig& config) {
  Ref<INetCommIntf> net = Query<INetCommIntf>(factory.FindService(INetCommIntf::kIid));
  Ref<ICommonFunctions> common = Query<ICommonFunctions>(factory.FindNamedService(ICommonFunctions::kIid, "Default"));
  if (net && common) factory.RegisterService(ISbfjnService::kIid, Make<SbfjnService>(net, common).get());
  factory.RegisterService(ISealService::kIid, Make<SealService>(config.Get("seal", "fail")).get());
  factory.RegisterService(IDocumentViewer::kIid, Make<DocumentViewer>(config.Get("preview", "command")).get());
}

}  // namespace velmor::host::components
