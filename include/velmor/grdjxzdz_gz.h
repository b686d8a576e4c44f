// IGrdjxzdzGzIntf: the insurance types (xzlxDm) a resident may register for, by personal status
// (grsfDm), special category (tsrylbDm) and region (xzqhDm), rule "grdjxzdzGz"; with its row
// item and item list.
//
// A row column "%" matches any code; codes are compared ignoring letter case. The table is
// immutable after construction; lists it returns are new and belong to the caller; the items in
// them are shared and read-only. Operations are in slot order.
#pragma once

#include <string>

#include "velmor/interface.h"
#include "velmor/items.h"
#include "velmor/ref.h"

namespace velmor {

class IGrdjxzdzGzItem : public IInterface {
 public:
  VELMOR_IID("{07E05FBC-E06D-405B-9F51-E88CEAE13950}")
  virtual std::string GetGrsfDm() = 0;
  virtual std::string GetTsrylbDm() = 0;
  virtual std::string GetXzqhDm() = 0;
  virtual std::string GetXzlxDm() = 0;

 protected:
  ~IGrdjxzdzGzItem() = default;
};

class IGrdjxzdzGzItems : public IItems {
 public:
  VELMOR_IID("{953D0796-105A-4333-90E3-DC5952C51D7D}")
  using Base = IItems;
  // The entry as a row item; null outside the range.
  virtual Ref<IGrdjxzdzGzItem> GetGrdjxzdzGzItem(int32_t index) = 0;

 protected:
  ~IGrdjxzdzGzItems() = default;
};

class IGrdjxzdzGzIntf : public IInterface {
 public:
  VELMOR_IID("{770E94B6-8BC8-4235-833E-358F682216A7}")
  // 1: the xzlxDm of the matching rows, one per line, sorted, without duplicates.
  virtual std::string GetXzlxList(const std::string& grsfDm, const std::string& tsrylbDm,
                                  const std::string& xzqhDm) = 0;
  // 2: the matching rows, in rule order.
  virtual Ref<IGrdjxzdzGzItems> GetItems(const std::string& grsfDm, const std::string& tsrylbDm,
                                         const std::string& xzqhDm) = 0;
  // 3: true when a matching row lists xzlxDm.
  virtual bool IsValidXzlx(const std::string& grsfDm, const std::string& tsrylbDm, const std::string& xzqhDm,
                           const std::string& xzlxDm) = 0;

 protected:
  ~IGrdjxzdzGzIntf() = default;
};

}  // namespace velmor
