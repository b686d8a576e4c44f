// TSfzjlxGjGzImpl: rule "sfzjlxGjGz" (rows sfzjlxDm, gjDm) in two THashTables, document type to
// its countries and country to its document types (exact, case-sensitive keys). Rows with an
// empty code are left out. Immutable after construction.
#pragma once

#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "business/hash_table.h"
#include "dictionary/name_list.h"
#include "velmor/sfzjlx_gj_gz.h"

namespace velmor {

class TSfzjlxGjGzImpl : public Implements<TBusinessObject, ISfzjlxGjGzIntf> {
 public:
  VELMOR_PUBLISHED(TSfzjlxGjGzImpl, TBusinessObject)
  explicit TSfzjlxGjGzImpl(const nlohmann::json& rule = nullptr);
  std::string GetGjList(const std::string& sfzjlxDm) override { return Lookup(ByZjlx, sfzjlxDm); }
  std::string GetSfzjlxList(const std::string& gjDm) override { return Lookup(ByGj, gjDm); }

 private:
  static void Pair(THashTable& index, std::map<std::string, dict::SortedLines>& lists, const std::string& key,
                   const std::string& value);
  static std::string Lookup(THashTable& index, const std::string& key);

  // The lists live in the maps (stable node addresses); the tables point at them.
  std::map<std::string, dict::SortedLines> ZjlxLists, GjLists;
  THashTable ByZjlx, ByGj;
};

}  // namespace velmor
