// Database dictionaries: code tables of the local store's code/name pairs (ICodeNameDAO) by
// numeric category; a changed name is written back. TJdxzDBDictionary (category 6) and
// TSqczDBDictionary (7) answer codes the store lacks from the sub-district rule of the
// dictionary manager. One thread at a time.
#pragma once

#include <cstdint>

#include "dictionary/dictionary.h"

namespace velmor {

class TDBDictionary : public TDictionary {
 public:
  VELMOR_PUBLISHED(TDBDictionary, TDictionary)
  explicit TDBDictionary(int32_t id = 0) : Id(id) {}
  int32_t Identifier() const { return Id; }

 protected:
  void Load() override;
  void StoreName(const std::string& code, const std::string& name) override;
  int32_t Id;
};

class TJdxzDBDictionary : public TDBDictionary {
 public:
  VELMOR_PUBLISHED(TJdxzDBDictionary, TDBDictionary)
  TJdxzDBDictionary() : TDBDictionary(6) {}
  std::string GetNameByCode(const std::string& code) override;
};

class TSqczDBDictionary : public TDBDictionary {
 public:
  VELMOR_PUBLISHED(TSqczDBDictionary, TDBDictionary)
  TSqczDBDictionary() : TDBDictionary(7) {}
  std::string GetNameByCode(const std::string& code) override;
};

// The database dictionary of an identifier (6 and 7 get their own classes), loaded.
Ref<TDBDictionary> MakeDbDictionary(int32_t id);

}  // namespace velmor
