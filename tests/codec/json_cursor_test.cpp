// JsonCursor: it accepts exactly the texts the general parser accepts (within the nesting bound),
// and reads strings and numbers as that parser does.
#include "codec/json_cursor.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <random>
#include <string>
#include <vector>

#include "velmor/json_depth.h"

namespace velmor {
namespace {

using Json = nlohmann::json;

bool CursorAccepts(std::string_view text) { return JsonCursor::Accepts(text); }

TEST(JsonCursor, AcceptsWhatTheGeneralParserAcceptsAndNothingElse) {
  const std::vector<std::string> texts = {
      "{}", "[]", " \t\r\n{ } ", "0", "-0", "12", "-12.50", "1e5", "1E+5", "2.5e-3", "true", "false", "null",
      "\"\"", "\"a\\\"b\\\\c\\/d\\b\\f\\n\\r\\t\"", "\"\\u0041\\u00e9\\u4e2d\"", "\"\\ud83d\\ude00\"",
      "\"张三\"", "\"\xF0\x9F\x98\x80\"", "{\"a\":[1,{\"b\":null}],\"c\":\"x\"}", "[1,2,3]",
      "{\"a\":1,\"a\":2}",
      // refused
      "", " ", "{", "}", "[1,]", "{\"a\":1,}", "[1 2]", "{\"a\" 1}", "{1:2}", "{\"a\":}", "01", "-", "1.", ".5",
      "1e", "1e+", "+1", "0x10", "NaN", "Infinity", "tru", "nul", "true false", "\"abc", "\"\\x\"", "\"\\u00\"",
      "\"\\u00G0\"", "\"\\ud800\"", "\"\\ud800x\"", "\"\\ud800\\u0041\"", "\"\\udc00\"", "\"a\tb\"",
      std::string("\"a\0b\"", 5), "\f{}", "{}x", "\"\xC0\x80\"", "\"\xC3\"",
      "\"\xE0\x80\x80\"", "\"\xED\xA0\x80\"", "\"\xF4\x90\x80\x80\"", "\"\xF5\x80\x80\x80\"", "\"\xFF\"",
      "\"\xE4\xB8\"", "[\"\x80\"]", "'a'", "[1]]", "{}{}",
      // numbers beyond a double's range are refused by the parser; underflow is not
      "2.5e400", "[-32e500]", std::string(320, '9'), "1e-400", "1e308", std::string(300, '9')};
  for (const std::string& t : texts) {
    EXPECT_EQ(CursorAccepts(t), Json::accept(t)) << "text: " << t;
  }
}

TEST(JsonCursor, NestingIsBoundedAndOddEndsAreLeftToTheGeneralParser) {
  const std::string inside(kMaxJsonDepth, '['), outside(kMaxJsonDepth + 1, '[');
  EXPECT_TRUE(CursorAccepts(inside + std::string(kMaxJsonDepth, ']')));
  EXPECT_FALSE(CursorAccepts(outside + std::string(kMaxJsonDepth + 1, ']')));
  EXPECT_FALSE(CursorAccepts("\xEF\xBB\xBF{}")) << "a byte-order mark is left to the general parser";
  EXPECT_FALSE(CursorAccepts(std::string("{}\0[", 4))) << "so is what follows a NUL, which it takes for the end";
}

TEST(JsonCursor, StringsAreDecodedAsTheGeneralParserDecodesThem) {
  for (const std::string t : {"\"plain\"", "\"O'Neil \\\"Jr\\\"\"", "\"\\u0000x\"", "\"\\ud83d\\ude00 张\"",
                              "\"tab\\tnew\\nline\\\\\"", "\"\\u00e9\\u00E9\""}) {
    JsonCursor c(t);
    std::string scratch;
    bool escaped = true;
    const std::string_view v = c.String(scratch, &escaped);
    EXPECT_EQ(std::string(v), Json::parse(t).get<std::string>()) << t;
    EXPECT_EQ(escaped, t.find('\\') != std::string::npos) << t;
  }
}

// Every byte that ends a plain run (quote, escape, control character, UTF-8) stops it wherever it
// falls, after runs of every length (across the blocks of sixteen bytes looked at at once, and in
// the bytes left at the text's end), before and after an escape; every other byte value passes.
TEST(JsonCursor, EveryByteThatEndsAPlainRunIsSeenWhereverItFalls) {
  const std::vector<std::string> stops = {
      "\"",           "\\n",  "\\u4e2d", std::string(1, '\x01'), "\x1f",     "\xC3\xA9",
      "\xE4\xB8\xAD", "\x80", "\xFF",    std::string(1, '\0'),   "\xE4\xB8", "\xF0\x9F\x98\x80",
      "\xC3\xA9\x80"};
  for (const std::string& stop : stops) {
    for (size_t at = 0; at < 40; ++at) {
      for (const std::string& before : {std::string(), std::string("\\t")}) {
        for (const std::string after : {"b~ \x7f!#[]{}:,0123456789xyz\"", "\"", "b\"  \n"}) {
          const std::string text = "\"" + before + std::string(at, 'a') + stop + after;
          const bool accepted = Json::accept(text);
          EXPECT_EQ(CursorAccepts(text), accepted)
              << "stop " << Json(stop).dump(-1, ' ', true, Json::error_handler_t::replace) << " at " << at;
          if (!accepted) continue;
          JsonCursor c(text);
          std::string scratch;
          EXPECT_EQ(std::string(c.String(scratch)), Json::parse(text).get<std::string>()) << "at " << at;
        }
      }
    }
  }
  for (int byte = 1; byte < 256; ++byte) {  // each byte value after runs of every length
    for (size_t at = 0; at < 10; ++at) {
      const std::string text = "[\"" + std::string(at, 'z') + std::string(1, static_cast<char>(byte)) + "0123456789\"]";
      EXPECT_EQ(CursorAccepts(text), Json::accept(text)) << "byte " << byte << " at " << at;
    }
  }
}

// The quote that closes a string passed over as it stands: after runs of backslashes of every
// length (an odd run escapes the quote), wherever they fall against the blocks of 64 bytes looked
// at at once and across them, and in the bytes left at the text's end; no closing quote refuses.
TEST(JsonCursor, RawStringEndsAtTheFirstQuoteNoBackslashEscapes) {
  auto closing = [](const std::string& text) -> std::ptrdiff_t {  // reference: -1 for none
    bool escaped = false;
    for (size_t i = 1; i < text.size(); ++i) {
      if (escaped) escaped = false;
      else if (text[i] == '\\') escaped = true;
      else if (text[i] == '"') return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
  };
  auto check = [&](const std::string& text) {
    const std::ptrdiff_t want = closing(text);
    JsonCursor c(text);
    if (want < 0) {
      EXPECT_THROW(c.RawString(), JsonCursor::Malformed) << Json(text).dump();
      return;
    }
    ASSERT_EQ(c.RawString().size(), static_cast<size_t>(want - 1)) << Json(text).dump();
    EXPECT_EQ(c.Offset(), static_cast<size_t>(want + 1));
  };
  for (size_t lead = 0; lead < 70; ++lead)
    for (size_t run = 0; run < 140; run += (run < 10 ? 1 : 7))
      for (const std::string tail : {"\"x\"", "x\"", "\"", ""})
        check("\"" + std::string(lead, 'a') + std::string(run, '\\') + tail + std::string(lead % 5, 'b'));
  std::mt19937 random(7);
  const char alphabet[] = {'a', '\\', '"', '\\', 'n', '\xE4'};
  for (int n = 0; n < 3000; ++n) {
    std::string text = "\"";
    const size_t size = random() % 300;
    for (size_t i = 0; i < size; ++i) text += alphabet[random() % sizeof alphabet];
    check(text);
  }
}

TEST(JsonCursor, WalksObjectsMemberByMemberAndGivesSpans) {
  const std::string text = R"( {"n": -1.5e2, "s":"v", "o": {"x": [1, "]"]}, "e": [], "t": true} )";
  JsonCursor c(text);
  std::string scratch;
  std::vector<std::string> seen;
  c.BeginObject();
  for (bool more = c.FirstMember(); more; more = c.NextMember()) {
    const std::string key(c.Key(scratch));
    switch (c.Peek()) {
      case JsonCursor::Kind::kNumber: seen.push_back(key + "=" + std::string(c.Number())); break;
      case JsonCursor::Kind::kString: seen.push_back(key + "=" + std::string(c.String(scratch))); break;
      case JsonCursor::Kind::kTrue: c.Literal(); seen.push_back(key + "=true"); break;
      default: seen.push_back(key + "=" + std::string(c.Skip())); break;
    }
  }
  c.End();
  EXPECT_EQ(seen, (std::vector<std::string>{"n=-1.5e2", "s=v", R"(o={"x": [1, "]"]})", "e=[]", "t=true"}));
}

// Escaped strings are decoded into room taken ahead and grown as they go: every kind of piece
// must come out whole wherever the room runs out, whatever the scratch held before.
TEST(JsonCursor, LongEscapedStringsComeOutWholeWhereverTheRoomRunsOut) {
  const std::vector<std::string> pieces = {
      "a", "xyz", "\\\"", "\\\\", "\\n", "\\u4e2d", "\\ud83d\\ude00", "张", "\xF0\x9F\x98\x80", "\\u0041"};
  uint32_t seed = 1;
  const auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  for (int round = 0; round < 300; ++round) {
    std::string text = "\"" + std::string(next() % 70, 'p');
    const size_t length = next() % (round < 200 ? 300 : 20000);
    while (text.size() < length) text += pieces[next() % pieces.size()];
    text += "\"";
    const std::string expected = Json::parse(text).get<std::string>();
    const std::string followed = text + "]";
    for (const size_t held : {size_t(0), size_t(7), size_t(100), text.size() + 10}) {
      std::string scratch(held, '#');  // stale text and room of every size
      JsonCursor c(followed);
      bool escaped = false;
      const std::string_view v = c.String(scratch, &escaped);
      ASSERT_EQ(std::string(v), expected) << "round " << round << " held " << held;
      EXPECT_EQ(c.Offset(), text.size()) << "the cursor stands after the closing quote";
    }
    // Passed over raw, then decoded where it stands (into its own buffer, from the start).
    std::string buffer = followed;
    JsonCursor raw(buffer);
    EXPECT_EQ(raw.RawString(), std::string_view(text).substr(1, text.size() - 2));
    EXPECT_EQ(raw.Offset(), text.size());
    JsonCursor inPlace(buffer);
    const size_t size = inPlace.StringTo(buffer.data());
    ASSERT_EQ(buffer.substr(0, size), expected) << "round " << round << ", in place";
    EXPECT_EQ(inPlace.Offset(), text.size());
    EXPECT_EQ(buffer.substr(text.size()), "]") << "what follows the string is untouched";
    // Cut short anywhere after the first escape, the same text is refused.
    const size_t cut = text.find('\\') + 1 + next() % (text.size() - text.find('\\') - 1);
    EXPECT_FALSE(CursorAccepts(text.substr(0, cut))) << "cut at " << cut;
    std::string shortened = text.substr(0, cut);
    JsonCursor cutRaw(shortened), cutInPlace(shortened);
    EXPECT_THROW(cutRaw.RawString(), JsonCursor::Malformed) << "its closing quote is gone";
    EXPECT_THROW(cutInPlace.StringTo(shortened.data()), JsonCursor::Malformed);
  }
}

}  // namespace
}  // namespace velmor
