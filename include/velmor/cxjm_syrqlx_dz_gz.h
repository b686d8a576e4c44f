// ICxjmCbrytslbSyrqlxDzGzIntf: the applicable-group type (syrqlxDm) of a resident's insured-person
// special category (cbrytslbDm), rule "cxjmCbrytslbSyrqlxDzGz"; a row with category "%" applies
// to every category without a row of its own.
//
// Immutable after construction; any thread may read it.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

class ICxjmCbrytslbSyrqlxDzGzIntf : public IInterface {
 public:
  VELMOR_IID("{4877A543-9ACA-49EE-9F04-B62D6CDFDF0E}")
  // 1: true with syrqlxDm of the category's row, else of the "%" row. False with errorText
  // "适用人群类型对照配置异常" (syrqlxDm empty) when neither exists, the row's type is empty, or
  // the rule gives the category two different types.
  virtual bool GetSyrqlxDm(const std::string& cbrytslbDm, std::string& syrqlxDm, std::string& errorText) = 0;

 protected:
  ~ICxjmCbrytslbSyrqlxDzGzIntf() = default;
};

}  // namespace velmor
