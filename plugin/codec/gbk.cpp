#include "codec/gbk.h"

#include <errno.h>
#include <iconv.h>

#include <cstdint>

#include "velmor/exceptions.h"

namespace velmor {
namespace {

// Length of the well-formed UTF-8 sequence at text[pos], or 0 when it is not one.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos) {
  const auto* s = reinterpret_cast<const uint8_t*>(text.data()) + pos;
  const std::size_t left = text.size() - pos;
  const uint8_t c = s[0];
  if (c < 0x80) return 1;
  std::size_t len;
  uint8_t lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    if (c == 0xE0) lo = 0xA0;  // overlong
    if (c == 0xED) hi = 0x9F;  // surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    if (c == 0xF0) lo = 0x90;  // overlong
    if (c == 0xF4) hi = 0x8F;  // past U+10FFFF
  } else {
    return 0;
  }
  if (left < len || s[1] < lo || s[1] > hi) return 0;
  for (std::size_t i = 2; i < len; ++i)
    if ((s[i] & 0xC0) != 0x80) return 0;
  return len;
}

std::string At(std::size_t pos) { return "（第" + std::to_string(pos + 1) + "字节）"; }

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw EConvertError(std::string("系统不支持从") + from + "到" + to + "的编码转换");
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts all of in. On a bad sequence returns false with *bad_pos its input offset.
  bool Run(std::string_view in, std::string* out, std::size_t* bad_pos) {
    out->assign(in.size() * 2 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    std::size_t done = 0;
    while (src_left > 0) {
      char* dst = out->data() + done;
      std::size_t dst_left = out->size() - done;
      const std::size_t rc = iconv(cd_, &src, &src_left, &dst, &dst_left);
      done = out->size() - dst_left;
      if (rc != static_cast<std::size_t>(-1)) break;
      if (errno == E2BIG) {
        out->resize(out->size() * 2);
        continue;
      }
      // EILSEQ (no mapping or malformed) or EINVAL (cut short at the end).
      *bad_pos = in.size() - src_left;
      return false;
    }
    out->resize(done);
    return true;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
  std::string out;
  std::size_t bad = 0;
  if (Converter("GBK", "UTF-8").Run(utf8, &out, &bad)) return out;
  // iconv reports malformed input and characters without a GBK form alike; tell them apart.
  const std::size_t n = Utf8SequenceLength(utf8, bad);
  if (n == 0) throw EConvertError("文本不是有效的UTF-8编码" + At(bad));
  throw EConvertError("字符“" + std::string(utf8.substr(bad, n)) + "”无法转换为GBK编码" + At(bad));
}

std::string GbkToUtf8(std::string_view gbk) {
  std::string out;
  std::size_t bad = 0;
  if (Converter("UTF-8", "GBK").Run(gbk, &out, &bad)) return out;
  throw EConvertError("文本不是有效的GBK编码" + At(bad));
}

}  // namespace velmor
