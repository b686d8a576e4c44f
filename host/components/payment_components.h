// The host components that the payment services call, registered in the host's factory at
// start-up after the network components (whose network interface and common functions the
// social-insurance payment service uses):
//
//   ISbfjnService    (unnamed)    SbfjnService over the registered INetCommIntf
//   ISealService     (unnamed)    SealService, failing with [seal] fail when set
//   IDocumentViewer  (unnamed)    DocumentViewer running [preview] command
//
// Runs on the host's main thread during Host::Start.
#pragma once

#include "host/host_config.h"
#include "host/service_factory.h"

namespace velmor::host::components {

void RegisterPaymentComponents(ServiceFactory& factory, const HostConfig& config);

}  // namespace velmor::host::components
