// TQuerySbzbInfDAO: a paged person-level query over declared rows. Each page is held as a keyed
// data pack (store/base_pack_data.h) of person rows, keyed by identity document (zjlx + zjhm),
// so the host can step through the page or find one person by document.
//
// The condition is a JSON object; the payer is its "djxh", else the host's current payer. Owned
// by its creator; one thread at a time (the last-error text is the object's own).
#pragma once

#include <cstdint>
#include <string>

#include "store/base_pack_data.h"

namespace velmor {

class TQuerySbzbInfDAO : public TBasePackDataImp {
 public:
  TQuerySbzbInfDAO();

  // Loads one page (from 1; -1 for all) of the payer's declared persons (masters in state 2 or
  // 6), distinct, with their roster group's "fullname". Filters of `condition`: xm and zjhm (part
  // of), zjlx, jfnd, xzjddm, sqhczdm, zsxmdm, zspmdm, zszmdm equal; sbrqq/sbrqz the declaration
  // days; fkssqq/fkssqz a fee period the person's must overlap; fzid a roster group (with its
  // subgroups; empty or "-1" for any). Answers false with ErrorMessage() on failure (the pack is
  // then empty); Total() is the count of all pages.
  bool Query(const std::string& condition, int32_t page, int32_t pageSize);
  int32_t Total() const { return total_; }
  const std::string& ErrorMessage() const { return errorMessage_; }

  std::string GetKey(const Data& data) const override;
  int CompareData(const Data& a, const Data& b) const override;

 private:
  int32_t total_ = 0;
  std::string errorMessage_;
};

}  // namespace velmor
