// TQueryCondition: the base query condition (IQueryCondition), with the paging fields and the
// common person criteria; TQueryConditionOf<I> is the same behind a derived condition interface,
// the base of every record type's condition:
//   class TFoo_QueryCondition : public TQueryConditionOf<IFoo_QueryCondition> {
//     ... VELMOR_PUBLISHED(TFoo_QueryCondition, TQueryConditionOf<IFoo_QueryCondition>, ...) };
//
// Published properties, in declaration order: PageNo, PageSize, AuxText, Xm, ZjlxDm, Zjhm,
// AuxValue. A new condition is reset (PageNo = PageSize = AuxValue = -1, texts empty).
// PagingSuffix gives the " limit %d, %d" a paging store appends. One thread at a time.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

#include "business/business_object.h"
#include "velmor/query_condition.h"

namespace velmor {

template <class I = IQueryCondition>
class TQueryConditionOf : public Implements<TBusinessObject, I> {
  static_assert(std::is_base_of_v<IQueryCondition, I>, "a query condition interface extends IQueryCondition");

 public:
  static constexpr std::string_view kClassName = "TQueryCondition";

  TQueryConditionOf() { ResetFields(); }

  int32_t GetAuxValue() override { return AuxValue; }
  std::string GetXm() override { return Xm; }
  std::string GetZjhm() override { return Zjhm; }
  std::string GetZjlxDm() override { return ZjlxDm; }
  void SetAuxValue(int32_t value) override { AuxValue = value; }
  void SetXm(const std::string& value) override { Xm = value; }
  void SetZjhm(const std::string& value) override { Zjhm = value; }
  void SetZjlxDm(const std::string& value) override { ZjlxDm = value; }
  int32_t GetPageNo() override { return PageNo; }
  void SetPageNo(int32_t value) override { PageNo = value; }
  int32_t GetPageSize() override { return PageSize; }
  void SetPageSize(int32_t value) override { PageSize = value; }
  std::string GetAuxText() override { return AuxText; }
  void SetAuxText(const std::string& value) override { AuxText = value; }
  // AuxText keeps its value. Derived conditions that override this call the base first.
  void ResetCondition() override { ResetFields(); }

  int32_t PageNo = -1;
  int32_t PageSize = -1;
  std::string AuxText;
  std::string Xm;
  std::string ZjlxDm;
  std::string Zjhm;
  int32_t AuxValue = -1;

  std::string_view ClassName() const override { return kClassName; }
  static std::span<const PropInfo> ClassProperties() {
    static const std::vector<PropInfo> table = JoinProps(
        TBusinessObject::ClassProperties(),
        {Prop<&TQueryConditionOf::PageNo>("PageNo", types::Integer),
         Prop<&TQueryConditionOf::PageSize>("PageSize", types::Integer),
         Prop<&TQueryConditionOf::AuxText>("AuxText", types::String),
         Prop<&TQueryConditionOf::Xm>("Xm", types::WideString),
         Prop<&TQueryConditionOf::ZjlxDm>("ZjlxDm", types::String),
         Prop<&TQueryConditionOf::Zjhm>("Zjhm", types::WideString),
         Prop<&TQueryConditionOf::AuxValue>("AuxValue", types::Integer)});
    return table;
  }
  std::span<const PropInfo> PublishedProperties() const override { return ClassProperties(); }

 private:
  // Not virtual on purpose: the constructor resets this class's fields only.
  void ResetFields() {
    PageNo = -1;
    PageSize = -1;
    Xm.clear();
    ZjlxDm.clear();
    Zjhm.clear();
    AuxValue = -1;
  }
};

class TQueryCondition : public TQueryConditionOf<IQueryCondition> {};

// " limit <offset>, <size>" for a condition that pages (PageNo not -1), "" otherwise, with offset
// (PageNo - 1) * PageSize computed in 64 bits so that it cannot overflow. SQLite reads a negative
// size as "no limit" and a negative offset as 0.
std::string PagingSuffix(IQueryCondition& qc);

}  // namespace velmor
