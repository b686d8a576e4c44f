// ICxjmyjfedcGzIntf: the payable-amount grades of residents' insurance (rule "cxjmyjfedcGz"):
// grade rows (dcDm, dcmc) by agency, levy item, sub-item and detail, with the ranges nldq-nldz
// (age) and jfndq-jfndz (payment year), sex, applicable-group type and amounts; with its row item
// and item list.
//
// The table is immutable after construction; every query returns a new list of clones that
// belongs to the caller. Items are not locked: one thread at a time. Operations are in slot order.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/interface.h"
#include "velmor/items.h"
#include "velmor/ref.h"

namespace velmor {

class ICxjmyjfedcGzItem : public IInterface {
 public:
  VELMOR_IID("{6478132B-90E4-47EC-8DA0-B45F7C1CCBA9}")
  virtual std::string GetBzje() = 0;
  virtual std::string GetCzbtje() = 0;
  virtual std::string GetDcDm() = 0;
  virtual std::string GetDcmc() = 0;
  virtual std::string GetDtjfbz() = 0;
  virtual std::string GetGrsjje() = 0;
  virtual std::string GetJfndq() = 0;
  virtual std::string GetJfndz() = 0;
  virtual std::string GetNldq() = 0;
  virtual std::string GetNldz() = 0;
  virtual std::string GetSbjbjgDm() = 0;
  virtual std::string GetSex() = 0;
  virtual std::string GetSyrqlxDm() = 0;
  virtual std::string GetZfdjje() = 0;
  virtual std::string GetZspmDm() = 0;
  virtual std::string GetZsxmDm() = 0;
  virtual std::string GetZszmDm() = 0;
  virtual void SetBzje(const std::string& value) = 0;
  virtual void SetCzbtje(const std::string& value) = 0;
  virtual void SetDcDm(const std::string& value) = 0;
  virtual void SetDcmc(const std::string& value) = 0;
  virtual void SetDtjfbz(const std::string& value) = 0;
  virtual void SetGrsjje(const std::string& value) = 0;
  virtual void SetJfndq(const std::string& value) = 0;
  virtual void SetJfndz(const std::string& value) = 0;
  virtual void SetNldq(const std::string& value) = 0;
  virtual void SetNldz(const std::string& value) = 0;
  virtual void SetSbjbjgDm(const std::string& value) = 0;
  virtual void SetSex(const std::string& value) = 0;
  virtual void SetSyrqlxDm(const std::string& value) = 0;
  virtual void SetZfdjje(const std::string& value) = 0;
  virtual void SetZspmDm(const std::string& value) = 0;
  virtual void SetZsxmDm(const std::string& value) = 0;
  virtual void SetZszmDm(const std::string& value) = 0;
  // A new item with the same seventeen fields.
  virtual Ref<ICxjmyjfedcGzItem> Clone() = 0;

 protected:
  ~ICxjmyjfedcGzItem() = default;
};

class ICxjmyjfedcGzItems : public IItems {
 public:
  VELMOR_IID("{0741C28A-BB4D-48DA-BD49-D7AD61462AC9}")
  using Base = IItems;
  virtual Ref<ICxjmyjfedcGzItem> GetYjfedcItem(int32_t index) = 0;

 protected:
  ~ICxjmyjfedcGzItems() = default;
};

class ICxjmyjfedcGzIntf : public IInterface {
 public:
  VELMOR_IID("{9AC71AFD-8A59-448A-87C6-9A8D92DA2154}")
  // 1: clones of the rows of the agency, levy item and sub-item (letter case ignored; rows of
  // agency "%" too) whose zszmDm equals zszmDm and with jfndq <= jfnd <= jfndz (as texts), in rule
  // order.
  virtual Ref<ICxjmyjfedcGzItems> GetYjfedcList(const std::string& sbjbjgDm, const std::string& zsxmDm,
                                                const std::string& zspmDm, const std::string& zszmDm,
                                                const std::string& jfnd) = 0;
  // 2: as 1, further narrowed to a person: nldq <= age <= nldz (numbers; an empty bound open),
  // sex equal to the row's ("%" or empty in the row: any) and syrqlxDm likewise (an empty
  // syrqlxDm asks for any).
  virtual Ref<ICxjmyjfedcGzItems> GetYjfedcListOfPerson(const std::string& sbjbjgDm, const std::string& zsxmDm,
                                                        const std::string& zspmDm, const std::string& zszmDm,
                                                        const std::string& jfnd, int age, const std::string& sex,
                                                        const std::string& syrqlxDm) = 0;
  // 3: a clone of the grade dcDm among the rows of 1; null when absent.
  virtual Ref<ICxjmyjfedcGzItem> GetYjfedc(const std::string& sbjbjgDm, const std::string& zsxmDm,
                                           const std::string& zspmDm, const std::string& zszmDm,
                                           const std::string& jfnd, const std::string& dcDm) = 0;

 protected:
  ~ICxjmyjfedcGzIntf() = default;
};

}  // namespace velmor
