// ICxjmFkssqGzIntf: the fee period (first and last month, "yyyy-mm") of residents' insurance for
// a payment year, rule "cxjmFkssqGz".
//
// Immutable after construction; any thread may read it.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class ICxjmFkssqGzIntf : public IInterface {
 public:
  VELMOR_IID("{70FCEC90-EED3-4D56-9AD6-B711F2617D06}")
  // 1: the period of payment year `jfnd` for the key (key1 + key2, else key2 alone). Without a
  // row the whole year; false with errorText "城乡居民费款所属期配置异常" for a bad row.
  virtual bool GetFkssq(const std::string& key1, const std::string& key2, const std::string& jfnd,
                        std::string& fkssqq, std::string& fkssqz, std::string& errorText) = 0;

 protected:
  ~ICxjmFkssqGzIntf() = default;
};

}  // namespace velmor
