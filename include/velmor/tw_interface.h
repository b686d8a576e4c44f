// ITWInterface: the root interface of the plug-in's small object model (the XML document and its
// nodes derive from it).
//
// It adds one thing to IInterface: the version string of the implementing object ("1.0.0.0"
// unless the class says otherwise). Reference counts are atomic; everything else about an object
// behind this interface is single-threaded unless its own header says otherwise.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class ITWInterface : public IInterface {
 public:
  VELMOR_IID("{667EBDF8-CB16-43D5-B7D8-81F255CD5C71}")
  virtual std::string GetVersion() = 0;

 protected:
  ~ITWInterface() = default;
};

}  // namespace velmor
