// TDzsbMgr: the electronic declaration (IDzsbMgr), registered as row 20 of the service table.
// The store is IRcsbDAO from the service factory. One object by one thread at a time.
#pragma once

#include <functional>
#include <string>

#include "business/business_object.h"
#include "velmor/dzsb_mgr.h"

namespace velmor {

class TDzsbMgr : public ServiceImpl<TSBBaseObj, IDzsbMgr> {
 public:
  VELMOR_PUBLISHED(TDzsbMgr, TSBBaseObj)

  bool SbSend(const std::string& rows, const std::string& bz, IProgressView* progress, std::string& yblsh,
              int32_t& id, std::string& message) override;
  bool GetSbFk(const std::string& yblsh, IProgressView* progress, std::string& result, std::string& message) override;

 private:
  bool Op(const char* op, std::string& message, const std::function<void()>& body);
};

}  // namespace velmor
