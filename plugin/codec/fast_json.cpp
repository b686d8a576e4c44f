#include "codec/fast_json.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "codec/base64.h"
#include "codec/crc16.h"
#include "codec/gzip.h"
#include "velmor/exceptions.h"

namespace velmor {

namespace {

// An answer is unpacked and scanned in pieces of this size.
constexpr size_t kUnpackPiece = size_t{1} << 20;

inline bool IsBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

inline char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool SameFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

int HexDigit(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Byte classes of the run loop: 0 ordinary, 1 ordinary but marks the value (below 32, or 127
// and above), 2 has a handler.
constexpr std::array<uint8_t, 256> MakeClasses() {
  std::array<uint8_t, 256> t{};
  for (int c = 0; c < 256; ++c) t[c] = (c < 32 || c >= 127) ? 1 : 0;
  for (unsigned char c : {'"', ',', ':', '\\', '{', '}'}) t[c] = 2;
  return t;
}
constexpr std::array<uint8_t, 256> kClass = MakeClasses();

constexpr std::array<uint8_t, 256> MakeFold() {
  std::array<uint8_t, 256> t{};
  for (int c = 0; c < 256; ++c) t[c] = static_cast<uint8_t>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return t;
}
constexpr std::array<uint8_t, 256> kFold = MakeFold();

// Crc16(name, seed, true) of the codec, with the folding through a table.
inline uint16_t NameCrc(std::string_view name, uint16_t seed) {
  const auto& table = Crc16Table();
  uint16_t crc = seed;
  for (char c : name) crc = static_cast<uint16_t>((crc >> 8) ^ table[(kFold[static_cast<unsigned char>(c)] ^ crc) & 0xFF]);
  return crc;
}

// The first '"' or '\\' from p (or end); sets *marked when a byte below 32 or of 127 and above
// comes before it. Sixteen bytes a step where SSE2 is there.
[[gnu::always_inline]] inline const unsigned char* QuotedRun(const unsigned char* p, const unsigned char* end,
                                                            bool* marked) {
#if defined(__SSE2__)
  const __m128i quote = _mm_set1_epi8('"'), backslash = _mm_set1_epi8('\\');
  const __m128i space = _mm_set1_epi8(0x20), del = _mm_set1_epi8(0x7F);
  while (end - p >= 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    unsigned stop = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, backslash))));
    // Signed compare: bytes of 128 and above are negative, so below 0x20 too.
    unsigned mark = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmplt_epi8(v, space), _mm_cmpeq_epi8(v, del))));
    if (stop) {
      int i = __builtin_ctz(stop);
      if (mark & ((1u << i) - 1)) *marked = true;
      return p + i;
    }
    if (mark) *marked = true;
    p += 16;
  }
#endif
  for (; p < end && *p != '"' && *p != '\\'; ++p) {
    if (kClass[*p] == 1) *marked = true;
  }
  return p;
}

}  // namespace

// The scan of one Parse call: the state of the current token, record and escape, kept across
// the chunks of the call.
class TFastParseJson::Scanner {
 public:
  explicit Scanner(TFastParseJson& r) : r_(r) { r_.len_ = 0; }

  void Chunk(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    chunk_begin_ = text.data();
    chunk_end_ = text.data() + text.size();
    at_ = chunk_begin_;
    while (p < end) {
      if (__builtin_expect(escape_ != kNoEscape || high_ != 0, 0)) {
        if (escape_ != kNoEscape) {
          Escaped(*p++);
          continue;
        }
        if (*p != '\\') FlushHighSurrogate();
      }
      if (*p == '"' && (!open_ || (value_ && !quoted_ && r_.len_ == 0))) {
        // A quoted name or value starts; when it ends within this run it is read in place,
        // without going through the token buffer.
        bool marked = false;
        const unsigned char* q = QuotedRun(p + 1, end, &marked);
        if (q < end && *q == '"') {
          std::string_view token(reinterpret_cast<const char*>(p + 1), static_cast<size_t>(q - p - 1));
          p = q + 1;
          if (open_) {
            quoted_ = true;
            marked_ = marked;
            EndValue(token);
            continue;
          }
          value_ = false;
          name_done_ = true;
          name_ = token;
          // The usual "name":"value" goes on here: the colon, then the value's opening quote.
          if (p < end && *p == ':') {
            at_ = reinterpret_cast<const char*>(++p);
            OnColon();
          }
          continue;
        }
      }
      if (Handler h = kDispatch[*p]) {
        at_ = reinterpret_cast<const char*>(++p);
        (this->*h)();
        continue;
      }
      if (!open_) {
        ++p;
        continue;
      }
      if (!quoted_ && r_.len_ == 0) {  // blanks at the start of an unquoted value
        while (p < end && IsBlank(*p)) ++p;
        if (p == end || kClass[*p] == 2) continue;
      }
      const unsigned char* q;
      if (quoted_) {  // inside quotes only '"' and '\\' end a run; the other handlers would append
        q = QuotedRun(p, end, &marked_);
      } else {
        uint8_t k, marks = 0;
        for (q = p; q < end && (k = kClass[*q]) != 2; ++q) marks |= k;
        marked_ |= marks != 0;
      }
      r_.Append(reinterpret_cast<const char*>(p), static_cast<size_t>(q - p));
      p = q;
    }
    // A name read in place must outlive this chunk's text: into the token buffer with it.
    if (name_done_ && name_.data() != r_.buf_) {
      r_.len_ = 0;
      r_.Append(name_.data(), name_.size());
      name_ = Token();
    }
  }

  // The end of the call's text (dispatch entry 256): an unfinished record is dropped.
  void Finish() { (this->*kDispatch[256])(); }

  int added() const { return added_; }

 private:
  using Handler = void (Scanner::*)();
  static const std::array<Handler, 257> kDispatch;

  enum Escape : uint8_t { kNoEscape, kBackslash, kHex };

  std::string_view Token() const { return std::string_view(r_.buf_, r_.len_); }
  void OpenToken(bool quoted) {
    open_ = true;
    quoted_ = quoted;
    marked_ = false;
    r_.len_ = 0;
  }
  bool InQuoted() const { return open_ && quoted_; }

  void OnQuote() {
    if (InQuoted()) {
      open_ = false;
      if (value_) {
        EndValue(Token());
      } else {
        name_done_ = true;
        name_ = Token();
      }
      return;
    }
    if (open_ && value_) {
      if (r_.len_ == 0) {  // only blanks so far: the value is a quoted one
        quoted_ = true;
        return;
      }
      EndValue(Token());
    }
    value_ = false;
    name_done_ = false;
    OpenToken(true);
  }

  void OnColon() {
    if (InQuoted()) return r_.AppendChar(':');
    // The token read so far is the field name (outside a record it names nothing).
    std::string_view name = open_ ? Token() : name_done_ ? name_ : std::string_view();
    if (!in_record_) {
    } else if (r_.hashed_) {
      // Records mostly repeat the field order of the first one: the field after the previous
      // one is tried first, by its exact name; any other name goes through the hash.
      if (next_field_ < r_.names_.size() && r_.names_[next_field_] == name) {
        field_ = static_cast<int>(next_field_);
      } else {
        field_ = r_.LookUp(NameCrc(name, static_cast<uint16_t>(r_.seed_)), name);
        if (field_ < 0) throw Exception(std::string(kFieldNotFound) + std::string(name));
      }
      next_field_ = static_cast<size_t>(field_) + 1;
    } else {
      pending_name_.assign(name);
    }
    name_done_ = false;
    value_ = true;
    OpenToken(false);
  }

  void OnComma() {
    if (InQuoted()) return r_.AppendChar(',');
    if (open_ && value_) EndValue(Token());
    name_done_ = false;
  }

  void OnBackslash() {
    if (InQuoted()) escape_ = kBackslash;
  }

  void OnOpenBrace() {
    if (InQuoted()) return r_.AppendChar('{');
    // A new record; one left open (nested or cut short) is dropped.
    in_record_ = true;
    open_ = false;
    value_ = false;
    name_done_ = false;
    mask_ = 0;
    next_field_ = 0;
    if (r_.hashed_) {
      r_.BeginRecord();
    } else {
      r_.names_.clear();
      values_.clear();
    }
  }

  void OnCloseBrace() {
    if (InQuoted()) return r_.AppendChar('}');
    if (open_ && value_) EndValue(Token());
    open_ = false;
    value_ = false;
    name_done_ = false;
    if (!in_record_) return;
    in_record_ = false;
    if (!r_.hashed_) {
      r_.BuildHash();
      // Room for as many records as the rest of the text holds records of this size (but never
      // more bookkeeping than the text is long).
      size_t used = static_cast<size_t>(at_ - chunk_begin_), left = static_cast<size_t>(chunk_end_ - at_);
      size_t perRecord = sizeof(Slot) + r_.names_.size() * sizeof(Span);
      r_.ReserveRecords(r_.records_.size() + 1 + std::min(left / std::max<size_t>(used, 1), left / perRecord));
      r_.BeginRecord();
      for (size_t i = 0; i < values_.size(); ++i) r_.StoreValue(static_cast<int>(i), values_[i]);
      values_.clear();
    }
    r_.EndRecord(mask_);
    ++added_;
  }

  void OnEnd() {
    if (in_record_) {
      if (r_.hashed_) {
        r_.DropRecord();
      } else {
        r_.names_.clear();
      }
    }
    in_record_ = false;
    open_ = false;
    name_done_ = false;
    escape_ = kNoEscape;
    high_ = 0;
  }

  // Ends the value whose raw text is v (the token buffer, or the input itself).
  void EndValue(std::string_view v) {
    open_ = false;
    value_ = false;
    if (!in_record_) return;
    if (!quoted_) {
      // Layout blanks after an unquoted value are not part of it (nor of its mark).
      while (!v.empty() && IsBlank(static_cast<unsigned char>(v.back()))) v.remove_suffix(1);
      if (v == "null") v = {};
      marked_ = false;
      for (char c : v) marked_ |= kClass[static_cast<unsigned char>(c)] == 1;
    }
    int field;
    if (r_.hashed_) {
      field = field_;
      r_.StoreValue(field, v);
    } else {
      // First record: learn the name; a repeated name sets the same field again.
      field = -1;
      for (size_t i = 0; i < r_.names_.size(); ++i) {
        if (r_.names_[i] == pending_name_) field = static_cast<int>(i);
      }
      if (field < 0) {
        if (r_.names_.size() >= static_cast<size_t>(kMaxFields)) throw Exception(kTooManyFields);
        r_.names_.push_back(pending_name_);
        values_.emplace_back();
        field = static_cast<int>(r_.names_.size() - 1);
      }
      values_[field].assign(v.data(), v.size());
    }
    if (marked_) mask_ |= uint32_t{1} << field;
  }

  // The character after a backslash, and the digits of \uXXXX.
  void Escaped(unsigned char c) {
    if (escape_ == kBackslash) {
      escape_ = kNoEscape;
      if (c != 'u') FlushHighSurrogate();
      switch (c) {
        case '"': case '\\': case '/': return r_.AppendChar(static_cast<char>(c));
        case 'b': return Put('\b');
        case 'f': return Put('\f');
        case 'n': return Put('\n');
        case 'r': return Put('\r');
        case 't': return Put('\t');
        case 'u':
          escape_ = kHex;
          hex_digits_ = 0;
          hex_value_ = 0;
          return;
        default: return;  // an unknown escape is dropped
      }
    }
    int d = HexDigit(c);
    if (d < 0) {  // a broken \u escape is dropped; the character is read normally
      escape_ = kNoEscape;
      FlushHighSurrogate();
      Reread(c);
      return;
    }
    hex_value_ = hex_value_ * 16 + static_cast<uint32_t>(d);
    if (++hex_digits_ < 4) return;
    escape_ = kNoEscape;
    CodePoint(hex_value_);
  }

  void Reread(unsigned char c) {
    if (Handler h = kDispatch[c]) {
      (this->*h)();
    } else if (open_) {
      Put(static_cast<char>(c));
    }
  }

  void Put(char c) {
    if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) >= 127) marked_ = true;
    r_.AppendChar(c);
  }

  void CodePoint(uint32_t cp) {
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      FlushHighSurrogate();
      high_ = cp;
      return;
    }
    if (cp >= 0xDC00 && cp <= 0xDFFF) {
      if (!high_) return Utf8(0xFFFD);
      cp = 0x10000 + ((high_ - 0xD800) << 10) + (cp - 0xDC00);
      high_ = 0;
      return Utf8(cp);
    }
    FlushHighSurrogate();
    Utf8(cp);
  }
  void FlushHighSurrogate() {
    if (high_) {
      high_ = 0;
      Utf8(0xFFFD);
    }
  }
  void Utf8(uint32_t cp) {
    if (cp < 0x80) return Put(static_cast<char>(cp));
    if (cp < 0x800) {
      Put(static_cast<char>(0xC0 | (cp >> 6)));
    } else if (cp < 0x10000) {
      Put(static_cast<char>(0xE0 | (cp >> 12)));
      Put(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    } else {
      Put(static_cast<char>(0xF0 | (cp >> 18)));
      Put(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      Put(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    }
    Put(static_cast<char>(0x80 | (cp & 0x3F)));
  }

  static std::array<Handler, 257> MakeDispatch() {
    std::array<Handler, 257> t{};
    t['"'] = &Scanner::OnQuote;
    t[','] = &Scanner::OnComma;
    t[':'] = &Scanner::OnColon;
    t['\\'] = &Scanner::OnBackslash;
    t['{'] = &Scanner::OnOpenBrace;
    t['}'] = &Scanner::OnCloseBrace;
    t[256] = &Scanner::OnEnd;
    return t;
  }

  TFastParseJson& r_;
  bool in_record_ = false;
  bool open_ = false;       // a token is open
  bool quoted_ = false;     // ... and it is a quoted one
  bool value_ = false;      // the open token is a value (else a name)
  bool name_done_ = false;  // a quoted name was closed and waits for its ':'
  bool marked_ = false;     // the value holds a byte below 32 or of 127 and above
  Escape escape_ = kNoEscape;
  int hex_digits_ = 0;
  uint32_t hex_value_ = 0;
  uint32_t high_ = 0;  // a high surrogate waiting for its low half
  int field_ = -1;     // the field of the value being read (after the first record)
  size_t next_field_ = 0;  // the field expected next
  std::string_view name_;  // the name read last, waiting for its ':'

  std::string pending_name_;  // the name of the value being read (first record)
  uint32_t mask_ = 0;
  std::vector<std::string> values_;  // the first record, until the names are hashed
  const char* chunk_begin_ = nullptr;
  const char* chunk_end_ = nullptr;
  const char* at_ = nullptr;  // just after the character being handled
  int added_ = 0;
};

const std::array<TFastParseJson::Scanner::Handler, 257> TFastParseJson::Scanner::kDispatch =
    TFastParseJson::Scanner::MakeDispatch();

TFastParseJson::TFastParseJson(size_t initialBufferSize) {
  buf_ = static_cast<char*>(std::malloc(initialBufferSize));
  if (!buf_) throw Exception(kOutOfMemory);
  cap_ = initialBufferSize;
}

TFastParseJson::~TFastParseJson() {
  std::free(buf_);
  for (const Block& b : blocks_) std::free(b.data);
}

void TFastParseJson::BeginRecord() {
  DropRecord();
  const size_t record = records_.size();
  if (record / kChunkRecords >= span_chunks_.size())
    span_chunks_.push_back(std::make_unique<Span[]>(kChunkRecords * names_.size()));
  rec_spans_ = SpansOf(record);
  std::fill(rec_spans_, rec_spans_ + names_.size(), Span{0, 0});
}

void TFastParseJson::NewBlock(size_t n) {
  // Spans count in 32 bits: no record may pass 4 GB.
  if (n > UINT32_MAX - rec_used_) throw std::bad_alloc();
  // A new block; the record's bytes so far move with it, so that they stay side by side.
  static constexpr size_t kBlockSize = 60 * 1024;  // below the heap's mmap threshold
  size_t size = std::max(kBlockSize, 2 * (rec_used_ + n));
  // A block kept by Clear when one is big enough, else a fresh one.
  while (blocks_used_ < blocks_.size() && blocks_[blocks_used_].size < rec_used_ + n) ++blocks_used_;
  if (blocks_used_ == blocks_.size()) {
    if (blocks_.size() == blocks_.capacity()) blocks_.reserve(blocks_.capacity() * 2 + 16);
    auto* data = static_cast<char*>(std::malloc(size));
    if (!data) throw std::bad_alloc();
    blocks_.push_back(Block{data, size});
  }
  Block& block = blocks_[blocks_used_++];
  if (rec_used_) std::memcpy(block.data, rec_base_, rec_used_);
  rec_base_ = block.data;
  block_end_ = block.data + block.size;
}

void TFastParseJson::Clear() {
  records_.clear();
  ForgetFields();
  rec_base_ = block_end_ = nullptr;
  rec_used_ = 0;
  blocks_used_ = 0;
  batch_cursor_ = 0;
}

void TFastParseJson::EndRecord(uint32_t mask) {
  records_.push_back(Slot{rec_base_, mask});
  if (rec_base_) rec_base_ += rec_used_;
  rec_used_ = 0;
}

void TFastParseJson::ReserveRecords(size_t count) {
  records_.reserve(count);
}

void TFastParseJson::Reserve(size_t needed) {
  size_t cap = cap_ + needed + 1024;
  auto* grown = static_cast<char*>(std::realloc(buf_, cap));
  if (!grown) throw Exception(kOutOfMemory);
  buf_ = grown;
  cap_ = cap;
}

int TFastParseJson::LookUp(uint16_t crc, std::string_view name) const {
  int entry = index_[crc % kIndexTableSize];
  if (entry == 0) return -1;
  const std::string& field = names_[entry - 1];
  if (field.size() != name.size()) return -1;
  bool same = name.empty() || std::memcmp(field.data(), name.data(), name.size()) == 0 || SameFolded(field, name);
  return same ? entry - 1 : -1;
}

void TFastParseJson::BuildHash() {
  if (names_.size() > static_cast<size_t>(kMaxFields)) throw Exception(kTooManyFields);
  std::string collided;
  for (int seed = 0; seed < kSeedCount; ++seed) {
    std::fill(std::begin(index_), std::end(index_), uint8_t{0});
    bool free = true;
    for (size_t i = 0; i < names_.size() && free; ++i) {
      size_t h = Crc16(names_[i], static_cast<uint16_t>(seed), true) % kIndexTableSize;
      if (index_[h] != 0) {
        free = false;
        collided = names_[i];
      } else {
        index_[h] = static_cast<uint8_t>(i + 1);
      }
    }
    if (free) {
      seed_ = seed;
      hashed_ = true;
      return;
    }
  }
  // No seed separates the names (two of them differ only in case): the field of the name that
  // collided cannot be found.
  ForgetFields();
  throw Exception(std::string(kFieldNotFound) + collided);
}

void TFastParseJson::ForgetFields() {
  names_.clear();
  span_chunks_.clear();
  std::fill(std::begin(index_), std::end(index_), uint8_t{0});
  hashed_ = false;
  seed_ = 0;
}

template <class Body>
int TFastParseJson::Transaction(Body&& body) {
  size_t before = records_.size();
  bool hadFields = hashed_;
  auto undo = [&] {
    records_.resize(before);
    DropRecord();
    if (!hadFields) ForgetFields();
  };
  try {
    Scanner scan(*this);
    body(scan);
    scan.Finish();
    return scan.added();
  } catch (const std::bad_alloc&) {
    undo();
    throw Exception(kOutOfMemory);
  } catch (...) {
    undo();
    throw;
  }
}

int TFastParseJson::ParseText(std::string_view json) {
  return Transaction([&](Scanner& scan) { scan.Chunk(json); });
}

int TFastParseJson::Parse(std::string_view text, bool whole) {
  return Transaction([&](Scanner& scan) {
    // Unpacked piece by piece: a large answer is never held whole as text.
    if (whole) return GzipDecompressPieces(Base64Decode(text), kUnpackPiece, [&](std::string_view p) { scan.Chunk(p); });
    // Each double-quoted string is a chunk; the chunks are read as one continuous text.
    size_t pos = 0;
    std::string b64;
    while ((pos = text.find('"', pos)) != std::string_view::npos) {
      b64.clear();
      size_t i = pos + 1;
      for (; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) ++i;  // \/ and the like: the character itself
        b64.push_back(text[i]);
      }
      if (i >= text.size()) break;  // an unterminated string is not a chunk
      GzipDecompressPieces(Base64Decode(b64), kUnpackPiece, [&](std::string_view p) { scan.Chunk(p); });
      pos = i + 1;
    }
  });
}

}  // namespace velmor
