// TDictMgr: the dictionary manager (IDictMgr), registered as row 1 of the service table. Holds
// the parsed rule file, the name maps of the dictionaries, and every dictionary and rule table
// built from them (created on first request, dropped after an update or reload).
//
// Main thread only (no lock). Tables handed out stay valid after the manager drops them.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "business/business_object.h"
#include "dictionary/name_list.h"
#include "velmor/dict_mgr.h"

namespace velmor {

// The resident services whose state decides the conditional name maps and requested rules.
enum class ResidentService { kPaymentRegistration, kBasicInformation };
// Whether a resident service is enabled: by default both need the residents' business line "5"
// among the portal agent's enabled lines, and the basic-information service also its function
// "M8300-01-19-01-00" in the configuration component; a missing component counts as disabled.
// A probe set here replaces that answer (tests); null restores the default.
void SetResidentServiceProbe(std::function<bool(ResidentService)> probe);

class TDictMgr : public ServiceImpl<TSBBaseObj, IDictMgr> {
 public:
  VELMOR_PUBLISHED(TDictMgr, TSBBaseObj)

  bool LoadRules() override;
  bool Update(const std::string& djxh, bool force) override;
  Ref<IDictionary> GetJsonDictionary(const std::string& name) override;
  Ref<IDictionary> GetDbDictionary(const std::string& name) override;
  Ref<IDictionary> GetRegionDictionary() override;
  bool QueryBusinessField(const std::string& yblsh, const std::string& djxh, const std::string& cxlx,
                          const std::string& cxcsnr, std::string& answer) override;
  std::string GetUpdateTime() override;
  std::string GetPreviousUpdateTime() override;
  Ref<IRS_xzjd_sqcz> GetXzjdSqczGz() override;
  Ref<IPmlxGz> GetPmlxGz() override;
  Ref<ICxjmFkssqGzIntf> GetCxjmFkssqGz() override;
  Ref<IDictionary> GetCbxzDictionary() override;
  Ref<IDictionary> GetMzGz() override;
  Ref<IDictionary> GetQsgxDictionary() override;
  Ref<ICbxmIntf> GetCbxmGz() override;
  Ref<IJfbzGzIntf> GetJfbzGz() override;
  Ref<IXzylgxGz> GetXzylgxGz() override;
  Ref<ISbjbjgZspmDzGz> GetSbjbjgZspmDzGz() override;
  Ref<IYhhbGzIntf> GetYhhbGz() override;
  Ref<ISfzjlxGjGzIntf> GetSfzjlxGjGz() override;
  Ref<IXzqhGzIntf> GetXzqhGz() override;
  Ref<IGrdjxzdzGzIntf> GetGrdjxzdzGz() override;
  Ref<IGrcbrytslbdzGzIntf> GetGrcbrytslbdzGz() override;
  Ref<ICxjmyjfedcGzIntf> GetCxjmyjfedcGz() override;
  Ref<IRyztGzIntf> GetRyztGz() override;
  Ref<IKeyValueGzIntf> GetSwryGz() override;
  Ref<ICxjmCbrytslbSyrqlxDzGzIntf> GetCxjmCbrytslbSyrqlxDzGz() override;
  Ref<IXnhflbsGzIntf> GetXnhflbsGz() override;
  std::string GetRuleSummary() override;
  std::string GetRuleFilePath() override;

  // The rule names an update asks for, in request order (public for the tests).
  std::vector<std::string> RequestedRules();

 private:
  struct NamePair {
    std::string dictName, source;
  };
  // The cached table of a rule, built as Impl(rule, extra...) on first request.
  template <class Impl, class I, class... Extra>
  Ref<I> RuleTable(const char* rule, Extra&&... extra);
  void BuildNameMaps();
  void DropCaches();
  // The rule object of a name in Rules (null when absent).
  const nlohmann::json& Rule(const std::string& name) const;
  // One "0002" exchange for the named rules; the answer's rule objects by name.
  // The rules the server sent among `names`. A rule whose rows are not a list is kept with no rows
  // and no md5 (so the next update asks for it again), logged, and its name added to `damaged`.
  std::map<std::string, nlohmann::json> FetchRules(const std::string& djxh, const std::vector<std::string>& names,
                                                   std::vector<std::string>& damaged);
  std::string BuildUpdateRequest(const std::string& djxh, const std::vector<std::string>& names);

  std::vector<NamePair> JsonDictNames, DbDictNames;
  std::map<std::string, Ref<IDictionary>> JsonDicts, DbDicts;
  std::string RuleFilePath, RegionFilePath;
  nlohmann::json Rules = nlohmann::json::object();
  std::string Swjgdm;
  bool Loaded = false;
  Ref<IDictionary> RegionDict, CbxzDict, MzDict, QsgxDict;
  Ref<IRS_xzjd_sqcz> XzjdSqcz;
  Ref<IPmlxGz> Pmlx;
  Ref<ICxjmFkssqGzIntf> CxjmFkssq;
  std::map<std::string, Ref<IInterface>> RuleTables;  // the other tables, by rule name
};

// Thrown inside Update for the failures with their own user message.
class DictUpdateError : public std::runtime_error {
 public:
  DictUpdateError(std::string userMessage, std::string where, const std::string& detail)
      : std::runtime_error(detail), UserMessage(std::move(userMessage)), Where(std::move(where)) {}
  std::string UserMessage, Where;
};

}  // namespace velmor
