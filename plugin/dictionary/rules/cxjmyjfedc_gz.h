// TCxjmyjfedcGzImpl: the payable-amount grades of residents' insurance, rule "cxjmyjfedcGz":
// every row a TCxjmyjfedcGzItem (seventeen text fields) in an item list, indexed by a THashTable
// from the key agency_zsxm_zspm (folded to lower case) to the row positions. Immutable after
// construction; queries hand out clones.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "business/hash_table.h"
#include "business/items.h"
#include "velmor/cxjmyjfedc_gz.h"

namespace velmor {

class TCxjmyjfedcGzItem : public Implements<TBusinessObject, ICxjmyjfedcGzItem> {
 public:
  std::string bzje, czbtje, dcDm, dcmc, dtjfbz, grsjje, jfndq, jfndz, nldq, nldz, sbjbjgDm, sex, syrqlxDm, zfdjje, zspmDm, zsxmDm, zszmDm;
  VELMOR_PUBLISHED(TCxjmyjfedcGzItem, TBusinessObject,
                   Prop<&TCxjmyjfedcGzItem::bzje>("bzje", types::String),
                   Prop<&TCxjmyjfedcGzItem::czbtje>("czbtje", types::String),
                   Prop<&TCxjmyjfedcGzItem::dcDm>("dcDm", types::String),
                   Prop<&TCxjmyjfedcGzItem::dcmc>("dcmc", types::String),
                   Prop<&TCxjmyjfedcGzItem::dtjfbz>("dtjfbz", types::String),
                   Prop<&TCxjmyjfedcGzItem::grsjje>("grsjje", types::String),
                   Prop<&TCxjmyjfedcGzItem::jfndq>("jfndq", types::String),
                   Prop<&TCxjmyjfedcGzItem::jfndz>("jfndz", types::String),
                   Prop<&TCxjmyjfedcGzItem::nldq>("nldq", types::String),
                   Prop<&TCxjmyjfedcGzItem::nldz>("nldz", types::String),
                   Prop<&TCxjmyjfedcGzItem::sbjbjgDm>("sbjbjgDm", types::String),
                   Prop<&TCxjmyjfedcGzItem::sex>("sex", types::String),
                   Prop<&TCxjmyjfedcGzItem::syrqlxDm>("syrqlxDm", types::String),
                   Prop<&TCxjmyjfedcGzItem::zfdjje>("zfdjje", types::String),
                   Prop<&TCxjmyjfedcGzItem::zspmDm>("zspmDm", types::String),
                   Prop<&TCxjmyjfedcGzItem::zsxmDm>("zsxmDm", types::String),
                   Prop<&TCxjmyjfedcGzItem::zszmDm>("zszmDm", types::String))

  std::string GetBzje() override { return bzje; }
  std::string GetCzbtje() override { return czbtje; }
  std::string GetDcDm() override { return dcDm; }
  std::string GetDcmc() override { return dcmc; }
  std::string GetDtjfbz() override { return dtjfbz; }
  std::string GetGrsjje() override { return grsjje; }
  std::string GetJfndq() override { return jfndq; }
  std::string GetJfndz() override { return jfndz; }
  std::string GetNldq() override { return nldq; }
  std::string GetNldz() override { return nldz; }
  std::string GetSbjbjgDm() override { return sbjbjgDm; }
  std::string GetSex() override { return sex; }
  std::string GetSyrqlxDm() override { return syrqlxDm; }
  std::string GetZfdjje() override { return zfdjje; }
  std::string GetZspmDm() override { return zspmDm; }
  std::string GetZsxmDm() override { return zsxmDm; }
  std::string GetZszmDm() override { return zszmDm; }
  void SetBzje(const std::string& value) override { bzje = value; }
  void SetCzbtje(const std::string& value) override { czbtje = value; }
  void SetDcDm(const std::string& value) override { dcDm = value; }
  void SetDcmc(const std::string& value) override { dcmc = value; }
  void SetDtjfbz(const std::string& value) override { dtjfbz = value; }
  void SetGrsjje(const std::string& value) override { grsjje = value; }
  void SetJfndq(const std::string& value) override { jfndq = value; }
  void SetJfndz(const std::string& value) override { jfndz = value; }
  void SetNldq(const std::string& value) override { nldq = value; }
  void SetNldz(const std::string& value) override { nldz = value; }
  void SetSbjbjgDm(const std::string& value) override { sbjbjgDm = value; }
  void SetSex(const std::string& value) override { sex = value; }
  void SetSyrqlxDm(const std::string& value) override { syrqlxDm = value; }
  void SetZfdjje(const std::string& value) override { zfdjje = value; }
  void SetZspmDm(const std::string& value) override { zspmDm = value; }
  void SetZsxmDm(const std::string& value) override { zsxmDm = value; }
  void SetZszmDm(const std::string& value) override { zszmDm = value; }
  Ref<ICxjmyjfedcGzItem> Clone() override;
};

class TCxjmyjfedcGzItems : public TItemsOf<ICxjmyjfedcGzItems> {
 public:
  Ref<ICxjmyjfedcGzItem> GetYjfedcItem(int32_t index) override { return ItemAs<ICxjmyjfedcGzItem>(index); }
};

class TCxjmyjfedcGzImpl : public Implements<TBusinessObject, ICxjmyjfedcGzIntf> {
 public:
  VELMOR_PUBLISHED(TCxjmyjfedcGzImpl, TBusinessObject)
  explicit TCxjmyjfedcGzImpl(const nlohmann::json& rule = nullptr);

  Ref<ICxjmyjfedcGzItems> GetYjfedcList(const std::string& sbjbjgDm, const std::string& zsxmDm,
                                        const std::string& zspmDm, const std::string& zszmDm,
                                        const std::string& jfnd) override;
  Ref<ICxjmyjfedcGzItems> GetYjfedcListOfPerson(const std::string& sbjbjgDm, const std::string& zsxmDm,
                                                const std::string& zspmDm, const std::string& zszmDm,
                                                const std::string& jfnd, int age, const std::string& sex,
                                                const std::string& syrqlxDm) override;
  Ref<ICxjmyjfedcGzItem> GetYjfedc(const std::string& sbjbjgDm, const std::string& zsxmDm, const std::string& zspmDm,
                                   const std::string& zszmDm, const std::string& jfnd,
                                   const std::string& dcDm) override;

 private:
  // Positions of the rows of the key and, after them, of the key with agency "%", that pass the
  // detail and payment-year test of the first query.
  std::vector<int32_t> Candidates(const std::string& sbjbjgDm, const std::string& zsxmDm, const std::string& zspmDm,
                                  const std::string& zszmDm, const std::string& jfnd);
  TCxjmyjfedcGzItem& Row(int32_t i);

  Ref<TCxjmyjfedcGzItems> Rows;
  std::deque<std::vector<int32_t>> Positions;  // stable addresses for the index's objects
  THashTable Index;
};

}  // namespace velmor
