// The code tables: TDictionary (codes, names and source entries at equal positions) and the
// dictionaries built from rules of the rule file or built in. Database dictionaries are in
// db_dictionary.h.
//
// Built on the thread that asks the manager; read-only afterwards except SetNameByCode, so one
// thread at a time. The JSON entries are copies: a dictionary never refers to the manager's rules.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "dictionary/name_list.h"
#include "velmor/dictionary.h"

namespace velmor {

class TDictionary : public Implements<TBusinessObject, IDictionary> {
 public:
  VELMOR_PUBLISHED(TDictionary, TBusinessObject)

  std::string GetNameByCode(const std::string& code) override;
  std::string GetCodeByName(const std::string& name) override;
  std::string GetCodesText() override { return Codes.Text(); }
  std::string GetNamesText() override { return Names.Text(); }
  bool SetNameByCode(const std::string& code, const std::string& name) override;
  std::string GetYxbz(const std::string& code) override;
  std::string GetItemJson(const std::string& code) override;

  // Clears both lists and the entries, then reads the source again.
  void Reload();
  size_t Count() const { return Codes.Size(); }

 protected:
  // Reads the source (lists are empty when it is called).
  virtual void Load() {}
  // Takes a pair while loading; false when refused (empty code or name, code already present).
  virtual bool AddEntry(const std::string& code, const std::string& name);
  // Called by SetNameByCode after the name changed in memory.
  virtual void StoreName(const std::string& /*code*/, const std::string& /*name*/) {}

  dict::NameList Codes;
  dict::NameList Names;
  nlohmann::json Items = nlohmann::json::array();  // source entries, at the positions of Codes
};

// A code table from the "gzLb" array of one rule object; entries without "dm" or "mc" text, and
// repeated codes, are skipped, so the first entry of a code wins.
class TJSONDictionary : public TDictionary {
 public:
  VELMOR_PUBLISHED(TJSONDictionary, TDictionary)
  // rule: the rule object (copied); null or without a "gzLb" array gives an empty table.
  explicit TJSONDictionary(const nlohmann::json& rule = nullptr, std::string codeKey = "dm",
                           std::string nameKey = "mc");

 protected:
  void Load() override;
  nlohmann::json Rule;
  std::string CodeKey, NameKey;
};

// Insurance types (rule "cbxzGz"): entries use xzlxDm and xzlxMc.
class TRS_CbxzDictionary : public TJSONDictionary {
 public:
  VELMOR_PUBLISHED(TRS_CbxzDictionary, TJSONDictionary)
  explicit TRS_CbxzDictionary(const nlohmann::json& rule = nullptr);

 protected:
  void Load() override;
};

// Nationalities (rule "mzGz").
class TMzGzImpl : public TJSONDictionary {
 public:
  VELMOR_PUBLISHED(TMzGzImpl, TJSONDictionary)
  explicit TMzGzImpl(const nlohmann::json& rule = nullptr);

 protected:
  void Load() override;
};

// The built-in kinship table ("01" 配偶 .. "06" 兄、弟、姐、妹).
class TQsgxDictionary : public TDictionary {
 public:
  VELMOR_PUBLISHED(TQsgxDictionary, TDictionary)
  TQsgxDictionary();

 protected:
  void Load() override;
};

// Builds a dictionary and loads it (the constructors of derived classes cannot call the virtual
// Load themselves).
template <class T, class... Args>
Ref<T> MakeDictionary(Args&&... args) {
  Ref<T> d = New<T>(std::forward<Args>(args)...);
  d->Reload();
  return d;
}

// The text of a JSON member: a string as it is, a number in its plain form, else empty.
std::string MemberText(const nlohmann::json& object, const char* key);

}  // namespace velmor
