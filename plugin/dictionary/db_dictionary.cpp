#include "dictionary/db_dictionary.h"

#include "dictionary/dict_access.h"
#include "framework/log.h"
#include "framework/plugin_service.h"
#include "velmor/code_name_dao.h"

namespace velmor {

namespace {
constexpr const char* kCodeNameDaoFailure = "创建平台组件接口[ICodeNameDAO]失败！";
}

void TDBDictionary::Load() {
  Ref<ICodeNameDAO> dao = CreatePluginService<ICodeNameDAO>(kCodeNameDaoFailure);
  nlohmann::json list = nlohmann::json::parse(dao->GetCodeNameList(Id), nullptr, false);
  if (!list.is_array()) return;
  for (const nlohmann::json& entry : list) {
    std::string code = MemberText(entry, "code"), name = MemberText(entry, "name");
    if (AddEntry(code, name)) Items.push_back(nlohmann::json{{"dm", code}, {"mc", name}});
  }
}

void TDBDictionary::StoreName(const std::string& code, const std::string& name) {
  Ref<ICodeNameDAO> dao = CreatePluginService<ICodeNameDAO>(kCodeNameDaoFailure);
  if (!dao->AddCodeName(Id, code, name)) LogText("TDBDictionary.SetNameByCode: 保存名称失败 " + code);
}

std::string TJdxzDBDictionary::GetNameByCode(const std::string& code) {
  std::string name = TDBDictionary::GetNameByCode(code);
  if (!name.empty() || code.empty()) return name;
  Ref<IRS_xzjd_sqcz> rule = GetXzjdSqczRule();
  return rule ? rule->GetJdxzName(code) : std::string();
}

std::string TSqczDBDictionary::GetNameByCode(const std::string& code) {
  std::string name = TDBDictionary::GetNameByCode(code);
  if (!name.empty() || code.empty()) return name;
  Ref<IRS_xzjd_sqcz> rule = GetXzjdSqczRule();
  return rule ? rule->GetSqczName(code) : std::string();
}

Ref<TDBDictionary> MakeDbDictionary(int32_t id) {
  Ref<TDBDictionary> d;
  if (id == 6) {
    d = New<TJdxzDBDictionary>();
  } else if (id == 7) {
    d = New<TSqczDBDictionary>();
  } else {
    d = New<TDBDictionary>(id);
  }
  d->Reload();
  return d;
}

}  // namespace velmor
