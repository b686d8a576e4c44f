#include "dictionary/rules/cbxm_impl.h"

#include "dictionary/dictionary.h"
#include "dictionary/rules/rs_xzjd_sqcz.h"
#include "framework/log.h"

namespace velmor {

namespace {
// The nested list of each level: types hold sub-items, sub-items hold details.
const char* const kNested[] = {"zspmLb", "zszmLb", nullptr};
}  // namespace

TCbxmImpl::TCbxmImpl(const nlohmann::json& rule) {
  try {
    AddLevel(RuleRows(rule), "", 0);
  } catch (const std::exception& e) {
    LogException("TCbxmImpl.Load", e.what());
  }
}

void TCbxmImpl::AddLevel(const nlohmann::json& entries, const std::string& parent, int depth) {
  if (!entries.is_array()) return;
  for (const nlohmann::json& entry : entries) {
    std::string dm = MemberText(entry, "dm"), mc = MemberText(entry, "mc");
    if (dm.empty() || mc.empty()) continue;
    std::string key = parent.empty() ? dm : parent + "#" + dm;
    if (Names.ValueOf(key).empty()) {  // a repeated key keeps its first name; its children merge
      Names.Add(key, mc);
      Children[dict::FoldCase(parent)].Add(key + "=" + mc);
    }
    const char* nested = kNested[depth];
    if (nested && entry.is_object()) {
      auto it = entry.find(nested);
      if (it != entry.end()) AddLevel(*it, key, depth + 1);
    }
  }
}

std::string TCbxmImpl::GetCbxmList(const std::string& parentKey) {
  try {
    auto it = Children.find(dict::FoldCase(parentKey));
    return it == Children.end() ? std::string() : it->second.Text();
  } catch (const std::exception& e) {
    LogException("TCbxmImpl.GetCbxmList", e.what());
    return {};
  }
}

}  // namespace velmor
