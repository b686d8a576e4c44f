// JsonObjectReader and the JSON writers: an object read and written again is the text the
// general parser's ordered tree dumps, member by member, with changes applied as assignments to
// that tree would; Text() reads members as the services read them from a tree.
#include "codec/json_object_reader.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "codec/json_out.h"

namespace velmor {
namespace {

using Json = nlohmann::ordered_json;

// What the services' Text() reads from a tree's member.
std::string TreeText(const Json& o, const std::string& key) {
  auto it = o.find(key);
  if (it == o.end() || it->is_null()) return "";
  if (it->is_string()) return it->get<std::string>();
  if (it->is_boolean()) return it->get<bool>() ? "Y" : "N";
  return it->dump();
}

const std::vector<std::string> kObjects = {
    "{}",
    R"({"a":"x","b":"y"})",
    " { \"a\" : \"x\" ,\n\t\"b\":1 } ",
    R"({"s":"a\"b\\c\/d\b\f\n\r\t\u0001\u001f\u007f\u00e9\u4e2d\ud83d\ude00 é"})",
    R"({"n":[0,-0,12,-12,1.50,1e2,1E+2,2.5e-3,-0.0,123456789012345678,1234567890123456789,
        12345678901234567890,-9223372036854775808,99999999999999999999999,1e300]})",
    R"({"i":0,"j":-0,"k":1.0,"l":100,"m":-7,"p":0.1,"q":1e-7,"r":18446744073709551615})",
    R"({"t":true,"f":false,"z":null,"o":{"b":1,"a":[1,{"c":"d"}]},"e":[],"eo":{}})",
    R"({"a":1,"b":2,"a":"three","c":4,"b":null})",
    R"({"\u0061":1,"a":2,"k\"ey":3,"k\u00e9":"v"})",
    R"({"a":"x","b":"y","c":"z"})",
    // Written as read only when nothing differs: a blank, a number written otherwise, an escape.
    R"({"a":1.50 ,"b":"y"})",
    R"({"k":"v", "l":"w"})",
    R"({"k":"v","l":"\u0077"})",
    R"({"k":true,"l":null,"m":-3})",
};

TEST(JsonOut, StringsAreEscapedAsTheGeneralParserWritesThem) {
  std::string all;
  for (int c = 0; c < 0x80; ++c) all += static_cast<char>(c);
  all += "é中\xF0\x9F\x98\x80";
  std::string out;
  AppendJsonString(out, all);
  EXPECT_EQ(out, Json(all).dump());
  out.clear();
  AppendJsonString(out, "");
  EXPECT_EQ(out, "\"\"");
}

// Text that may not be UTF-8: as the general writer writes it, replacing the bad bytes or
// refusing them as it does.
TEST(JsonOut, AnyTextIsWrittenOrRefusedAsTheGeneralWriterDoes) {
  for (const std::string& text : {std::string("a\"b\n中"), std::string("x\xFFy"), std::string("\xE4\xB8"),
                                  std::string("\xC0\xAF"), std::string("\xED\xA0\x80")}) {
    std::string out = "[";
    AppendJsonText(out, text, true);
    EXPECT_EQ(out, "[" + Json(text).dump(-1, ' ', false, Json::error_handler_t::replace)) << text;
    out.clear();
    bool refused = false;
    std::string library;
    try {
      library = Json(text).dump();
    } catch (const Json::type_error&) {
      refused = true;
    }
    if (refused) {
      EXPECT_THROW(AppendJsonText(out, text, false), Json::type_error) << text;
    } else {
      AppendJsonText(out, text, false);
      EXPECT_EQ(out, library);
    }
  }
}

TEST(JsonOut, NumbersAreWrittenAsTheGeneralParserWritesThem) {
  for (const char* token : {"0", "-0", "7", "-7", "10", "1.50", "1e2", "-0.0", "0.1", "123456789012345678",
                            "1234567890123456789", "12345678901234567890", "-9223372036854775808",
                            "99999999999999999999999", "2.5E-3"}) {
    std::string out;
    AppendJsonNumber(out, token);
    EXPECT_EQ(out, Json::parse(token).dump()) << token;
  }
}

TEST(JsonObjectReader, ReadsAndWritesEachObjectAsTheGeneralParsersTree) {
  JsonObjectReader reader;  // one reader for all: the shape of the first must not mislead later ones
  for (const std::string& text : kObjects) {
    SCOPED_TRACE(text);
    const Json tree = Json::parse(text);
    JsonCursor c(text);
    reader.Read(c);
    c.End();
    std::string out;
    reader.Write(out);
    EXPECT_EQ(out, tree.dump());
    ASSERT_EQ(reader.Members().size(), tree.size());
    size_t i = 0;
    for (auto it = tree.begin(); it != tree.end(); ++it, ++i) {
      EXPECT_EQ(reader.Members()[i].key, it.key());
      EXPECT_EQ(reader.Text(it.key()), TreeText(tree, it.key())) << it.key();
    }
    EXPECT_EQ(reader.Text("absent"), "");
    EXPECT_EQ(reader.Find("absent"), nullptr);
  }
}

TEST(JsonObjectReader, ChangesAreWrittenAsAssignmentsToTheTree) {
  const std::string text = R"({"a":"x","fed":true,"b":2,"b":3})";
  JsonCursor c(text);
  JsonObjectReader reader;
  reader.Read(c);
  const std::vector<JsonObjectReader::Change> changes = {
      {"b", "\"two\""}, {"new", "4"}, {"fed", ""}, {"a", "null"}, {"gone", ""}, {"last", "[1]"}};
  std::string out;
  reader.Write(out, changes);
  Json tree = Json::parse(text);
  tree["b"] = "two";
  tree["new"] = 4;
  tree.erase("fed");
  tree["a"] = nullptr;
  tree["last"] = Json::array({1});
  EXPECT_EQ(out, tree.dump());
}

TEST(JsonObjectReader, ObjectsInAListKeepTheirOwnValues) {
  // Later objects repeat the first one's names, reorder them, repeat one or add one.
  const std::string text = R"([{"a":"1","b":"x\n"},{"a":"2","b":"y"},{"b":"z","a":"3"},{"a":"4","a":"5"},
                               {"a":"6","b":"w","c":"v"}])";
  const Json tree = Json::parse(text);
  JsonCursor c(text);
  JsonObjectReader reader;
  std::vector<std::string> written;
  c.BeginArray();
  for (bool more = c.FirstElement(); more; more = c.NextElement()) {
    reader.Read(c);
    written.emplace_back();
    reader.Write(written.back());
  }
  c.End();
  ASSERT_EQ(written.size(), tree.size());
  for (size_t i = 0; i < written.size(); ++i) EXPECT_EQ(written[i], tree[i].dump()) << i;
}

TEST(JsonObjectReader, ReadTextReadsAnyValueAsTextReadsAMember) {
  const std::string text = R"({"v":[" a\u00e9 ",1.50,true,false,null,{"b":1,"a":2},[1,"x"]]})";
  const Json tree = Json::parse(text);
  JsonCursor c(std::string_view(text).substr(5, text.size() - 6));
  c.BeginArray();
  size_t i = 0;
  for (bool more = c.FirstElement(); more; more = c.NextElement(), ++i)
    EXPECT_EQ(ReadText(c), TreeText(Json{{"k", tree["v"][i]}}, "k")) << i;
  EXPECT_EQ(i, tree["v"].size());
}

TEST(JsonObjectReader, AnyValueReadsAsAnObjectAndAgainFromItsText) {
  const std::string text = R"([ {"a":"1", "b" : 2} , 7, "x", null, [1], {}])";
  JsonCursor c(text);
  JsonObjectReader reader;
  std::vector<std::string_view> objects;
  c.BeginArray();
  for (bool more = c.FirstElement(); more; more = c.NextElement()) {
    objects.push_back(reader.ReadAny(c));
    if (objects.back().empty()) {
      EXPECT_TRUE(reader.Members().empty());
    }
  }
  c.End();
  ASSERT_EQ(objects.size(), 6u);
  EXPECT_EQ(objects[0], R"({"a":"1", "b" : 2})");
  EXPECT_EQ(objects[5], "{}");
  for (size_t i = 1; i < 5; ++i) EXPECT_TRUE(objects[i].empty()) << i;
  reader.ReadAgain(objects[0]);
  EXPECT_EQ(reader.Text("b"), "2");
  reader.ReadAgain({});
  EXPECT_TRUE(reader.Members().empty());
}

TEST(JsonObjectReader, RefusesWhatIsNoObject) {
  for (const char* text : {"[]", "\"a\"", "{\"a\":}", "{\"a\":1", "{\"a\" 1}", "{\"a\":\"\\x\"}"}) {
    JsonCursor c(text);
    JsonObjectReader reader;
    EXPECT_THROW(reader.Read(c), JsonCursor::Malformed) << text;
  }
}

}  // namespace
}  // namespace velmor
