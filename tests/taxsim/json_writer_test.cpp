// The simulator's JSON writing is the JSON library's dump, byte for byte: strings with every kind
// of character (control characters, quotes, multi-byte UTF-8 and bytes that are not UTF-8, which
// are replaced) and the answer envelope around them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/net/wire.h"
#include "include/velmor/utf8.h"
#include "taxsim/answer.h"
#include "taxsim/json_writer.h"

namespace velmor::taxsim {
namespace {

std::string Dumped(const nlohmann::json& j) { return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace); }

std::vector<std::string> Texts() {
  std::vector<std::string> out = {"", "plain", "q\"b\\s/", "税务所", "\xF0\x9F\x98\x80 4 bytes", "\x7F"};
  // Short plain text is written as it is: one byte to escape, alone or at the end, and the edge.
  for (const char* one : {"a\\b", "\\", "\"", "tab\tonly"}) out.push_back(one);
  out.push_back(std::string(64, 'x'));
  out.push_back(std::string(65, 'y'));
  out.push_back(std::string(63, 'z') + "\\");
  std::string controls;
  for (int c = 0; c < 0x20; ++c) controls += char(c);
  out.push_back(controls);
  // Not UTF-8: a lone continuation, truncated sequences, an overlong form, a surrogate, past
  // U+10FFFF, bytes never used.
  for (const char* bad : {"a\x80z", "\xE7\xA8", "x\xE7", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF\xFE",
                          "ok\xC3", "\xF0\x9F\x98"})
    out.push_back(bad);
  out.push_back("\xF4\x8F\xBF\xBF");  // U+10FFFF, the last code point
  // Longer texts, read eight bytes at a time: a bad or multi-byte sequence at each offset of a word.
  for (size_t at = 0; at < 17; ++at) {
    const std::string plain(at, 'a');
    out.push_back(plain + "\xE7" + std::string(20, 'b'));
    out.push_back(plain + "税\"q\n" + std::string(20, 'c'));
  }
  return out;
}

TEST(JsonWriter, StringsAreEscapedAsTheLibraryDumpsThem) {
  for (const std::string& t : Texts()) {
    std::string mine;
    AppendJsonString(mine, t);
    EXPECT_EQ(mine, Dumped(t)) << Dumped(t);
  }
}

// Every kind of call, with strings that are written at once and strings that are escaped.
void WriteSample(JsonWriter& w) {
  w.BeginObject();
  w.Key("a");
  w.BeginArray();
  w.String("x", "\"y");
  w.BeginObject();
  w.EndObject();
  w.Value(nlohmann::json{{"k", {1, 2.5, nullptr, "q\"\\"}}});
  w.BeginArray();
  w.EndArray();
  w.EndArray();
  w.Member("b", "税", "\n");
  // Two plain parts are written as they are; a part that needs an escape is escaped joined.
  w.Member("c", "GK", "13201000000");
  w.Member("d", "plain", "back\\slash");
  w.Member("e", std::string(64, 'a'), "b");
  w.Key("f");
  w.BeginObject();  // plain members, the first without a comma, empty names and values
  w.Member("", "");
  w.Member("g", "1");
  w.Member("h", "", "2");
  w.EndObject();
  // Short UTF-8 is written as it is; a character cut between the parts, or a bad byte, is not.
  w.Member("i", "税务所", "13201000000");
  w.Member("j", "\xE7\xA8", "\x8E");
  w.Member("k", "国库\xE7", "");
  w.Key("l");
  w.String("tab\there");
  w.Member("税", "\xF0\x9F\x98\x80");  // sorted after the ASCII names
  w.EndObject();
}

TEST(JsonWriter, ObjectsAndArraysMatchTheTreesDump) {
  JsonWriter w;
  WriteSample(w);
  const nlohmann::json tree = {
      {"a", {"x\"y", nlohmann::json::object(), {{"k", {1, 2.5, nullptr, "q\"\\"}}}, nlohmann::json::array()}},
      {"b", "税\n"},
      {"c", "GK13201000000"},
      {"d", "plainback\\slash"},
      {"e", std::string(64, 'a') + "b"},
      {"f", {{"g", "1"}, {"", ""}, {"h", "2"}}},
      {"i", "税务所13201000000"},
      {"j", "\xE7\xA8\x8E"},
      {"k", "国库\xE7"},
      {"税", "\xF0\x9F\x98\x80"},
      {"l", "tab\there"}};
  EXPECT_EQ(w.Text(), Dumped(tree));
}

// A writer for the envelope writes the plain writer's text escaped as the envelope's response
// string carries it, and the text reads back as the plain one.
TEST(JsonWriter, TheEnvelopeFormIsThePlainTextEscaped) {
  JsonWriter plain, ready(JsonWriter::Form::kInEnvelope);
  WriteSample(plain);
  WriteSample(ready);
  std::string escaped;
  AppendJsonString(escaped, plain.Text());
  EXPECT_EQ(ready.Text(), escaped.substr(1, escaped.size() - 2));
  EXPECT_EQ(JsonFromEnvelopeForm(ready.Text()), plain.Text());
  EXPECT_TRUE(IsWellFormedUtf8(ready.Text()));
  // Every text as a name, a value and a value in two parts.
  for (const std::string& t : Texts()) {
    JsonWriter p, r(JsonWriter::Form::kInEnvelope);
    for (JsonWriter* w : {&p, &r}) {
      w->BeginObject();
      w->Member(t, t);
      w->Member("x", t, t);
      w->Key(t);
      w->String(t, "y");
      w->EndObject();
    }
    std::string once;
    AppendJsonString(once, p.Text());
    EXPECT_EQ(r.Text(), once.substr(1, once.size() - 2)) << Dumped(t);
    EXPECT_EQ(JsonFromEnvelopeForm(r.Text()), p.Text()) << Dumped(t);
  }
}

TEST(JsonWriter, ASplicedValueFollowsInItsPlace) {
  for (const JsonWriter::Form form : {JsonWriter::Form::kPlain, JsonWriter::Form::kInEnvelope}) {
    JsonWriter rows(form), w(form);
    rows.BeginArray();
    rows.BeginObject();
    rows.Member("a", "1");
    rows.EndObject();
    rows.EndArray();
    w.BeginObject();
    w.Member("code", "x\"");
    w.Key("rows");
    w.Splice(rows);
    w.Member("after", "y");
    w.EndObject();
    const std::string text = form == JsonWriter::Form::kPlain ? w.Text() : JsonFromEnvelopeForm(w.Text());
    EXPECT_EQ(text, R"({"code":"x\"","rows":[{"a":"1"}],"after":"y"})");
  }
  JsonWriter plain, ready(JsonWriter::Form::kInEnvelope);
  EXPECT_THROW(ready.Splice(plain), std::logic_error);
}

TEST(JsonWriter, TheEnvelopeTextIsTheWiresEncoding) {
  for (const std::string& t : Texts()) {
    wire::Envelope e;
    e.status = -2;
    e.returnCode = "FAIL";
    e.returnMessage = t;
    e.responseData = "null";
    e.response = "{\"a\":\"" + t + "\"}";
    EXPECT_EQ(EnvelopeText(e), wire::EncodeEnvelope(e));
  }
  EXPECT_EQ(EnvelopeText(wire::Envelope{}), wire::EncodeEnvelope(wire::Envelope{}));
}

// A large answer's envelope is written in pieces as it is sent: the pieces joined are the
// envelope's text, whatever the piece's room (from the smallest, where an escape of six bytes
// only just fits), and an escape is never cut in two.
TEST(JsonWriter, TheEnvelopeInPiecesIsTheEnvelopesText) {
  std::vector<std::string> responses;
  for (const std::string& t : Texts())
    if (IsWellFormedUtf8(t)) responses.push_back("{\"a\":\"" + t + "\"}");
  std::string mixed;
  for (int i = 0; i < 20000; ++i) mixed += (i % 7 == 0 ? "\"\x01税\\" : "ab") + std::to_string(i);
  responses.push_back(mixed);
  responses.push_back("");
  for (const std::string& response : responses) {
    wire::Envelope e;
    e.status = 1;
    e.returnCode = "00";
    e.returnMessage = "处理成功\n";
    e.responseData = "null";
    e.response = response;
    ASSERT_TRUE(EnvelopeStream::Streamable(e));
    const std::string whole = EnvelopeText(e);
    // Split from 1 byte on, the response is escaped in two parts, the second on a thread.
    for (size_t splitFrom : {EnvelopeStream::kSplitFrom, size_t{1}}) {
      for (size_t room : {size_t{6}, size_t{7}, size_t{13}, size_t{4096}, size_t{65536}}) {
        EnvelopeStream stream(e, splitFrom);
        EXPECT_EQ(stream.Size(), whole.size());
        std::string joined;
        std::vector<char> piece(room);
        for (size_t n; (n = stream.Next(piece.data(), room)) > 0;) {
          ASSERT_LE(n, room);
          joined.append(piece.data(), n);
          ASSERT_EQ(stream.Written(), joined.size());
        }
        EXPECT_EQ(joined, whole) << "room " << room << ", split from " << splitFrom;
      }
    }
  }
  wire::Envelope bad;
  bad.response = "ok\xC3";
  EXPECT_FALSE(EnvelopeStream::Streamable(bad)) << "replaced bytes are written whole, not in pieces";
}

// Responses whose middle falls inside a character, on an escape or on the last byte: the two
// parts still make the envelope's text. Large ones are checked for well-formed UTF-8 in two
// halves as well: a bad byte in either half, or a character cut at the end, is found.
TEST(JsonWriter, ASplitResponseIsCutWhereACharacterStarts) {
  std::vector<std::string> responses = {"税", "a税", "ab税", "\"\"", "a\n\x01", "é", "x"};
  for (int pad = 0; pad < 8; ++pad) responses.push_back(std::string(pad, 'a') + "税款\"\\" + std::string(pad, 'b'));
  for (const std::string& response : responses) {
    wire::Envelope e;
    e.response = response;
    const std::string whole = EnvelopeText(e);
    for (size_t room : {size_t{6}, size_t{64}}) {
      EnvelopeStream stream(e, 1);
      EXPECT_EQ(stream.Size(), whole.size()) << response;
      std::string joined;
      std::vector<char> piece(room);
      for (size_t n; (n = stream.Next(piece.data(), room)) > 0;) joined.append(piece.data(), n);
      EXPECT_EQ(joined, whole) << response << ", room " << room;
    }
  }

  // Three-byte characters only: for two of the three pads the middle falls inside one.
  std::string chars;
  while (chars.size() < EnvelopeStream::kSplitFrom + 3) chars += "税";
  for (int pad = 0; pad < 3; ++pad) {
    wire::Envelope e;
    e.response = std::string(pad, 'a') + chars;
    EXPECT_TRUE(EnvelopeStream::Streamable(e)) << "pad " << pad;
  }
  wire::Envelope large;
  std::string rows;
  while (rows.size() < EnvelopeStream::kSplitFrom + 3) rows += "{\"xm\":\"张三\",\"je\":\"1.00\"},";
  large.response = rows;
  EXPECT_TRUE(EnvelopeStream::Streamable(large));
  for (size_t at : {size_t{0}, rows.size() / 2, rows.size() / 2 + 1, rows.size() - 1}) {
    wire::Envelope bad = large;
    bad.response[at] = '\xFF';
    EXPECT_FALSE(EnvelopeStream::Streamable(bad)) << "bad byte at " << at;
  }
  wire::Envelope cut = large;
  cut.response += "\xE7\xA8";  // a character without its last byte
  EXPECT_FALSE(EnvelopeStream::Streamable(cut));
}

// An answer written for the envelope goes out as the same envelope, whole or in pieces of any
// room, and reads back as its JSON.
TEST(JsonWriter, AnAnswerInEnvelopeFormIsSentAsTheSameEnvelope) {
  std::vector<std::string> values = Texts();
  std::string many;
  for (int i = 0; i < 20000; ++i) many += (i % 7 == 0 ? "\"\x01税\\" : "ab") + std::to_string(i);
  values.push_back(many);
  for (const std::string& v : values) {
    JsonWriter plain, ready(JsonWriter::Form::kInEnvelope);
    for (JsonWriter* w : {&plain, &ready}) {
      w->BeginObject();
      w->Member("v", v);
      w->EndObject();
    }
    const Answer a = Answer::JsonText(std::move(ready));
    ASSERT_TRUE(a.inEnvelopeForm);
    EXPECT_EQ(a.ResponseJson(), plain.Text());
    wire::Envelope e = a.envelope;
    e.returnMessage = "处理成功\n";
    wire::Envelope p = e;
    p.response = plain.Text();
    const std::string whole = EnvelopeText(p);
    EXPECT_EQ(EnvelopeText(e, true), whole);
    for (size_t room : {size_t{6}, size_t{7}, size_t{13}, size_t{65536}}) {
      std::unique_ptr<EnvelopeStream> stream = EnvelopeStream::FromEnvelopeForm(e);
      EXPECT_EQ(stream->Size(), whole.size());
      std::string joined;
      std::vector<char> piece(room);
      for (size_t n; (n = stream->Next(piece.data(), room)) > 0;) joined.append(piece.data(), n);
      EXPECT_EQ(joined, whole) << "room " << room;
    }
  }
  EXPECT_FALSE(Answer::JsonText(JsonWriter()).inEnvelopeForm);
}

// A stream dropped before its end (the client went away) stops its thread and lets go.
TEST(JsonWriter, AnAbandonedSplitStreamEnds) {
  wire::Envelope e;
  e.response.assign(size_t{32} << 20, '"');
  EnvelopeStream stream(e, 1);
  std::vector<char> piece(4096);
  EXPECT_GT(stream.Next(piece.data(), piece.size()), 0u);
  EXPECT_EQ(stream.Size(), EnvelopeText(e).size());
}

}  // namespace
}  // namespace velmor::taxsim
