// Obtaining another service of the plug-in through the host's service factory, by interface
// GUID (services never hold each other's classes directly).
#pragma once

#include <string>

#include "framework/registry.h"
#include "velmor/exceptions.h"
#include "velmor/ref.h"

namespace velmor {

// A new instance of the class registered under T's GUID string, as T. Raises
// velmor::Exception(failureMessage) when there is no factory, no such class or no T.
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
