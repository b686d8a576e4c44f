// ICode_Name_Item: a code with its display name (the shape in which code tables reach the host).
//
// Extends IBusinessObject (its published properties are "Code" and "Name"). Codes compare exactly
// (case-sensitive). One thread at a time. Operations are in slot order.
#pragma once

#include <string>

#include "velmor/business_object.h"
#include "velmor/ref.h"

namespace velmor {

class ICode_Name_Item : public IBusinessObject {
 public:
  VELMOR_IID("{3CBEDEFA-C63B-4137-86CA-D27912567474}")
  using Base = IBusinessObject;
  virtual std::string GetCode() = 0;
  virtual std::string GetName() = 0;
  virtual void SetCode(const std::string& code) = 0;
  virtual void SetName(const std::string& name) = 0;
  // A new, independent item with the same code and name.
  virtual Ref<ICode_Name_Item> Clone() = 0;
  // Copies the source's code and name; raises EInvalidPointer for a null source.
  virtual void AssignCodeName(ICode_Name_Item* source) = 0;

 protected:
  ~ICode_Name_Item() = default;
};

}  // namespace velmor
