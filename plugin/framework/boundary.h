// The failure boundary every service, manager and store operation puts around its body: nothing
// raises past it. A failure becomes one line in the host's debug log naming class and operation,
// the text the user reads (when the operation hands one back) and the operation's fallback result.
//
// The two log forms the conventions use:
//   LogForm::kTrailing:   "[TRcsbMgr.GetSbqk]异常：" + text
//   LogForm::kBracketed:  "[异常]TSysParamDaoImpl.getData：[" + text + "]"
// The user text: the rule's prefix followed by the failure's text (or the prefix alone), except for
// the operation's own refusals (the exception types named as template arguments), whose text
// stands as it is: their UserText() when they have one, else what().
//
//   return Guarded<taxml::Failure>({"TXnhMgr", "DjxxXz"}, {kXnhSystemError, false}, &ErrorMessage, false,
//                                  [&] { ...; return true; });
//
// Plain functions; the thread rule is the caller's (each call uses only its arguments and the log).
#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace velmor {

enum class LogForm { kTrailing, kBracketed };

// The text of an exception that is no std::exception: the stores log "unknown exception" and
// never show it; the services log and show "未知异常" (after the prefix when texts are appended).
enum class UnknownText { kLoggedOnly, kShown };

struct BoundarySite {
  std::string_view className;  // "TRcsbMgr"
  std::string_view op = {};    // "GetSbqk"; empty when className is already "Class.Op"
  LogForm form = LogForm::kTrailing;
};

struct UserTextRule {
  std::string_view prefix = {};  // "查询异常：", or the whole fallback text ("数据库查询失败。")
  bool appendText = true;        // prefix + the failure's text; false: the prefix alone
  UnknownText unknown = UnknownText::kLoggedOnly;
};

// Writes the exception line; never throws (a failing debugger must not hide the failure).
void LogFailure(LogForm form, std::string_view where, std::string_view text) noexcept;
void LogFailure(const BoundarySite& site, std::string_view text) noexcept;

namespace boundary_detail {

struct Caught {
  std::string logText;
  std::string ownText;  // the text of an own refusal
  bool own = false;
  bool standard = false;  // a std::exception (else: unknown)
};

template <class E>
std::string OwnText(const E& e) {
  if constexpr (requires { e.UserText(); }) return std::string(e.UserText());
  else return e.what();
}

// Classifies the exception being handled; call only inside a catch block.
template <class... Own>
struct Classify;

template <>
struct Classify<> {
  static void Current(Caught& c) {
    try {
      throw;
    } catch (const std::exception& e) {
      c.logText = e.what();
      c.standard = true;
    } catch (...) {
    }
  }
};

template <class E, class... Rest>
struct Classify<E, Rest...> {
  static void Current(Caught& c) {
    try {
      throw;
    } catch (const E& e) {
      c.logText = e.what();
      c.ownText = OwnText(e);
      c.own = true;
      c.standard = true;
    } catch (...) {
      Classify<Rest...>::Current(c);
    }
  }
};

// Logs the failure and answers the user text it gives under `rule`.
std::string Report(const BoundarySite& site, const UserTextRule& rule, const Caught& caught) noexcept;

}  // namespace boundary_detail

// Runs body() (which answers R); on any exception logs the line, sets *userText (when not null)
// and answers `fallback`. *userText is left alone on success.
template <class... Own, class R, class F>
R Guarded(const BoundarySite& site, const UserTextRule& rule, std::string* userText, R fallback, F&& body) noexcept {
  try {
    return std::forward<F>(body)();
  } catch (...) {
    boundary_detail::Caught caught;
    boundary_detail::Classify<Own...>::Current(caught);
    std::string text = boundary_detail::Report(site, rule, caught);
    if (userText) *userText = std::move(text);
  }
  return fallback;
}

// The same for a body that answers nothing: true when it returned normally.
template <class... Own, class F>
bool Attempt(const BoundarySite& site, const UserTextRule& rule, std::string* userText, F&& body) noexcept {
  return Guarded<Own...>(site, rule, userText, false, [&] {
    std::forward<F>(body)();
    return true;
  });
}

}  // namespace velmor
