#include "framework/boundary.h"

#include "framework/log.h"

namespace velmor {

namespace {
constexpr std::string_view kUnknownLogged = "unknown exception";
constexpr std::string_view kUnknownShown = "未知异常";
}  // namespace

void LogFailure(LogForm form, std::string_view where, std::string_view text) noexcept {
  try {
    if (form == LogForm::kTrailing) {
      LogException(where, text);
    } else {
      std::string line = "[异常]";
      line.append(where).append("：[").append(text).append("]");
      LogMessage(line, {}, kLevelError);
    }
  } catch (...) {
  }
}

void LogFailure(const BoundarySite& site, std::string_view text) noexcept {
  try {
    std::string where(site.className);
    if (!site.op.empty()) where.append(".").append(site.op);
    LogFailure(site.form, where, text);
  } catch (...) {
  }
}

namespace boundary_detail {

std::string Report(const BoundarySite& site, const UserTextRule& rule, const Caught& caught) noexcept {
  try {
    const bool shown = rule.unknown == UnknownText::kShown;
    std::string_view text = caught.standard ? std::string_view(caught.logText) : shown ? kUnknownShown : kUnknownLogged;
    LogFailure(site, text);
    if (caught.own) return caught.ownText;
    std::string user(rule.prefix);
    if (rule.appendText && (caught.standard || shown)) user.append(text);
    return user;
  } catch (...) {
    return {};
  }
}

}  // namespace boundary_detail

}  // namespace velmor
