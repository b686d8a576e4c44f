#include "codec/xml_text.h"

#include "velmor/utf8.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace velmor {

void XmlAppendEscaped(std::string& out, std::string_view text) {
  size_t run = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char* entity;
    switch (text[i]) {
      case '&': entity = "&amp;"; break;
      case '<': entity = "&lt;"; break;
      case '>': entity = "&gt;"; break;
      case '\'': entity = "&apos;"; break;
      case '"': entity = "&quot;"; break;
      default: continue;
    }
    out.append(text.data() + run, i - run);
    out.append(entity);
    run = i + 1;
  }
  out.append(text.data() + run, text.size() - run);
}

size_t XmlUnescapeInto(char* out, std::string_view text) {
  static constexpr struct {
    std::string_view entity;
    char c;
  } kEntities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'}};
  char* o = out;
  size_t pos = 0;
  while (pos < text.size()) {
    const void* hit = std::memchr(text.data() + pos, '&', text.size() - pos);
    if (!hit) break;
    size_t amp = static_cast<size_t>(static_cast<const char*>(hit) - text.data());
    std::memmove(o, text.data() + pos, amp - pos);
    o += amp - pos;
    pos = amp + 1;
    std::string_view rest = text.substr(amp);
    char decoded = '&';
    for (const auto& e : kEntities) {
      if (rest.starts_with(e.entity)) {
        decoded = e.c;
        pos = amp + e.entity.size();
        break;
      }
    }
    *o++ = decoded;
  }
  std::memmove(o, text.data() + pos, text.size() - pos);
  o += text.size() - pos;
  return static_cast<size_t>(o - out);
}

namespace {

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Converts with iconv; a sequence the target lacks (or the source does not hold) becomes '?'
// and the input resumes after `skip` bytes of it (1, or the length of the UTF-8 sequence).
std::string Convert(std::string_view text, const char* to, const char* from, bool fromUtf8) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);
  std::string out;
  out.resize(text.size() * 2 + 16);
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  size_t used = 0;
  while (inLeft > 0) {
    char* dst = out.data() + used;
    size_t dstLeft = out.size() - used;
    size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    used = out.size() - dstLeft;
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ or EINVAL: replace one character.
    size_t skip = 1;
    if (fromUtf8) {
      unsigned char c = static_cast<unsigned char>(*in);
      skip = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
      if (skip > inLeft) skip = inLeft;
    }
    in += skip;
    inLeft -= skip;
    if (used == out.size()) out.resize(out.size() * 2);
    out[used++] = '?';
  }
  iconv_close(cd);
  out.resize(used);
  return out;
}

}  // namespace

std::string XmlUtf8ToAnsi(std::string_view text) {
  if (IsAscii(text) || !IsWellFormedUtf8(text)) return std::string(text);
  return Convert(text, "GBK", "UTF-8", true);
}

std::string XmlAnsiToUtf8(std::string_view text) {
  if (IsAscii(text) || IsWellFormedUtf8(text)) return std::string(text);
  return Convert(text, "UTF-8", "GBK", false);
}

}  // namespace velmor
