// A text written in chunks comes back whole and in order: small texts as one string, large ones
// across chunks (a piece crossing a chunk's mark stays whole), appended after existing text.
#include "codec/text_chunks.h"

#include <gtest/gtest.h>

#include <string>

namespace velmor {
namespace {

// Pieces "0...,1...,2...," written through the builder; the same text written plainly.
std::string Written(TextChunks& text, size_t pieces, size_t width) {
  std::string plain;
  for (size_t i = 0; i < pieces; ++i) {
    std::string piece = std::to_string(i);
    piece.resize(width, '.');
    piece += ',';
    text.Tail() += piece;
    text.Rotate();
    plain += piece;
  }
  return plain;
}

TEST(TextChunks, ASmallTextIsOneString) {
  TextChunks text;
  EXPECT_EQ(text.Take(), "");
  text.Tail() = "[";
  text.Rotate();
  text.Tail() += "1]";
  EXPECT_EQ(text.Size(), 3u);
  EXPECT_EQ(text.Take(), "[1]");
  EXPECT_EQ(text.Size(), 0u) << "taken";
  EXPECT_EQ(text.Take(), "");
}

TEST(TextChunks, ALargeTextComesBackWholeAndInOrder) {
  TextChunks text;
  // Pieces of 1,000 bytes: about 2.5 chunks, and pieces that cross each chunk's mark.
  const size_t pieces = TextChunks::kChunk * 5 / 2 / 1001;
  const std::string plain = Written(text, pieces, 1000);
  EXPECT_EQ(text.Size(), plain.size());
  const std::string whole = text.Take();
  EXPECT_EQ(whole.size(), plain.size());
  EXPECT_TRUE(whole == plain);
  EXPECT_EQ(text.Size(), 0u);

  // Used again after Take, and moved after text already there.
  const std::string again = Written(text, pieces, 1000);
  std::string out = "head:";
  out.reserve(out.size() + text.Size());
  text.MoveTo(out);
  EXPECT_TRUE(out == "head:" + again);
  EXPECT_EQ(text.Take(), "") << "moved";
}

TEST(TextChunks, OnePieceLargerThanAChunk) {
  TextChunks text;
  text.Tail() = "a";
  text.Rotate();
  text.Tail() += std::string(TextChunks::kChunk + 10, 'b');
  text.Rotate();
  text.Tail() += "c";
  text.Rotate();
  const std::string whole = text.Take();
  ASSERT_EQ(whole.size(), TextChunks::kChunk + 12);
  EXPECT_EQ(whole.front(), 'a');
  EXPECT_EQ(whole[1], 'b');
  EXPECT_EQ(whole[whole.size() - 2], 'b');
  EXPECT_EQ(whole.back(), 'c');
}

}  // namespace
}  // namespace velmor
