// Text helpers of the fast XML document: the five-entity escaping and unescaping, and the
// conversions of the output encodings (UTF-8 and the ANSI code page, GBK).
//
// Pure functions; safe on any thread.
#pragma once

#include <string>
#include <string_view>

namespace velmor {

// Appends `text` with &, <, >, ' and " written as &amp; &lt; &gt; &apos; &quot;.
void XmlAppendEscaped(std::string& out, std::string_view text);
// Writes `text` to `out` (room for text.size() bytes; `out` may be text.data() itself, for
// decoding in place) with those five entities decoded, each
// occurrence once: "&amp;lt;" gives "&lt;". Other references (numeric ones included) stay as
// they are. Returns the bytes written.
size_t XmlUnescapeInto(char* out, std::string_view text);

// The output conversions replace what they cannot convert instead of raising (as the codec's
// Utf8ToGbk/GbkToUtf8 do), so that writing a document never fails on one odd character.
// UTF-8 to GBK; characters GBK lacks become '?'. Text that is not valid UTF-8 is returned as is.
std::string XmlUtf8ToAnsi(std::string_view text);
// GBK to UTF-8 for text that is not valid UTF-8 already (valid UTF-8 is returned as is);
// bytes that are not GBK become '?'.
std::string XmlAnsiToUtf8(std::string_view text);

}  // namespace velmor
