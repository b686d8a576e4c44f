#include "codec/json_cursor.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace velmor {

namespace {

// Bytes that end a plain run inside a string being decoded: the quote, the backslash, control
// characters (refused) and bytes of 0x80 and above (UTF-8 to check).
constexpr std::array<bool, 256> MakeStops() {
  std::array<bool, 256> t{};
  for (int c = 0; c < 256; ++c) t[c] = c < 0x20 || c >= 0x80 || c == '"' || c == '\\';
  return t;
}
constexpr std::array<bool, 256> kStop = MakeStops();

// The offset of the first quote, backslash or control character in [at, limit), else `limit`;
// `high` tells whether a byte of 0x80 or above was passed (UTF-8 for the caller to check).
// Sixteen bytes are looked at at once: the strings of a large answer (codes, dates, numbers as
// text) run a dozen bytes or more, its Chinese names a few characters.
size_t QuotedRunEnd(const char* s, size_t at, size_t limit, bool& high) {
#ifdef __SSE2__
  const __m128i quote = _mm_set1_epi8('"'), backslash = _mm_set1_epi8('\\'), control = _mm_set1_epi8(0x1F);
  unsigned highs = 0;
  for (; at + 16 <= limit; at += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at));
    // v <= 0x1F as unsigned bytes: the smaller of v and 0x1F is v.
    const __m128i stop = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, backslash)),
                                      _mm_cmpeq_epi8(_mm_min_epu8(v, control), v));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(stop));
    const auto top = static_cast<unsigned>(_mm_movemask_epi8(v));
    if (mask != 0) {
      high = highs != 0 || (top & (mask ^ (mask - 1))) != 0;  // the bytes up to the stop
      return at + static_cast<size_t>(__builtin_ctz(mask));
    }
    highs |= top;
  }
  high = highs != 0;
#else
  high = false;
#endif
  for (; at < limit; ++at) {
    const auto c = static_cast<unsigned char>(s[at]);
    if (c == '"' || c == '\\' || c < 0x20) break;
    high = high || c >= 0x80;
  }
  return at;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Writes cp (at most 0x10FFFF) as UTF-8 at w and moves w past it.
void PutUtf8(char*& w, uint32_t cp) {
  if (cp < 0x80) {
    *w++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *w++ = static_cast<char>(0xC0 | (cp >> 6));
    *w++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *w++ = static_cast<char>(0xE0 | (cp >> 12));
    *w++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *w++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *w++ = static_cast<char>(0xF0 | (cp >> 18));
    *w++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *w++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *w++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The bytes of a block of 64 (bit i for byte i) that a backslash escapes, from the block's
// backslashes and `carry`, 1 when the block's first byte is escaped by the block before; `carry`
// is set for the block after. A run of backslashes escapes the byte after it when its length is
// odd: the runs that start on an odd bit are found by adding them to their starts (the carry of
// the sum runs to their ends), without a branch per backslash.
uint64_t EscapedBytes(uint64_t backslashes, uint64_t& carry) {
  constexpr uint64_t kEvenBits = 0x5555555555555555ULL;
  backslashes &= ~carry;  // an escaped backslash escapes nothing
  const uint64_t followsBackslash = backslashes << 1 | carry;
  const uint64_t oddStarts = backslashes & ~kEvenBits & ~followsBackslash;
  uint64_t evenStartedRuns = 0;
  carry = __builtin_add_overflow(oddStarts, backslashes, &evenStartedRuns) ? 1 : 0;
  return (kEvenBits ^ (evenStartedRuns << 1)) & followsBackslash;
}

// The offset of the quote closing a string whose text starts at `from`; the text's size when
// there is none. Sixty-four bytes are looked at at once for quotes and backslashes: an answer
// carried in an envelope has an escaped quote every few bytes, too many to look back from each.
size_t ClosingQuote(std::string_view text, size_t from) {
  const char* const s = text.data();
  const size_t size = text.size();
  size_t at = from;
  uint64_t carry = 0;
#ifdef __SSE2__
  const __m128i quote = _mm_set1_epi8('"'), backslash = _mm_set1_epi8('\\');
  for (; at + 64 <= size; at += 64) {
    uint64_t quotes = 0, backslashes = 0;
    for (int k = 0; k < 4; ++k) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at + 16 * k));
      quotes |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, quote)))} << (16 * k);
      backslashes |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, backslash)))} << (16 * k);
    }
    const uint64_t closing = quotes & ~EscapedBytes(backslashes, carry);
    if (closing != 0) return at + static_cast<size_t>(__builtin_ctzll(closing));
  }
#endif
  for (bool escaped = carry != 0; at < size; ++at) {
    if (escaped) {
      escaped = false;
    } else if (s[at] == '\\') {
      escaped = true;
    } else if (s[at] == '"') {
      return at;
    }
  }
  return size;
}

}  // namespace

JsonCursor::Kind JsonCursor::Peek() {
  SkipBlanks();
  if (pos_ >= text_.size()) Fail();
  switch (text_[pos_]) {
    case '{': return Kind::kObject;
    case '[': return Kind::kArray;
    case '"': return Kind::kString;
    case 't': return Kind::kTrue;
    case 'f': return Kind::kFalse;
    case 'n': return Kind::kNull;
    default:
      if (text_[pos_] == '-' || IsDigit(text_[pos_])) return Kind::kNumber;
      Fail();
  }
}

void JsonCursor::BeginObject() {
  Expect('{');
  Enter();
}

bool JsonCursor::FirstOf(char close) {
  SkipBlanks();
  if (pos_ < text_.size() && text_[pos_] == close) {
    ++pos_;
    --depth_;
    return false;
  }
  return true;
}

bool JsonCursor::NextOf(char close) {
  SkipBlanks();
  if (pos_ >= text_.size()) Fail();
  if (text_[pos_] == ',') {
    ++pos_;
    return true;
  }
  if (text_[pos_] != close) Fail();
  ++pos_;
  --depth_;
  return false;
}

bool JsonCursor::FirstMember() { return FirstOf('}'); }
bool JsonCursor::NextMember() { return NextOf('}'); }

std::string_view JsonCursor::ReadKey(std::string& scratch, bool* escaped) {
  SkipBlanks();
  if (pos_ >= text_.size() || text_[pos_] != '"') Fail();
  std::string_view key = String(scratch, escaped);
  Expect(':');
  return key;
}

void JsonCursor::BeginArray() {
  Expect('[');
  Enter();
}

bool JsonCursor::FirstElement() { return FirstOf(']'); }
bool JsonCursor::NextElement() { return NextOf(']'); }

std::string_view JsonCursor::String(std::string& scratch, bool* escaped) {
  Expect('"');
  const size_t from = pos_;
  bool high;
  const size_t end = QuotedRunEnd(text_.data(), pos_, text_.size(), high);
  if (high) {
    PassUtf8Until(end);
  } else {
    pos_ = end;
  }
  if (pos_ >= text_.size()) Fail();
  const auto c = static_cast<unsigned char>(text_[pos_]);
  if (c == '"') {
    if (escaped) *escaped = false;
    return text_.substr(from, pos_++ - from);
  }
  if (c != '\\') Fail();  // a control character
  DecodeRest(from, scratch);
  if (escaped) *escaped = true;
  return scratch;
}

char* JsonCursor::DecodeUntil(size_t& position, size_t limit, char* w, bool& closed) {
  // The position is kept in a local (written back before any call that reads it), since stores
  // through `w` could otherwise alias it. Each byte is read before anything is written for it,
  // and no escape writes more than it reads, so `w` may trail the position in the same buffer.
  const char* const s = text_.data();
  const size_t size = text_.size();
  size_t at = position;
  closed = false;
  while (at < limit) {
    const auto c = static_cast<unsigned char>(s[at]);
    // A plain run byte by byte: the envelope's escaped text has an escape every few bytes, too
    // short a run to pay for looking at sixteen at once.
    if (!kStop[c]) {
      do {
        *w++ = s[at++];
      } while (at < limit && !kStop[static_cast<unsigned char>(s[at])]);
      continue;
    }
    if (c == '"') {
      position = at + 1;
      closed = true;
      return w;
    }
    pos_ = at;
    if (c >= 0x80) {
      PassUtf8();
      while (at < pos_) *w++ = s[at++];
      continue;
    }
    if (c != '\\') Fail();  // a control character
    if (++pos_ >= size) Fail();
    const char e = s[pos_++];
    switch (e) {
      case '"':
      case '\\':
      case '/': *w++ = e; break;
      case 'b': *w++ = '\b'; break;
      case 'f': *w++ = '\f'; break;
      case 'n': *w++ = '\n'; break;
      case 'r': *w++ = '\r'; break;
      case 't': *w++ = '\t'; break;
      case 'u': {
        uint32_t cp = Hex4();
        if (cp >= 0xDC00 && cp <= 0xDFFF) Fail();  // a low surrogate without its high half
        if (cp >= 0xD800 && cp <= 0xDBFF) {
          if (pos_ + 1 >= size || s[pos_] != '\\' || s[pos_ + 1] != 'u') Fail();
          pos_ += 2;
          const uint32_t low = Hex4();
          if (low < 0xDC00 || low > 0xDFFF) Fail();
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        }
        PutUtf8(w, cp);
        break;
      }
      default: Fail();
    }
    at = pos_;
  }
  position = at;
  return w;
}

void JsonCursor::DecodeRest(size_t from, std::string& out) {
  // Written through a pointer into room taken ahead: a large string (a whole answer carried in an
  // envelope, with a quote every few bytes) is decoded without a call per piece. Nothing decodes
  // longer than its source, so the room is checked once per stretch of source that cannot
  // overflow it rather than at every byte. The room doubles as it runs out, within the caller's
  // reserved capacity first (a scratch reused after a large string must not cost its whole
  // capacity for a short one).
  constexpr size_t kLongestEscape = 12;  // a surrogate pair, \uD83D\uDE00
  constexpr size_t kSlack = 4 * kLongestEscape;
  out.resize(pos_ - from + kSlack);
  std::memcpy(out.data(), text_.data() + from, pos_ - from);
  size_t written = pos_ - from;
  size_t at = pos_;
  for (;;) {
    char* const begin = out.data();
    // Up to `limit` at most kLongestEscape - 1 bytes more than the room left can be written.
    const size_t limit = std::min(text_.size(), at + (out.size() - written - kLongestEscape));
    bool closed = false;
    char* const w = DecodeUntil(at, limit, begin + written, closed);
    pos_ = at;
    if (closed) {
      out.resize(static_cast<size_t>(w - begin));
      return;
    }
    if (at >= text_.size()) Fail();  // no closing quote
    written = static_cast<size_t>(w - begin);
    const size_t doubled = std::max(2 * out.size(), written + kSlack);
    out.resize(out.capacity() >= written + kSlack ? std::min(doubled, out.capacity()) : doubled);
  }
}

size_t JsonCursor::StringTo(char* dest) {
  Expect('"');
  size_t at = pos_;
  bool closed = false;
  char* const end = DecodeUntil(at, text_.size(), dest, closed);
  pos_ = at;
  if (!closed) Fail();
  return static_cast<size_t>(end - dest);
}

size_t JsonCursor::DecodePart(size_t from, size_t to, char* dest) {
  const bool last = to == std::string_view::npos;
  size_t at = from;
  bool closed = false;
  char* const end = DecodeUntil(at, last ? text_.size() : to, dest, closed);
  pos_ = at;
  if (last ? !closed : closed || at != to) Fail();
  return static_cast<size_t>(end - dest);
}

std::string_view JsonCursor::RawString() {
  Expect('"');
  const size_t from = pos_;
  const size_t close = ClosingQuote(text_, from);
  if (close == text_.size()) {
    pos_ = close;
    Fail();
  }
  pos_ = close + 1;
  return text_.substr(from, close - from);
}

uint32_t JsonCursor::Hex4() {
  if (text_.size() - pos_ < 4) Fail();
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) {
    const int d = HexDigit(text_[pos_ + i]);
    if (d < 0) Fail();
    v = v * 16 + static_cast<uint32_t>(d);
  }
  pos_ += 4;
  return v;
}

void JsonCursor::PassUtf8Until(size_t end) {
  const char* const s = text_.data();
  while (pos_ < end) {
#ifdef __SSE2__
    if (pos_ + 16 <= end && _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + pos_))) == 0) {
      pos_ += 16;
      continue;
    }
#endif
    if (static_cast<unsigned char>(s[pos_]) < 0x80) ++pos_;
    else PassUtf8();
  }
}

void JsonCursor::PassUtf8() {
  // The well-formed sequences of RFC 3629: the second byte's range depends on the first.
  const auto at = [&](size_t i) { return static_cast<unsigned char>(text_[pos_ + i]); };
  const unsigned char b0 = at(0);
  size_t n;
  unsigned char lo = 0x80, hi = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    n = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 3;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    n = 4;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    Fail();
  }
  if (text_.size() - pos_ < n) Fail();
  if (at(1) < lo || at(1) > hi) Fail();
  for (size_t i = 2; i < n; ++i) {
    if (at(i) < 0x80 || at(i) > 0xBF) Fail();
  }
  pos_ += n;
}

std::string_view JsonCursor::Number() {
  SkipBlanks();
  const size_t from = pos_;
  const auto digits = [&] {
    const size_t start = pos_;
    while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    if (pos_ == start) Fail();
  };
  if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
  if (pos_ >= text_.size()) Fail();
  if (text_[pos_] == '0') {
    ++pos_;
  } else {
    digits();
  }
  if (pos_ < text_.size() && text_[pos_] == '.') {
    ++pos_;
    digits();
  }
  bool exponent = false;
  if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
    exponent = true;
    ++pos_;
    if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
    digits();
  }
  const std::string_view token = text_.substr(from, pos_ - from);
  // The general parser refuses a number beyond the range of a double ("2.5e400", or an integer
  // of over 300 digits); so does the cursor. Only such tokens can overflow, so only they are
  // converted here.
  if (exponent || token.size() > 300) {
    const std::string copy(token);
    if (!std::isfinite(std::strtod(copy.c_str(), nullptr))) {
      pos_ = from;
      Fail();
    }
  }
  return token;
}

void JsonCursor::Literal() {
  SkipBlanks();
  for (std::string_view word : {std::string_view("true"), std::string_view("false"), std::string_view("null")}) {
    if (text_.substr(pos_, word.size()) == word) {
      pos_ += word.size();
      return;
    }
  }
  Fail();
}

std::string_view JsonCursor::Skip() {
  const Kind kind = Peek();
  const size_t from = pos_;
  std::string scratch;
  switch (kind) {
    case Kind::kObject:
      BeginObject();
      for (bool more = FirstMember(); more; more = NextMember()) {
        Key(scratch);
        Skip();
      }
      break;
    case Kind::kArray:
      BeginArray();
      for (bool more = FirstElement(); more; more = NextElement()) Skip();
      break;
    case Kind::kString: String(scratch); break;
    case Kind::kNumber: Number(); break;
    default: Literal(); break;
  }
  return text_.substr(from, pos_ - from);
}

void JsonCursor::End() {
  SkipBlanks();
  if (pos_ != text_.size()) Fail();
}

bool JsonCursor::Accepts(std::string_view text) {
  try {
    JsonCursor c(text);
    c.Skip();
    c.End();
    return true;
  } catch (const Malformed&) {
    return false;
  }
}

}  // namespace velmor
