// ICbxmIntf: the insurance types with their levy sub-items and details (rule "xzGz"), flattened
// into "key=name" lines: a type "110=name", a sub-item "110#102101000=name", a detail
// "110#102101000#102101001=name".
//
// Held as returned by the dictionary manager (never looked up by GUID). Immutable after
// construction; any thread may read it. Operations are in slot order.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class ICbxmIntf : public IInterface {
 public:
  VELMOR_IID("{7808B8BB-1E3F-412F-85D3-7F40EA9CF2BD}")
  // 1: the direct children of a key as "key=name" lines, sorted, without duplicates: with an
  // empty parent the insurance types, with "110" its sub-items, with "110#102101000" its details.
  // Empty for an unknown parent.
  virtual std::string GetCbxmList(const std::string& parentKey) = 0;
  // 2: the name of a flattened key ("110#102101000"); empty when unknown.
  virtual std::string GetCbxmMc(const std::string& key) = 0;

 protected:
  ~ICbxmIntf() = default;
};

}  // namespace velmor
