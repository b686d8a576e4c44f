// Text-encoding conversions between UTF-8 (the plug-in's own text) and GBK (the ANSI code page
// of request documents marked ANSI and of responses that are converted before parsing), through
// iconv.
//
// Stateless functions; each call opens its own converter, so they are safe from any thread.
#pragma once

#include <string>
#include <string_view>

namespace velmor {

// utf8 in GBK. Raises velmor::EConvertError when the text is not valid UTF-8
// ("文本不是有效的UTF-8编码（第N字节）") or holds a character that GBK cannot represent
// ("字符“X”无法转换为GBK编码（第N字节）"); N counts bytes of the input from 1. Nothing is
// replaced or dropped silently.
std::string Utf8ToGbk(std::string_view utf8);

// gbk in UTF-8. Raises velmor::EConvertError with "文本不是有效的GBK编码（第N字节）" when a byte
// sequence is not GBK (a lone lead byte at the end included).
std::string GbkToUtf8(std::string_view gbk);

}  // namespace velmor
