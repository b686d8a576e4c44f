// The records of the residents' payment registration (jfdj: 缴费登记), one interface shared by
// its eight item families: a record carries exactly the columns of its family's table, by name,
// as text (IJfdjItem); a list of them (IJfdjItems); and the query condition of a family's reads
// (IJfdjQueryCondition), whose named fields filter when not empty.
//
//   family      table               family      table
//   Jfdj_Ry     ds_jfdjryb          Jfdjjl      ds_jfdjjlb
//   Jfdj_Xz     ds_jfdjxzb          Jfdjjl_Ry   ds_jfdjjlryb
//   Ryjbxx      sb_ryjbxxb+sb_fzxxb Jfdjjl_Xz   ds_jfdjjlxzb
//   Rycbxm      sb_rycbxmb          Xnhcbxm     sb_xnhcbxmb
//
// Reference-counted, created by the service's factory operations; one thread at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "velmor/business_object.h"
#include "velmor/items.h"
#include "velmor/query_condition.h"
#include "velmor/ref.h"

namespace velmor {

class IJfdjItem : public IBusinessObject {
 public:
  VELMOR_IID("{81E3ECF7-3087-47F8-AF8D-DF0144E7B7F1}")
  using Base = IBusinessObject;
  // "Jfdj_Ry", "Jfdjjl_Xz", ...
  virtual std::string GetFamily() = 0;
  // The family's columns in table order.
  virtual std::vector<std::string> GetColumns() = 0;
  // A column's text; "" when unset. Raises nothing: an unknown column reads "".
  virtual std::string Get(const std::string& column) = 0;
  // False (and nothing set) for a column the family does not have.
  virtual bool Set(const std::string& column, const std::string& value) = 0;
  // The row id ("id" as a number; 0 for a record not stored yet).
  virtual int64_t GetId() = 0;
  virtual void SetId(int64_t id) = 0;

 protected:
  ~IJfdjItem() = default;
};

class IJfdjItems : public IItems {
 public:
  VELMOR_IID("{6867C6DE-2286-4688-8E88-D9295FAEB9C5}")
  using Base = IItems;
  virtual std::string GetFamily() = 0;
  // The entry as a record; null outside the range.
  virtual Ref<IJfdjItem> GetRecord(int32_t index) = 0;

 protected:
  ~IJfdjItems() = default;
};

// Fields beyond xm, zjlxDm and zjhm of IQueryCondition, by name: "czlx", "id", "zbid",
// "jgbz" (result filter: "1" accepted, "2" rejected), "zt", "tjsjq", "tjsjz", "rydjxh", "rybh",
// "sbjbjgdm", "swjgDm", "xzlxDm", "dsXzqhDm". Each read uses the fields its table has.
class IJfdjQueryCondition : public IQueryCondition {
 public:
  VELMOR_IID("{D97AB5F9-5C5A-4F3B-9200-9AB7046DC2CB}")
  using Base = IQueryCondition;
  virtual std::string GetFamily() = 0;
  virtual std::string GetField(const std::string& name) = 0;
  // False for a name not in the list above.
  virtual bool SetField(const std::string& name, const std::string& value) = 0;

 protected:
  ~IJfdjQueryCondition() = default;
};

}  // namespace velmor
