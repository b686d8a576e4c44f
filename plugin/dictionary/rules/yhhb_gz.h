// TYhhbGzImpl: the bank kinds of rule "yhhbGz" (rows yhhbDm, yhhbMc, yhhbJc, sjyhhbDm) in a
// THashTable keyed by yhhbDm (exact, case-sensitive); the first row of a code wins. Immutable
// after construction.
#pragma once

#include <deque>
#include <string>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "business/hash_table.h"
#include "velmor/yhhb_gz.h"

namespace velmor {

class TYhhbGzImpl : public Implements<TBusinessObject, IYhhbGzIntf> {
 public:
  VELMOR_PUBLISHED(TYhhbGzImpl, TBusinessObject)
  explicit TYhhbGzImpl(const nlohmann::json& rule = nullptr);
  std::string GetYhhbMc(const std::string& yhhbDm) override;

 private:
  struct Row {
    std::string yhhbDm, yhhbMc, yhhbJc, sjyhhbDm;
  };
  std::deque<Row> Rows;  // stable addresses for the table's object pointers
  THashTable Index;
};

}  // namespace velmor
