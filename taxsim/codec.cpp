#include "taxsim/codec.h"

#include <iconv.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <thread>
#include <vector>

namespace velmor::taxsim {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Sextet(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// An open conversion, closed with it.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)), from_(from) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw CodecError(std::string("iconv不支持") + from + "->" + to);
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Appends the conversion of `in` to `out` through a small buffer (the result's room is the
  // caller's: no page of it is touched before it is written). `base` is where `in` starts in the
  // whole text, for the place a bad byte is named by.
  void Append(std::string_view in, size_t base, std::string& out) {
    char buf[65536];
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    while (true) {
      char* dst = buf;
      size_t dstLeft = sizeof buf;
      size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buf, sizeof buf - dstLeft);
      if (r != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) continue;
      const size_t at = base + in.size() - srcLeft + 1;
      throw CodecError(std::string("文本不是有效的") + (std::strcmp(from_, "UTF-8") == 0 ? "UTF-8" : "GBK") +
                       "编码或无法转换（第" + std::to_string(at) + "字节）");
    }
  }

 private:
  iconv_t cd_;
  const char* from_;
};

// The result's room is reserved: sizing the string up front zero-filled twice the input,
// hundreds of MB for a declaration of 200,000 persons.
std::string Convert(std::string_view in, const char* to, const char* from) {
  Converter c(to, from);
  std::string out;
  out.reserve(in.size() + in.size() / 2 + 16);  // GBK to UTF-8 grows by half at most
  c.Append(in, 0, out);
  return out;
}

}  // namespace

std::string Base64Encode(std::string_view data) {
  // Written through a pointer into room sized once: appended a character at a time, the
  // tens of MB of a large answer took a check of the string's room for every character.
  std::string out((data.size() + 2) / 3 * 4, '\0');
  char* p = out.data();
  const auto* in = reinterpret_cast<const uint8_t*>(data.data());
  size_t i = 0;
  for (; i + 3 <= data.size(); i += 3, p += 4) {
    const uint32_t v = uint32_t{in[i]} << 16 | uint32_t{in[i + 1]} << 8 | in[i + 2];
    p[0] = kAlphabet[v >> 18];
    p[1] = kAlphabet[(v >> 12) & 63];
    p[2] = kAlphabet[(v >> 6) & 63];
    p[3] = kAlphabet[v & 63];
  }
  if (const size_t rest = data.size() - i; rest) {
    uint32_t v = uint32_t{in[i]} << 16;
    if (rest == 2) v |= uint32_t{in[i + 1]} << 8;
    p[0] = kAlphabet[v >> 18];
    p[1] = kAlphabet[(v >> 12) & 63];
    p[2] = rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    p[3] = '=';
  }
  return out;
}

namespace {

// The sextet of each byte, -1 for a byte outside the alphabet ("=" included).
struct SextetTable {
  int8_t of[256];
  constexpr SextetTable() : of() {
    for (int c = 0; c < 256; ++c) of[c] = -1;
    for (int s = 0; s < 64; ++s) of[static_cast<uint8_t>(kAlphabet[s])] = static_cast<int8_t>(s);
  }
};
constexpr SextetTable kSextets;

// The group of four at `i` the careful way: "=" only in the last group, as its last one or two
// characters; anything else outside the alphabet is named by its place.
void DecodeLastOrBadGroup(std::string_view text, size_t i, std::string& out, size_t& used) {
  const bool last = i + 4 == text.size();
  int pad = 0;
  uint32_t v = 0;
  for (int k = 0; k < 4; ++k) {
    const char c = text[i + k];
    int s = Sextet(c);
    if (c == '=' && last && k >= 2) {
      if (k == 2 && text[i + 3] != '=') throw CodecError("Base64填充位置错误");
      ++pad;
      s = 0;
    } else if (s < 0 || pad) {
      throw CodecError("Base64含非法字符（第" + std::to_string(i + k + 1) + "个）");
    }
    v = (v << 6) | uint32_t(s);
  }
  out[used++] = char(v >> 16);
  if (pad < 2) out[used++] = char((v >> 8) & 0xFF);
  if (pad < 1) out[used++] = char(v & 0xFF);
}

}  // namespace

std::string Base64Decode(std::string_view text) {
  if (text.size() % 4 != 0) throw CodecError("Base64长度不是4的倍数（" + std::to_string(text.size()) + "）");
  std::string out(text.size() / 4 * 3, '\0');
  size_t used = 0;
  const auto* in = reinterpret_cast<const uint8_t*>(text.data());
  const size_t whole = text.empty() ? 0 : text.size() - 4;  // the groups before the last
  for (size_t i = 0; i < whole; i += 4) {
    const int a = kSextets.of[in[i]], b = kSextets.of[in[i + 1]], c = kSextets.of[in[i + 2]],
              d = kSextets.of[in[i + 3]];
    if ((a | b | c | d) < 0) {
      DecodeLastOrBadGroup(text, i, out, used);  // raises, naming the character
      continue;
    }
    const uint32_t v = uint32_t(a) << 18 | uint32_t(b) << 12 | uint32_t(c) << 6 | uint32_t(d);
    out[used] = char(v >> 16);
    out[used + 1] = char((v >> 8) & 0xFF);
    out[used + 2] = char(v & 0xFF);
    used += 3;
  }
  if (!text.empty()) DecodeLastOrBadGroup(text, whole, out, used);
  out.resize(used);
  return out;
}

bool LooksGzipped(std::string_view data) {
  return data.size() >= 2 && uint8_t(data[0]) == 31 && uint8_t(data[1]) == 139;
}

struct GzipStream::State {
  z_stream zs{};  // raw deflate: the member's header and trailer are written here
  int level = 1;
  uLong crc = crc32(0L, Z_NULL, 0);
  uint64_t size = 0;  // of the text so far (the trailer keeps it modulo 4 GiB)
  bool finished = false;
};

namespace {

constexpr size_t kMostAtOnce = size_t{1} << 30;  // zlib counts input in 32 bits

// Raw deflate of `data` into `out`; at its end `flush`: Z_NO_FLUSH (more to come), Z_SYNC_FLUSH
// (the blocks end on a byte boundary, so that another stream's blocks may follow) or Z_FINISH
// (the last block).
void RawDeflate(z_stream& zs, std::string_view data, int atEnd, std::string& out) {
  char buf[65536];
  do {
    const size_t take = std::min(data.size(), kMostAtOnce);
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(take);
    data.remove_prefix(take);
    const int flush = data.empty() ? atEnd : Z_NO_FLUSH;
    int rc;
    do {
      zs.next_out = reinterpret_cast<Bytef*>(buf);
      zs.avail_out = sizeof buf;
      rc = deflate(&zs, flush);
      if (rc == Z_STREAM_ERROR) throw CodecError("gzip压缩失败");
      out.append(buf, sizeof buf - zs.avail_out);
    } while (zs.avail_in > 0 || zs.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
  } while (!data.empty());
}

void InitRaw(z_stream& zs, int level) {
  if (deflateInit2(&zs, level, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK) throw CodecError("gzip初始化失败");
}

uLong Crc(uLong crc, std::string_view data) {
  for (; data.size() > kMostAtOnce; data.remove_prefix(kMostAtOnce))
    crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(kMostAtOnce));
  return crc32(crc, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
}

void PutLittleEndian(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

GzipStream::GzipStream(int level) : state_(std::make_unique<State>()) {
  state_->level = level;
  InitRaw(state_->zs, level);
  // The member's header: deflate, no name or time, "fastest" for level 1, written on Unix.
  out_.assign("\x1f\x8b\x08\x00\x00\x00\x00\x00", 8);
  out_ += level == 1 ? '\x04' : '\x00';
  out_ += '\x03';
}

GzipStream::~GzipStream() { deflateEnd(&state_->zs); }

void GzipStream::Append(std::string_view data) {
  if (state_->finished) throw CodecError("gzip已结束");
  State& st = *state_;
  st.size += data.size();
  if (data.size() < kSplitAt) {
    st.crc = Crc(st.crc, data);
    RawDeflate(st.zs, data, Z_NO_FLUSH, out_);
    return;
  }
  // A large piece (a whole answer's rows): its halves are packed at once, the first on a thread
  // of its own, each as blocks of a stream of its own that end on a byte boundary; the member's
  // blocks so far end on one too. The blocks of the three follow one another as one member.
  RawDeflate(st.zs, {}, Z_SYNC_FLUSH, out_);
  const std::string_view first = data.substr(0, data.size() / 2), second = data.substr(data.size() / 2);
  std::string firstOut;
  uLong firstCrc = 0;
  std::exception_ptr failure;
  std::thread packing([&] {
    try {
      z_stream zs{};
      InitRaw(zs, st.level);
      firstOut.reserve(first.size() / 4);
      try {
        RawDeflate(zs, first, Z_SYNC_FLUSH, firstOut);
      } catch (...) {
        deflateEnd(&zs);
        throw;
      }
      deflateEnd(&zs);
      firstCrc = Crc(crc32(0L, Z_NULL, 0), first);
    } catch (...) {
      failure = std::current_exception();
    }
  });
  std::string secondOut;
  uLong secondCrc = 0;
  try {
    if (deflateReset(&st.zs) != Z_OK) throw CodecError("gzip压缩失败");
    secondOut.reserve(second.size() / 4);
    RawDeflate(st.zs, second, Z_SYNC_FLUSH, secondOut);
    secondCrc = Crc(crc32(0L, Z_NULL, 0), second);
  } catch (...) {
    packing.join();
    throw;
  }
  packing.join();
  if (failure) std::rethrow_exception(failure);
  out_ += firstOut;
  out_ += secondOut;
  st.crc = crc32_combine(crc32_combine(st.crc, firstCrc, static_cast<z_off_t>(first.size())), secondCrc,
                         static_cast<z_off_t>(second.size()));
}

std::string GzipStream::Finish() {
  if (state_->finished) throw CodecError("gzip已结束");
  RawDeflate(state_->zs, {}, Z_FINISH, out_);
  state_->finished = true;
  PutLittleEndian(out_, static_cast<uint32_t>(state_->crc));
  PutLittleEndian(out_, static_cast<uint32_t>(state_->size));
  return std::move(out_);
}

std::string Gzip(std::string_view data, int level) {
  GzipStream gz(level);
  gz.Append(data);
  return gz.Finish();
}

size_t GunzippedSizeHint(std::string_view data) {
  if (data.size() < 18) return 0;
  // The trailer's size (modulo 4 GiB), bounded by what the input could plausibly unpack to.
  const auto* end = reinterpret_cast<const uint8_t*>(data.data() + data.size());
  const size_t isize = size_t(end[-4]) | size_t(end[-3]) << 8 | size_t(end[-2]) << 16 | size_t(end[-1]) << 24;
  return std::min(isize, data.size() * 64);
}

void GunzipPieces(std::string_view data, const std::function<void(std::string_view)>& sink, size_t piece) {
  if (!LooksGzipped(data)) throw CodecError("数据不是gzip格式");
  z_stream zs{};
  if (inflateInit2(&zs, 15 + 16) != Z_OK) throw CodecError("gzip初始化失败");
  struct End {
    z_stream& zs;
    ~End() { inflateEnd(&zs); }
  } end{zs};
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  std::vector<char> buf(std::max<size_t>(piece, 1));
  int rc;
  do {
    zs.next_out = reinterpret_cast<Bytef*>(buf.data());
    zs.avail_out = static_cast<uInt>(buf.size());
    rc = inflate(&zs, Z_NO_FLUSH);
    if (rc != Z_OK && rc != Z_STREAM_END) throw CodecError("gzip数据损坏");
    if (const size_t n = buf.size() - zs.avail_out; n > 0) sink(std::string_view(buf.data(), n));
  } while (rc != Z_STREAM_END && (zs.avail_in > 0 || zs.avail_out == 0));
  if (rc != Z_STREAM_END || zs.avail_in != 0) throw CodecError("gzip数据不完整");
}

std::string Gunzip(std::string_view data) {
  std::string out;
  // Room taken once: growing a 100 MB document by doubling copied it twice over.
  out.reserve(GunzippedSizeHint(data));
  GunzipPieces(data, [&out](std::string_view piece) { out.append(piece); });
  return out;
}

// A document is mostly ASCII (its markup, codes and numbers), which GBK and UTF-8 write alike: the
// runs of it are copied, and only what lies between them goes through the conversion. A byte
// from 0x81 leads a character of two bytes whose second may look like ASCII, so the text is
// walked character by character, as the conversion reads it: the runs it is cut into end where
// its characters do, and it reads each run as it would have read it within the whole.
struct GbkToUtf8Stream::Converter {
  taxsim::Converter iconv{"UTF-8", "GBK"};
};

GbkToUtf8Stream::GbkToUtf8Stream(std::string& out) : converter_(std::make_unique<Converter>()), out_(out) {}
GbkToUtf8Stream::~GbkToUtf8Stream() = default;

void GbkToUtf8Stream::Append(std::string_view gbk) {
  if (gbk.empty()) return;
  size_t i = 0;
  if (cut_) {  // the character the last piece began
    const char both[2] = {lead_, gbk[0]};
    converter_->iconv.Append(std::string_view(both, 2), base_ - 1, out_);
    cut_ = false;
    i = 1;
  }
  while (i < gbk.size()) {
    const size_t ascii = i;
    while (i < gbk.size() && static_cast<unsigned char>(gbk[i]) < 0x80) ++i;
    out_.append(gbk.data() + ascii, i - ascii);
    const size_t other = i;
    while (i < gbk.size() && static_cast<unsigned char>(gbk[i]) >= 0x80) {
      const unsigned char lead = static_cast<unsigned char>(gbk[i]);
      if (lead >= 0x81 && lead <= 0xFE && i + 1 == gbk.size()) {  // completed by the next piece
        cut_ = true;
        lead_ = gbk[i];
        break;
      }
      i += (lead >= 0x81 && lead <= 0xFE) ? 2 : 1;
    }
    if (i > other) converter_->iconv.Append(gbk.substr(other, i - other), base_ + other, out_);
    if (cut_) break;
  }
  base_ += gbk.size();
}

void GbkToUtf8Stream::Finish() {
  if (!cut_) return;
  // The last byte leads a character nothing completes: the conversion names it.
  cut_ = false;
  converter_->iconv.Append(std::string_view(&lead_, 1), base_ - 1, out_);
}

std::string GbkToUtf8(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size() + gbk.size() / 2 + 16);
  GbkToUtf8Stream stream(out);
  stream.Append(gbk);
  stream.Finish();
  return out;
}
std::string Utf8ToGbk(std::string_view utf8) { return Convert(utf8, "GBK", "UTF-8"); }

bool IsUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    uint8_t c = uint8_t(s[i]);
    int n = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (n < 0 || i + size_t(n) >= s.size()) return false;
    uint32_t cp = n == 0 ? c : n == 1 ? c & 0x1F : n == 2 ? c & 0x0F : c & 0x07;
    for (int k = 1; k <= n; ++k) {
      uint8_t d = uint8_t(s[i + k]);
      if ((d >> 6) != 2) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if ((n == 1 && cp < 0x80) || (n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += size_t(n) + 1;
  }
  return true;
}

}  // namespace velmor::taxsim
