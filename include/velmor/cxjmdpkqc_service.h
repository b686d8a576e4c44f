// ICxjmdpkqcServiceIntf: a reserved service identity (class TCxjmdpkqcServiceImpl, row 34 of the
// registration table). The class is registered so that a host asking for this GUID gets a
// service object; it offers nothing beyond the last-error text of IServiceIntf. Any thread may
// use its own object.
#pragma once

#include "velmor/business_object.h"

namespace velmor {

class ICxjmdpkqcServiceIntf : public IServiceIntf {
 public:
  VELMOR_IID("{C1C13742-EB70-4AC4-B692-55006A3946A4}")

 protected:
  ~ICxjmdpkqcServiceIntf() = default;
};

}  // namespace velmor
