// ICqcyhcxService: a reserved service identity (class TCqcyhcxServiceImpl, row 35 of the
// registration table, which names no interface of its own; this one carries its GUID). The class
// is registered so that a host asking for this GUID gets a service object; it offers nothing
// beyond the last-error text of IServiceIntf. Any thread may use its own object.
#pragma once

#include "velmor/business_object.h"

namespace velmor {

class ICqcyhcxService : public IServiceIntf {
 public:
  VELMOR_IID("{22AB8918-35A0-47D3-A01D-16083FAC9531}")

 protected:
  ~ICqcyhcxService() = default;
};

}  // namespace velmor
