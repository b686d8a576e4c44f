// IDBObject: the base of the host's database connection (IDBMechanism), and the slot-keeping
// convention shared by every database interface.
//
// Database interfaces are matched by identity and slot position. Each declares its published
// operations at their positions, counted from 0 among the interface's own operations (after the
// three of IInterface and, for IDBMechanism, after IDBObject's). Positions the plug-in does not
// use are held by VELMOR_RESERVED_SLOT placeholders: they do nothing, and an implementation never
// overrides them. A few of them carry host conveniences; each header says which.
//
// Texts are UTF-8. No operation of a database interface throws: failures answer false (or null,
// or 0) and leave the engine's message in the object's error text.
#pragma once

#include <string>

#include "velmor/interface.h"

// Declares the placeholder operation that holds slot position n.
#define VELMOR_RESERVED_SLOT(n) \
  virtual void ReservedSlot##n() {}

namespace velmor {

class IDBObject : public IInterface {
 public:
  VELMOR_IID("{5E7C2A10-8B4D-4F3E-9C61-2A7D0B3E4F51}")
  // 0: the message of the last failed call on this object; empty after a call that succeeded.
  virtual std::string GetErrorText() = 0;
  // 1: the connection name the object was handed out for ("VELMORMainCon").
  virtual std::string GetConnectionName() = 0;

 protected:
  ~IDBObject() = default;
};

}  // namespace velmor
