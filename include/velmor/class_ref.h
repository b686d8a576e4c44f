// ClassRef: a class reference, the small metaclass object that stands for a service class.
//
// It is what GetServiceClass_50F165E61988 returns and what the host's named class list stores.
// ClassRefs are static objects of the module that defines the class: they live as long as that
// module is loaded, are never freed by their holders, and are safe to use from any thread.
#pragma once

#include <string_view>

#include "velmor/ref.h"

namespace velmor {

class ClassRef {
 public:
  virtual std::string_view ClassName() const = 0;
  // The virtual constructor: a new instance, answering IInterface (ask it for the interface
  // wanted). Never null; throws what the constructor throws.
  virtual Ref<IInterface> CreateInstance() const = 0;

 protected:
  ~ClassRef() = default;
};

}  // namespace velmor
