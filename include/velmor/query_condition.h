// IQueryCondition: the base of every query condition the host passes to a data-access service.
//
// PageNo counts from 1; -1 (the default) means no paging. A store that pages appends
// " limit %d, %d" with (PageNo - 1) * PageSize and PageSize. Xm and Zjhm are substring criteria,
// ZjlxDm an equality criterion; AuxText and AuxValue belong to the derived conditions.
// ResetCondition restores the defaults (PageNo, PageSize, AuxValue -1; Xm, ZjlxDm, Zjhm empty)
// and keeps AuxText. Derived condition interfaces extend this one, so these slots keep their
// positions. Extends IBusinessObject. One thread at a time.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"

namespace velmor {

class IQueryCondition : public IBusinessObject {
 public:
  VELMOR_IID("{72A75A0E-9566-4B5C-8ED4-FC44B5CCC997}")
  using Base = IBusinessObject;
  virtual int32_t GetAuxValue() = 0;
  virtual std::string GetXm() = 0;
  virtual std::string GetZjhm() = 0;
  virtual std::string GetZjlxDm() = 0;
  virtual void SetAuxValue(int32_t value) = 0;
  virtual void SetXm(const std::string& value) = 0;
  virtual void SetZjhm(const std::string& value) = 0;
  virtual void SetZjlxDm(const std::string& value) = 0;
  virtual int32_t GetPageNo() = 0;
  virtual void SetPageNo(int32_t value) = 0;
  virtual int32_t GetPageSize() = 0;
  virtual void SetPageSize(int32_t value) = 0;
  virtual std::string GetAuxText() = 0;
  virtual void SetAuxText(const std::string& value) = 0;
  virtual void ResetCondition() = 0;

 protected:
  ~IQueryCondition() = default;
};

}  // namespace velmor
