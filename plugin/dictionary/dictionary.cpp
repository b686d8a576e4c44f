#include "dictionary/dictionary.h"

#include "framework/log.h"

namespace velmor {

std::string MemberText(const nlohmann::json& object, const char* key) {
  if (!object.is_object()) return {};
  auto it = object.find(key);
  if (it == object.end()) return {};
  if (it->is_string()) return it->get<std::string>();
  if (it->is_number_integer()) return std::to_string(it->get<int64_t>());
  if (it->is_number()) return it->dump();
  return {};
}

std::string TDictionary::GetNameByCode(const std::string& code) {
  size_t i = Codes.IndexOf(code);
  return i == dict::NameList::kNotFound ? std::string() : Names.At(i);
}

std::string TDictionary::GetCodeByName(const std::string& name) {
  size_t i = Names.IndexOf(name);
  return i == dict::NameList::kNotFound ? std::string() : Codes.At(i);
}

bool TDictionary::SetNameByCode(const std::string& code, const std::string& name) {
  size_t i = Codes.IndexOf(code);
  if (i == dict::NameList::kNotFound || Names.At(i) == name) return false;
  Names.Set(i, name);
  if (i < Items.size() && Items[i].is_object()) Items[i]["mc"] = name;
  StoreName(Codes.At(i), name);
  return true;
}

std::string TDictionary::GetYxbz(const std::string& code) {
  size_t i = Codes.IndexOf(code);
  if (i == dict::NameList::kNotFound || i >= Items.size()) return {};
  return MemberText(Items[i], "yxbz");
}

std::string TDictionary::GetItemJson(const std::string& code) {
  size_t i = Codes.IndexOf(code);
  if (i == dict::NameList::kNotFound || i >= Items.size() || Items[i].is_null()) return {};
  return Items[i].dump();
}

void TDictionary::Reload() {
  Codes.Clear();
  Names.Clear();
  Items = nlohmann::json::array();
  Load();
}

bool TDictionary::AddEntry(const std::string& code, const std::string& name) {
  if (code.empty() || name.empty() || Codes.Contains(code)) return false;
  Codes.Add(code);
  Names.Add(name);
  return true;
}

TJSONDictionary::TJSONDictionary(const nlohmann::json& rule, std::string codeKey, std::string nameKey)
    : Rule(rule), CodeKey(std::move(codeKey)), NameKey(std::move(nameKey)) {}

void TJSONDictionary::Load() {
  LogScope scope("TJSONDictionary.Load");
  if (!Rule.is_object()) return;
  auto list = Rule.find("gzLb");
  if (list == Rule.end() || !list->is_array()) return;
  for (const nlohmann::json& entry : *list) {
    if (AddEntry(MemberText(entry, CodeKey.c_str()), MemberText(entry, NameKey.c_str()))) Items.push_back(entry);
  }
}

TRS_CbxzDictionary::TRS_CbxzDictionary(const nlohmann::json& rule) : TJSONDictionary(rule, "xzlxDm", "xzlxMc") {}

void TRS_CbxzDictionary::Load() {
  try {
    TJSONDictionary::Load();
  } catch (const std::exception& e) {
    LogException("TRS_CbxzDictionary.Load", e.what());
  }
}

TMzGzImpl::TMzGzImpl(const nlohmann::json& rule) : TJSONDictionary(rule) {}

void TMzGzImpl::Load() {
  try {
    TJSONDictionary::Load();
  } catch (const std::exception& e) {
    LogException("TMzGzImpl.Load", e.what());
  }
}

TQsgxDictionary::TQsgxDictionary() = default;

void TQsgxDictionary::Load() {
  static const char* const kPairs[][2] = {{"01", "配偶"},
                                          {"02", "子女"},
                                          {"03", "孙子、孙女，或外孙子、外孙女"},
                                          {"04", "父母"},
                                          {"05", "祖父母或外祖父母"},
                                          {"06", "兄、弟、姐、妹"}};
  for (const auto& p : kPairs) {
    if (AddEntry(p[0], p[1])) Items.push_back(nlohmann::json{{"dm", p[0]}, {"mc", p[1]}});
  }
}

}  // namespace velmor
