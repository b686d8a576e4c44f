#include "codec/xml_arena.h"

#include <cstdlib>
#include <new>

namespace velmor {

XmlArena::~XmlArena() {
  for (char* b : blocks_) std::free(b);
}

void* XmlArena::Grow(size_t n) {
  // A large request gets a block of its own, so the current block keeps its free room.
  bool own = n > kBlockSize / 4;
  blocks_.reserve(blocks_.size() + 1);
  char* block = static_cast<char*>(std::malloc(own ? n : kBlockSize));
  if (!block) throw std::bad_alloc();
  blocks_.push_back(block);
  if (!own) {
    cur_ = block + n;
    left_ = kBlockSize - n;
  }
  return block;
}

}  // namespace velmor
