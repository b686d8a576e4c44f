// The rules of a person's name: no character of the special-character table, not digits only,
// and a weighted length (Chinese characters 3, others 1) below 76. Pure; safe on any thread.
#pragma once

#include <string>
#include <string_view>

namespace velmor {

inline constexpr const char* kNameSpecialChar = "姓名存在特殊字符。";
inline constexpr const char* kNameAllDigits = "姓名不能是纯数字。";
inline constexpr const char* kNameTooLong = "姓名超过长度。";
inline constexpr const char* kNameEmpty = "姓名不能为空。";
inline constexpr int kNameMaxWeight = 75;

// The weighted length of a UTF-8 name; -1 for text that is not valid UTF-8.
int NameWeight(std::string_view name);
// True, or false with the rule's message (malformed UTF-8 counts as a special character).
bool CheckPersonName(std::string_view name, std::string& message);
// The common name rule of imports: not empty, and only Chinese characters, "-" and the middle
// dot "·" (valid UTF-8).
bool IsChineseName(std::string_view name);

}  // namespace velmor
