// The simulator's own codecs: Base64, gzip and GBK <-> UTF-8. The simulator deliberately does not
// share the plug-in's codec code, so an encoding fault on one side shows up as a test failure
// instead of cancelling out.
//
// Stateless functions, safe from any thread, and GzipStream, a value of one thread. Failures raise
// taxsim::CodecError with a one-line reason.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmor::taxsim {

class CodecError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Standard alphabet, "=" padding, no line breaks.
std::string Base64Encode(std::string_view data);
// Strict: a length not a multiple of four, a character outside the alphabet, or misplaced "="
// raises CodecError.
std::string Base64Decode(std::string_view text);

// True when data starts with the gzip magic bytes 31, 139.
bool LooksGzipped(std::string_view data);
// `level` is zlib's: -1 its default, 1 the fastest. The simulator's answers are built on every
// call and travel a local link, where time matters more than size: 1 unless asked (zlib's
// default took 0.7 s of the 100,000-person payable answer; the fastest level about half that).
std::string Gzip(std::string_view data, int level = 1);
// One gzip member written as its text comes, so a large answer is packed without being held
// whole first: Append the pieces, then Finish once. Unpacks to the pieces joined, like Gzip's.
// A piece of kSplitAt bytes or more (an answer's rows, tens of MB at 100,000 persons) is packed
// in two halves at once, the first on a thread of its own: the client waits for the answer
// while the simulator's second core is idle. Its blocks then differ from one stream's (each half
// starts without the other's history), not what they unpack to.
class GzipStream {
 public:
  static constexpr size_t kSplitAt = size_t{8} << 20;
  explicit GzipStream(int level = 1);
  ~GzipStream();
  GzipStream(const GzipStream&) = delete;
  GzipStream& operator=(const GzipStream&) = delete;
  void Append(std::string_view data);
  std::string Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
  std::string out_;
};
// One complete gzip member; damaged or truncated input raises CodecError.
std::string Gunzip(std::string_view data);
// The same handed to `sink` a piece of at most `piece` bytes at a time, as it is unpacked: a
// large document can be converted as it comes, without a buffer of all of it. Raises as Gunzip
// does, once the pieces before the damage have been handed over.
void GunzipPieces(std::string_view data, const std::function<void(std::string_view)>& sink,
                  size_t piece = size_t{64} << 10);
// What the member's trailer says it unpacks to, bounded so that a forged trailer asks little:
// room to reserve, not a promise.
size_t GunzippedSizeHint(std::string_view data);

// Conversions through iconv; an unconvertible or malformed byte sequence raises CodecError.
std::string GbkToUtf8(std::string_view gbk);
// GbkToUtf8 of the pieces joined, converted as they come into `out`: a character cut at a
// piece's end is completed by the next one, and a bad byte is named by its place in the whole.
// Append the pieces, then Finish once. A value of one thread.
class GbkToUtf8Stream {
 public:
  explicit GbkToUtf8Stream(std::string& out);
  ~GbkToUtf8Stream();
  GbkToUtf8Stream(const GbkToUtf8Stream&) = delete;
  GbkToUtf8Stream& operator=(const GbkToUtf8Stream&) = delete;
  void Append(std::string_view piece);
  void Finish();

 private:
  struct Converter;
  std::unique_ptr<Converter> converter_;
  std::string& out_;
  size_t base_ = 0;   // where the next piece starts in the whole
  bool cut_ = false;  // the last piece ended with the first byte of a two-byte character
  char lead_ = 0;     // that byte
};
std::string Utf8ToGbk(std::string_view utf8);
bool IsUtf8(std::string_view text);

}  // namespace velmor::taxsim
