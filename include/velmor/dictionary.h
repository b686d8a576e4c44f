// IDictionary: one code table of the module (codes with their names and source entries), handed
// out by the dictionary manager (IDictMgr) from the rule file, the local store or built in.
//
// Lookups ignore ASCII letter case; the first entry of a code wins. A dictionary is read-only
// after loading except for SetNameByCode; it is used from the thread that obtained it.
// Operations are in slot order.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class IDictionary : public IInterface {
 public:
  VELMOR_IID("{5975CF9F-82F5-429E-8CDE-38E776591488}")
  // 1: the name of a code; empty when absent.
  virtual std::string GetNameByCode(const std::string& code) = 0;
  // 2: the code of a name; empty when absent.
  virtual std::string GetCodeByName(const std::string& name) = 0;
  // 3, 4: all codes / all names, one per line ("\r\n"), in load order.
  virtual std::string GetCodesText() = 0;
  virtual std::string GetNamesText() = 0;
  // 5: true when the code exists and its name changed (database dictionaries store it too).
  virtual bool SetNameByCode(const std::string& code, const std::string& name) = 0;
  // 6: the entry's "yxbz"; empty when absent.
  virtual std::string GetYxbz(const std::string& code) = 0;
  // 7: the entry's source object as JSON text; empty when the code is absent or has no entry.
  virtual std::string GetItemJson(const std::string& code) = 0;

 protected:
  ~IDictionary() = default;
};

}  // namespace velmor
