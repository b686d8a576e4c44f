#include "codec/gzip.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <span>
#include <utility>

#include "velmor/exceptions.h"

namespace velmor {
namespace {

constexpr int kGzipWindowBits = 15 + 16;  // 32 KB window, gzip wrapper instead of zlib's
constexpr int kMemLevel = 9;
// zlib counts in uInt; longer inputs are fed in pieces of at most this size.
constexpr std::size_t kMaxChunk = UINT_MAX / 2;
// Largest first output buffer; bigger contents grow it by doubling.
constexpr std::size_t kMaxGuess = std::size_t{256} << 20;

[[noreturn]] void Fail(const std::string& what) { throw Exception("gzip解压失败：" + what); }

class Deflater {
 public:
  Deflater() {
    if (deflateInit2(&s_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindowBits, kMemLevel,
                     Z_DEFAULT_STRATEGY) != Z_OK)
      throw Exception("gzip压缩失败：内存不足");
  }
  ~Deflater() { deflateEnd(&s_); }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;
  z_stream* get() { return &s_; }

 private:
  z_stream s_{};
};

class Inflater {
 public:
  Inflater() {
    // gzip only (not zlib, not raw): anything else is reported as a bad header.
    if (inflateInit2(&s_, kGzipWindowBits) != Z_OK) throw Exception("gzip解压失败：内存不足");
  }
  ~Inflater() { inflateEnd(&s_); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  z_stream* get() { return &s_; }

 private:
  z_stream s_{};
};

}  // namespace

std::string GzipCompress(std::string_view data) {
  Deflater d;
  z_stream* s = d.get();
  std::string out;
  // deflateBound is exact enough for one pass when the input fits one chunk; larger inputs
  // simply grow the buffer.
  out.resize(deflateBound(s, static_cast<uLong>(std::min(data.size(), kMaxChunk))) + 64);
  std::size_t in_pos = 0, out_pos = 0;
  for (;;) {
    const std::size_t in_len = std::min(data.size() - in_pos, kMaxChunk);
    const bool last = in_pos + in_len == data.size();
    s->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + in_pos));
    s->avail_in = static_cast<uInt>(in_len);
    int rc;
    do {
      if (out_pos == out.size()) out.resize(out.size() * 2);
      const std::size_t room = std::min(out.size() - out_pos, kMaxChunk);
      s->next_out = reinterpret_cast<Bytef*>(out.data() + out_pos);
      s->avail_out = static_cast<uInt>(room);
      rc = deflate(s, last ? Z_FINISH : Z_NO_FLUSH);
      out_pos += room - s->avail_out;
      if (rc == Z_STREAM_ERROR) throw Exception("gzip压缩失败：内部错误");
    } while (last ? rc != Z_STREAM_END : s->avail_in > 0);
    in_pos += in_len;
    if (last) break;
  }
  out.resize(out_pos);
  return out;
}

struct GzipWriter::Stream {
  Deflater d;
  bool finished = false;
};

GzipWriter::GzipWriter() : stream_(std::make_unique<Stream>()) {}
GzipWriter::~GzipWriter() = default;

void GzipWriter::Write(std::string_view piece) {
  if (!piece.empty()) Run(piece, false);
}

std::string GzipWriter::Finish() {
  if (!stream_->finished) Run({}, true);
  stream_->finished = true;
  return std::move(out_);
}

void GzipWriter::Run(std::string_view piece, bool finish) {
  z_stream* s = stream_->d.get();
  std::size_t in_pos = 0;
  for (;;) {
    const std::size_t in_len = std::min(piece.size() - in_pos, kMaxChunk);
    const bool last = in_pos + in_len == piece.size();
    s->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data() + in_pos));
    s->avail_in = static_cast<uInt>(in_len);
    int rc;
    do {
      // The output grows as it is written, a step at a time: a text compresses far below its
      // own size.
      constexpr std::size_t kStep = 65536;
      const std::size_t used = out_.size();
      if (out_.capacity() - used < kStep) out_.reserve(std::max(out_.capacity() * 2, used + kStep));
      const std::size_t room = kStep;
      out_.resize(used + room);
      s->next_out = reinterpret_cast<Bytef*>(out_.data() + used);
      s->avail_out = static_cast<uInt>(room);
      rc = deflate(s, finish && last ? Z_FINISH : Z_NO_FLUSH);
      out_.resize(used + room - s->avail_out);
      if (rc == Z_STREAM_ERROR) throw Exception("gzip压缩失败：内部错误");
    } while (finish && last ? rc != Z_STREAM_END : (s->avail_in > 0 || s->avail_out == 0));
    in_pos += in_len;
    if (last) break;
  }
}

namespace {

// Inflates the one gzip member `member` into the space `out` gives: `out.Room()` is the next
// free space (never empty), `out.Produced(n)` says how much of it was filled.
template <class Out>
void InflateMember(std::string_view member, Out& out) {
  if (member.size() < 18) Fail("数据不完整（不足一个gzip成员）");
  const auto* bytes = reinterpret_cast<const uint8_t*>(member.data());
  if (bytes[0] != 0x1F || bytes[1] != 0x8B) Fail("不是gzip数据");
  if (bytes[2] != 8) Fail("不支持的压缩方法");

  Inflater inf;
  z_stream* s = inf.get();
  std::size_t in_pos = 0;
  int rc = Z_OK;
  while (rc != Z_STREAM_END) {
    if (s->avail_in == 0) {
      if (in_pos == member.size()) Fail("数据不完整（gzip成员被截断）");
      const std::size_t in_len = std::min(member.size() - in_pos, kMaxChunk);
      s->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(member.data() + in_pos));
      s->avail_in = static_cast<uInt>(in_len);
      in_pos += in_len;
    }
    const std::span<char> space = out.Room();
    const std::size_t room = std::min(space.size(), kMaxChunk);
    s->next_out = reinterpret_cast<Bytef*>(space.data());
    s->avail_out = static_cast<uInt>(room);
    rc = inflate(s, Z_NO_FLUSH);
    out.Produced(room - s->avail_out);
    switch (rc) {
      case Z_OK:
      case Z_STREAM_END:
        break;
      case Z_BUF_ERROR:  // no progress possible: more input or room is needed, loop provides it
        break;
      case Z_MEM_ERROR:
        Fail("内存不足");
      case Z_DATA_ERROR:
        Fail(std::string("数据已损坏（") + (s->msg ? s->msg : "invalid data") + "）");
      default:
        Fail("内部错误（" + std::to_string(rc) + "）");
    }
  }
  if (s->avail_in > 0 || in_pos < member.size()) Fail("gzip成员之后还有多余的数据");
}

// One growing text.
class WholeOut {
 public:
  explicit WholeOut(std::string_view member) {
    // The trailer's ISIZE is the content length modulo 2^32: a good first guess, trusted only up
    // to a ratio that text reaches, so that a damaged or hostile trailer costs no large buffer;
    // more compressible contents grow the buffer by doubling.
    const auto* bytes = reinterpret_cast<const uint8_t*>(member.data());
    const std::size_t n = member.size();
    const uint32_t isize = n < 4 ? 0
                                 : uint32_t{bytes[n - 4]} | uint32_t{bytes[n - 3]} << 8 |
                                       uint32_t{bytes[n - 2]} << 16 | uint32_t{bytes[n - 1]} << 24;
    const std::size_t max_guess = std::min<std::size_t>(n, kMaxGuess / 64) * 64;
    out_.resize(std::clamp<std::size_t>(isize, 256, std::max<std::size_t>(max_guess, 256)));
  }
  std::span<char> Room() {
    if (used_ == out_.size()) out_.resize(out_.size() * 2);
    return {out_.data() + used_, out_.size() - used_};
  }
  void Produced(std::size_t n) { used_ += n; }
  std::string Take() {
    out_.resize(used_);
    return std::move(out_);
  }

 private:
  std::string out_;
  std::size_t used_ = 0;
};

// Pieces of a fixed size handed on as they fill.
class PieceOut {
 public:
  PieceOut(std::size_t size, const std::function<void(std::string_view)>& piece)
      : buffer_(std::max<std::size_t>(size, 256), '\0'), piece_(piece) {}
  std::span<char> Room() {
    if (used_ == buffer_.size()) Flush();
    return {buffer_.data() + used_, buffer_.size() - used_};
  }
  void Produced(std::size_t n) { used_ += n; }
  void Flush() {
    if (used_ == 0) return;
    piece_(std::string_view(buffer_.data(), used_));
    used_ = 0;
  }

 private:
  std::string buffer_;
  const std::function<void(std::string_view)>& piece_;
  std::size_t used_ = 0;
};

}  // namespace

std::string GzipDecompress(std::string_view member) {
  WholeOut out(member);
  InflateMember(member, out);
  return out.Take();
}

void GzipDecompressPieces(std::string_view member, std::size_t pieceSize,
                          const std::function<void(std::string_view)>& piece) {
  PieceOut out(pieceSize, piece);
  InflateMember(member, out);
  out.Flush();
}

}  // namespace velmor
