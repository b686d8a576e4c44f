// A large text written piece by piece and handed over whole, without the doubling copies of one
// growing string: when a string of 200 MB outgrows its room it is copied into twice the room
// while the old copy still lives, so a listing of the whole roster briefly takes twice its size
// in memory. Here the text grows in chunks of kChunk bytes (a small text stays one string
// that grows as usual); Take() joins them into one exact string, letting each chunk go once it is
// copied, so the text is held about once plus one chunk.
//
//   TextChunks text;
//   for (...) { text.Tail() += piece; text.Rotate(); }
//   std::string whole = text.Take();
//
// Not thread-safe; one writer.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace velmor {

class TextChunks {
 public:
  // Above the allocator's largest threshold for mapping memory of its own (32 MiB), so that a
  // chunk let go is given back to the system at once.
  static constexpr size_t kChunk = size_t{33} << 20;

  // The string to append to.
  std::string& Tail() { return tail_; }

  // Starts a new chunk when the tail has reached kChunk bytes; call between pieces.
  void Rotate() {
    if (tail_.size() < kChunk) return;
    size_ += tail_.size();
    chunks_.push_back(std::move(tail_));
    tail_ = std::string();
    tail_.reserve(kChunk + kChunk / 8);  // room for the piece that crosses the mark
  }

  // Gives the tail the room of a whole chunk now, as Rotate does (mapped memory: its pages take
  // space only once written). For a writer on another thread than the owner's: growing the tail
  // there by doubling would leave the smaller copies in that thread's heap, where the owner's
  // allocations never reuse them.
  void ReserveChunk() { tail_.reserve(kChunk + kChunk / 8); }

  // The length of the whole text.
  size_t Size() const { return size_ + tail_.size(); }

  // Appends the whole text to `out` (reserve room first), letting each chunk go once copied; the
  // builder is empty afterwards.
  void MoveTo(std::string& out) {
    for (std::string& c : chunks_) {
      out += c;
      std::string().swap(c);
    }
    out += tail_;
    chunks_.clear();
    tail_ = std::string();
    size_ = 0;
  }

  // The whole text; the builder is empty afterwards.
  std::string Take() {
    if (chunks_.empty()) return std::exchange(tail_, std::string());
    std::string whole;
    whole.reserve(Size());
    MoveTo(whole);
    return whole;
  }

 private:
  std::vector<std::string> chunks_;
  std::string tail_;
  size_t size_ = 0;  // of the chunks before the tail
};

}  // namespace velmor
