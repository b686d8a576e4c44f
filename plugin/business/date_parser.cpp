#include "business/date_parser.h"

#include "business/debug_log.h"
#include "framework/module.h"
#include "velmor/exceptions.h"

namespace velmor {
namespace {

std::string ReplaceAll(std::string s, std::string_view from, std::string_view to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
  return s;
}

std::string_view Trim(std::string_view s) {
  // Blanks as the classic Trim sees them: every control character and the space.
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

bool IsCompactDate(std::string_view s) {
  if (s.size() != 8) return false;
  for (char c : s)
    if (c == '-' || c == '/' || c == '.' || static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace

std::string NormaliseDateText(std::string_view text) {
  std::string s;
  if (IsCompactDate(text)) {
    s.append(text.substr(0, 4)).append("-").append(text.substr(4, 2)).append("-").append(text.substr(6, 2));
  } else {
    s = std::string(Trim(text));
    for (char& c : s)
      if (c == '.' || c == '/') c = '-';
    s = ReplaceAll(std::move(s), "年", "-");
    s = ReplaceAll(std::move(s), "月", "-");
    s = ReplaceAll(std::move(s), "日", "");
  }
  // Keep digits, ':', blanks and the first two '-'; drop everything else, whole characters.
  std::string out;
  int dashes = 0;
  for (char c : s) {
    if ((c >= '0' && c <= '9') || c == ':' || c == ' ') {
      out += c;
    } else if (c == '-' && dashes < 2) {
      ++dashes;
      out += c;
    }
  }
  return out;
}

TDateTime ParseDateText(std::string_view text) {
  TDateTime value;
  if (TryStrToDateTime(text, ProcessFormatSettings(), value)) return value;
  const std::string normalised = NormaliseDateText(text);
  if (TryStrToDateTime(normalised, ModuleFormatSettings(), value)) return value;
  const FormatSettings user = platform::GetUserLocaleSettings();
  if (TryStrToDateTime(normalised, user, value)) return value;
  // Like every logging helper, a failing debugger's exception reaches the caller (whose
  // assignment-error table then reports it as a general exception with the same message).
  WriteBusinessLog(normalised + "转为日期失败，当前日期格式：" + user.shortDateFormat);
  return StrToDateTime(normalised, user);  // raises the conversion error
}

}  // namespace velmor
