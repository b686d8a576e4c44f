// gzip packing of texts through zlib: one gzip member (header bytes 31, 139, 8; deflate at the
// default level with memory level 9 and the default strategy; CRC-32 and length trailer) and
// its inverse. Request documents are packed with it; responses and compressed JSON chunks are
// unpacked with it.
//
// Stateless functions; safe to call from any thread. Texts are byte strings. A GzipWriter is a
// value of one thread.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace velmor {

// One gzip member holding data. Raises velmor::Exception only when zlib cannot get memory.
std::string GzipCompress(std::string_view data);

// One gzip member written piece by piece, so that a large content is never held whole: the
// member holds the pieces joined (as GzipCompress of them). Raises velmor::Exception only when
// zlib cannot get memory.
class GzipWriter {
 public:
  GzipWriter();
  ~GzipWriter();
  GzipWriter(const GzipWriter&) = delete;
  GzipWriter& operator=(const GzipWriter&) = delete;

  void Write(std::string_view piece);
  // The member; the writer takes no more pieces.
  std::string Finish();

 private:
  void Run(std::string_view piece, bool finish);
  struct Stream;
  std::unique_ptr<Stream> stream_;
  std::string out_;
};

// The content of the one gzip member `member`. A member that is not gzip, is damaged (bad
// deflate data, CRC-32 or length mismatch), is cut short, or is followed by further bytes raises
// velmor::Exception with a message starting "gzip解压失败：" and naming the fault.
std::string GzipDecompress(std::string_view member);

// The same content handed to `piece` in pieces of up to `pieceSize` bytes as it is unpacked, so
// that a large content is never held whole. The faults raise as above, possibly after pieces
// were handed on (the caller takes back what it did with them).
void GzipDecompressPieces(std::string_view member, std::size_t pieceSize,
                          const std::function<void(std::string_view)>& piece);

}  // namespace velmor
