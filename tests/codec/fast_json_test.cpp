// TFastParseJson: scanning flat records, the perfect hash of field names and its failures, the
// two answer forms (one Base64 gzip member, a list of chunks), and the helpers callers use.
#include <gtest/gtest.h>

#include "codec/base64.h"
#include "codec/crc16.h"
#include "codec/expect_message.h"
#include "codec/fast_json.h"
#include "codec/gzip.h"
#include "velmor/exceptions.h"

namespace velmor {
namespace {

std::string Pack(const std::string& json) { return Base64Encode(GzipCompress(json)); }

std::string Field(const TFastParseJson& r, int record, const char* name) {
  return std::string(r.Value(record, r.GetFieldIdx(name)));
}

const char* kNotFound = "GetFieldIdx找不到目标字段！";

TEST(FastJson, FieldsInAnotherOrderAreStoredByName) {
  TFastParseJson r;
  EXPECT_EQ(r.ParseText(R"([{"djxh":"1","xm":"a","zjhm":"z1"},{"zjhm":"z2","djxh":"2","xm":"b"},
                           {"xm":"c"}])"),
            3);
  ASSERT_EQ(r.FieldCount(), 3);
  EXPECT_EQ(r.FieldNames(), (std::vector<std::string>{"djxh", "xm", "zjhm"}));
  EXPECT_EQ(Field(r, 1, "djxh"), "2");
  EXPECT_EQ(Field(r, 1, "xm"), "b");
  EXPECT_EQ(Field(r, 1, "zjhm"), "z2");
  EXPECT_EQ(Field(r, 2, "djxh"), "") << "absent values are empty";
  EXPECT_EQ(Field(r, 2, "xm"), "c");
}

TEST(FastJson, LaterNamesMatchWithoutCase) {
  TFastParseJson r;
  r.ParseText(R"([{"cbxxID":"1"},{"CBXXID":"2"},{"cbxxid":"3"}])");
  EXPECT_EQ(Field(r, 1, "cbxxID"), "2");
  EXPECT_EQ(Field(r, 2, "cbxxID"), "3");
  EXPECT_EQ(r.GetFieldIdx("CbXxId"), 0);
}

TEST(FastJson, UnknownFieldNameIsRefused) {
  TFastParseJson r;
  EXPECT_THROW_MSG(r.ParseText(R"([{"a":"1","b":"2"},{"a":"3","zz":"4"}])"), Exception,
                   std::string(kNotFound) + "zz");
  EXPECT_EQ(r.RecordCount(), 0) << "a failed parse adds no record";
  EXPECT_FALSE(r.Hashed()) << "and forgets the names it learned";
  EXPECT_THROW_MSG(r.GetFieldIdx("a"), Exception, std::string(kNotFound) + "a");
  EXPECT_EQ(r.IndexOfField("a"), -1);
}

TEST(FastJson, EmptyNames) {
  TFastParseJson r;
  EXPECT_EQ(r.ParseText(R"([{"a":"2","":"1"},{:"3"},{"":"4"}])"), 3) << "a missing name is the empty one";
  EXPECT_EQ(Field(r, 1, ""), "3");
  EXPECT_EQ(Field(r, 2, ""), "4");
  TFastParseJson other;
  other.ParseText(R"([{"a":"1"}])");
  EXPECT_THROW_MSG(other.ParseText(R"([{:"2"}])"), Exception, kNotFound);
}

TEST(FastJson, UnknownNameOnATakenHashEntryIsStillRefused) {
  // A name whose hash lands on the entry of a real field must not overwrite that field.
  TFastParseJson r;
  r.ParseText(R"([{"djxh":"1"}])");
  uint16_t seed = static_cast<uint16_t>(r.HashSeed());
  unsigned target = Crc16("djxh", seed, true) % 1000;
  std::string twin;
  for (int i = 0; twin.empty(); ++i) {
    std::string name = "n" + std::to_string(i);
    if (Crc16(name, seed, true) % 1000 == target) twin = name;
  }
  EXPECT_THROW_MSG(r.ParseText("[{\"" + twin + "\":\"x\"}]"), Exception, kNotFound + twin);
  EXPECT_EQ(r.RecordCount(), 1);
  EXPECT_EQ(Field(r, 0, "djxh"), "1");
}

TEST(FastJson, NamesDifferingOnlyInCaseCannotBeHashed) {
  TFastParseJson r;
  EXPECT_THROW_MSG(r.ParseText(R"([{"Name":"1","name":"2"}])"), Exception, std::string(kNotFound) + "name");
  EXPECT_EQ(r.RecordCount(), 0);
  EXPECT_EQ(r.FieldCount(), 0);
  // The reader can start again with other names.
  EXPECT_EQ(r.ParseText(R"([{"a":"1"}])"), 1);
}

TEST(FastJson, RepeatedNameInTheFirstRecordIsOneField) {
  TFastParseJson r;
  r.ParseText(R"([{"a":"1","b":"2","a":"3"}])");
  EXPECT_EQ(r.FieldCount(), 2);
  EXPECT_EQ(Field(r, 0, "a"), "3");
}

std::string Record(int fields) {
  std::string json = "{";
  for (int i = 0; i < fields; ++i) json += (i ? "," : "") + ("\"f" + std::to_string(i) + "\":\"v\"");
  return json + "}";
}

TEST(FastJson, AtMostThirtyTwoFields) {
  TFastParseJson r;
  EXPECT_EQ(r.ParseText("[" + Record(32) + "]"), 1);
  EXPECT_EQ(r.FieldCount(), 32);
  TFastParseJson over;
  EXPECT_THROW_MSG(over.ParseText("[" + Record(33) + "]"), Exception, "超出字段限数！");
  EXPECT_EQ(over.RecordCount(), 0);
}

TEST(FastJson, SeedIsTheFirstWithoutCollision) {
  // Two names that collide under seed 0 force a later seed.
  std::string a = "k0", b;
  for (int i = 1; b.empty(); ++i) {
    std::string name = "k" + std::to_string(i);
    if (Crc16(name, 0, true) % 1000 == Crc16(a, 0, true) % 1000) b = name;
  }
  TFastParseJson r;
  r.ParseText("[{\"" + a + "\":\"1\",\"" + b + "\":\"2\"},{\"" + b + "\":\"3\",\"" + a + "\":\"4\"}]");
  int seed = r.HashSeed();
  EXPECT_GT(seed, 0);
  for (int s = 0; s < seed; ++s) {
    EXPECT_EQ(Crc16(a, static_cast<uint16_t>(s), true) % 1000, Crc16(b, static_cast<uint16_t>(s), true) % 1000);
  }
  EXPECT_EQ(Field(r, 1, a.c_str()), "4");
  EXPECT_EQ(Field(r, 1, b.c_str()), "3");
}

TEST(FastJson, HashLookupErrors) {
  TFastParseJson r;
  r.ParseText(R"([{"djxh":"1","xm":"2"}])");
  int h = Crc16("xm", static_cast<uint16_t>(r.HashSeed()), true) % 1000;
  EXPECT_EQ(r.FieldIdxOfHash(h, "XM"), 1);
  EXPECT_THROW_MSG(r.FieldIdxOfHash(1000, "xm"), Exception, "GetFieldIdx越界异常！");
  EXPECT_THROW_MSG(r.FieldIdxOfHash(-1, "xm"), Exception, "GetFieldIdx越界异常！");
  EXPECT_THROW_MSG(r.FieldIdxOfHash(h, "djxh"), Exception, std::string(kNotFound) + "djxh");
  int q = Crc16("q", static_cast<uint16_t>(r.HashSeed()), true) % 1000;
  EXPECT_THROW_MSG(r.FieldIdxOfHash(q, "q"), Exception, std::string(kNotFound) + "q");
}

TEST(FastJson, NonAsciiOrControlCharactersSetTheMaskBit) {
  TFastParseJson r;
  r.ParseText(R"([{"a":"x","xm":"张三","c":"tab\there","d":"\u0000"},{"a":"李","xm":"plain","c":"c","d":""}])");
  EXPECT_EQ(r.Record(0).mask(), (1u << 1) | (1u << 2) | (1u << 3));
  EXPECT_EQ(r.Record(1).mask(), 1u << 0);
  EXPECT_EQ(Field(r, 0, "d"), std::string(1, '\0'));
  EXPECT_EQ(Field(r, 0, "xm"), "张三");
}

TEST(FastJson, UnquotedValuesNullAndBlanks) {
  TFastParseJson r;
  r.ParseText("[\n {\n  \"n\": 12.5,\n  \"t\":true,\n  \"z\": null,\n  \"s\": \"null\",\n  \"e\": \"\",\n  \"last\": 7\n }\n]");
  EXPECT_EQ(Field(r, 0, "n"), "12.5");
  EXPECT_EQ(Field(r, 0, "t"), "true");
  EXPECT_EQ(Field(r, 0, "z"), "") << "null becomes empty";
  EXPECT_EQ(Field(r, 0, "s"), "null") << "the quoted text null stays";
  EXPECT_EQ(Field(r, 0, "e"), "");
  EXPECT_EQ(Field(r, 0, "last"), "7");
  EXPECT_EQ(r.Record(0).mask(), 0u) << "layout blanks are not part of values";
}

TEST(FastJson, EscapesAndStructuralCharactersInsideStrings) {
  TFastParseJson r;
  r.ParseText(R"([{"a":"q\"b\\s\/e\bf\fn\nr\rt\t","b":"{x:1, y}","c":"\u4e2d\uD83D\ude00\u00e9A","d":"\x\q"}])");
  EXPECT_EQ(Field(r, 0, "a"), "q\"b\\s/e\bf\fn\nr\rt\t");
  EXPECT_EQ(Field(r, 0, "b"), "{x:1, y}");
  EXPECT_EQ(Field(r, 0, "c"), "中\xF0\x9F\x98\x80\xC3\xA9" "A");
  EXPECT_EQ(Field(r, 0, "d"), "") << "unknown escapes are dropped";
  TFastParseJson broken;
  broken.ParseText(R"([{"a":"\u12G4","b":"\uD800x"}])");
  EXPECT_EQ(Field(broken, 0, "a"), "G4");
  EXPECT_EQ(Field(broken, 0, "b"), "\xEF\xBF\xBDx") << "a lone surrogate becomes U+FFFD";
}

TEST(FastJson, WholeFormIsOneBase64GzipMember) {
  TFastParseJson r;
  EXPECT_EQ(r.Parse(Pack(R"([{"a":"1"},{"a":"2"}])"), true), 2);
  EXPECT_EQ(r.Parse(Pack(R"([{"a":"3"}])"), true), 1) << "later answers add to the records";
  EXPECT_EQ(r.RecordCount(), 3);
  EXPECT_EQ(Field(r, 2, "a"), "3");
  EXPECT_THROW_MSG(r.Parse("not base64", true), Exception, "gzip解压失败：数据不完整（不足一个gzip成员）");
  EXPECT_THROW_MSG(r.Parse(Base64Encode("plain text that is not gzip"), true), Exception,
                   "gzip解压失败：不是gzip数据");
  EXPECT_EQ(r.RecordCount(), 3);
}

TEST(FastJson, AWholeAnswerLargerThanOneUnpackedPieceReadsAsOneText) {
  // About 3 MB of records: unpacked and scanned in pieces, with records, names and escaped
  // values cut between them.
  std::string json = "[";
  for (int i = 0; i < 30000; ++i) {
    json += (i ? "," : "") + std::string(R"({"id":"R)") + std::to_string(i) + R"(","xm":"张\"三)" +
            std::to_string(i) + R"(","pad":")" + std::string(40, 'x') + R"("})";
  }
  json += "]";
  TFastParseJson r;
  ASSERT_EQ(r.Parse(Pack(json), true), 30000);
  for (int i : {0, 9999, 17321, 29999}) {
    EXPECT_EQ(Field(r, i, "id"), "R" + std::to_string(i));
    EXPECT_EQ(Field(r, i, "xm"), "张\"三" + std::to_string(i));
  }
  // A member damaged after the first pieces: nothing of it is kept.
  std::string packed = GzipCompress(json);
  packed.resize(packed.size() - 100);
  EXPECT_THROW(r.Parse(Base64Encode(packed), true), Exception);
  EXPECT_EQ(r.RecordCount(), 30000);
}

TEST(FastJson, ChunkedFormAddsUpCounts) {
  std::string json = R"([{"a":"1","b":"x"},{"a":"2","b":"y"},{"a":"3","b":"z"}])";
  // Split inside the second record: the chunks are one continuous text.
  std::string c1 = json.substr(0, 30), c2 = json.substr(30);
  std::string list = "[\"" + Pack(c1) + "\", \"" + Pack(c2) + "\"]";
  TFastParseJson r;
  EXPECT_EQ(r.Parse(list, false), 3);
  EXPECT_EQ(Field(r, 1, "b"), "y");
  EXPECT_EQ(r.Parse("[\"" + Pack(R"([{"a":"4"}])") + "\",\"" + Pack(R"([{"b":"w"},{"a":"6"}])") + "\"]", false), 3);
  EXPECT_EQ(r.RecordCount(), 6);
  // "\/" in a chunk string is a '/'.
  std::string packed = Pack(R"([{"a":"7"}])");
  std::string escaped;
  for (char c : packed) escaped += c == '/' ? std::string("\\/") : std::string(1, c);
  EXPECT_EQ(r.Parse("[\"" + escaped + "\"]", false), 1);
  EXPECT_EQ(r.Parse("[]", false), 0);
}

TEST(FastJson, ChunksMaySplitTheTextAnywhere) {
  const std::string json = R"([{"xm":"张三","n":12,"e":"a\"b"},{"n":7 ,"xm":"李四","e":null}])";
  for (size_t cut = 1; cut < json.size(); ++cut) {
    SCOPED_TRACE(cut);
    TFastParseJson r;
    ASSERT_EQ(r.Parse("[\"" + Pack(json.substr(0, cut)) + "\",\"" + Pack(json.substr(cut)) + "\"]", false), 2);
    EXPECT_EQ(Field(r, 0, "xm"), "张三");
    EXPECT_EQ(Field(r, 0, "e"), "a\"b");
    EXPECT_EQ(Field(r, 1, "n"), "7");
    EXPECT_EQ(Field(r, 1, "xm"), "李四");
    EXPECT_EQ(Field(r, 1, "e"), "");
    EXPECT_EQ(r.Record(0).mask(), 1u);
  }
}

TEST(FastJson, LongValuesAreMarkedAndEndWhereTheyShould) {
  // Values longer than one sixteen-byte step of the scan.
  const std::string plain(40, 'p');
  TFastParseJson r;
  r.ParseText("[{\"a\":\"" + plain + "\",\"b\":\"" + plain + "\x7f\",\"c\":\"" + plain +
              "\\n" + plain + "\",\"d\":\"" + std::string(17, 'q') + "王\"}]");
  EXPECT_EQ(Field(r, 0, "a"), plain);
  EXPECT_EQ(Field(r, 0, "b"), plain + "\x7f");
  EXPECT_EQ(Field(r, 0, "c"), plain + "\n" + plain);
  EXPECT_EQ(Field(r, 0, "d"), std::string(17, 'q') + "王");
  EXPECT_EQ(r.Record(0).mask(), 0b1110u);
}

TEST(FastJson, DamagedChunkTakesBackTheWholeCall) {
  TFastParseJson r;
  std::string list = "[\"" + Pack(R"([{"a":"1"},{"a":"2"}])") + "\",\"@@@@\"]";
  EXPECT_THROW_MSG(r.Parse(list, false), Exception, "gzip解压失败：数据不完整（不足一个gzip成员）");
  EXPECT_EQ(r.RecordCount(), 0);
  EXPECT_FALSE(r.Hashed());
}

TEST(FastJson, RecordsCutShortOrOutsideBracesAreDropped) {
  TFastParseJson r;
  EXPECT_EQ(r.ParseText(R"("x":"1", [{"a":"1"},{"a":"2")"), 1);
  EXPECT_EQ(r.ParseText(R"({"a":"3"})"), 1);
  EXPECT_EQ(Field(r, 1, "a"), "3");
}

TEST(FastJson, TokenBufferGrowsByTheRule) {
  TFastParseJson r;
  EXPECT_EQ(r.BufferCapacity(), 512000u);
  std::string big(600000, 'x');
  r.ParseText("[{\"a\":\"" + big + "\"}]");
  EXPECT_EQ(r.BufferCapacity(), 512000u) << "a plain value is read in place";
  EXPECT_EQ(Field(r, 0, "a"), big);
  // After an escape the value goes through the buffer: one run of 600000 bytes behind one
  // byte needs 1 + 600000 + 10 > 512000, so the capacity becomes 512000 + 600000 + 1024.
  r.ParseText("[{\"a\":\"\\t" + big + "\"}]");
  EXPECT_EQ(r.BufferCapacity(), 512000u + 600000u + 1024u);
  EXPECT_EQ(Field(r, 1, "a"), "\t" + big);
}

TEST(FastJson, ClearStartsAfreshAndReusesTheStore) {
  TFastParseJson r;
  std::string json = "[";
  for (int i = 0; i < 3000; ++i) json += (i ? "," : "") + ("{\"a\":\"" + std::string(40, 'a') + std::to_string(i) + "\"}");
  ASSERT_EQ(r.ParseText(json + "]"), 3000);
  std::unordered_set<std::string> used;
  std::string batch;
  ASSERT_TRUE(r.BuildIdBatch(0, "1", "s", used, batch));
  r.Clear();
  EXPECT_EQ(r.RecordCount(), 0);
  EXPECT_EQ(r.FieldCount(), 0);
  EXPECT_FALSE(r.Hashed());
  json = "[";
  for (int i = 0; i < 3000; ++i) json += (i ? "," : "") + ("{\"b\":\"" + std::to_string(i) + std::string(50, 'b') + "\"}");
  ASSERT_EQ(r.ParseText(json + "]"), 3000);
  EXPECT_EQ(r.FieldNames(), std::vector<std::string>{"b"});
  for (int i = 0; i < 3000; i += 499) EXPECT_EQ(Field(r, i, "b"), std::to_string(i) + std::string(50, 'b'));
  used.clear();
  ASSERT_TRUE(r.BuildIdBatch(0, "1", "s", used, batch)) << "the batch cursor starts again too";
  EXPECT_EQ(used.size(), 1000u);
}

TEST(FastJson, RecordAccessOutOfRange) {
  TFastParseJson r;
  r.ParseText(R"([{"a":"1"}])");
  EXPECT_THROW_MSG(r.Record(1), EListError, "List index out of bounds (1)");
  EXPECT_THROW_MSG(r.Value(0, 3), EListError, "List index out of bounds (3)");
  EXPECT_THROW_MSG(r.Value(-1, 0), EListError, "List index out of bounds (-1)");
}

TEST(FastJson, TruncateFieldsCutsToSevenCharacters) {
  TFastParseJson r;
  r.ParseText(R"([{"ksjfrq":"2024-01-15","tzjfrq":"2024-12","xm":"longer name"},{"ksjfrq":"","tzjfrq":"2025-06-30"}])");
  int fields[] = {r.GetFieldIdx("ksjfrq"), r.GetFieldIdx("tzjfrq")};
  r.TruncateFields(fields);
  EXPECT_EQ(Field(r, 0, "ksjfrq"), "2024-01");
  EXPECT_EQ(Field(r, 0, "tzjfrq"), "2024-12");
  EXPECT_EQ(Field(r, 0, "xm"), "longer name");
  EXPECT_EQ(Field(r, 1, "tzjfrq"), "2025-06");
  int bad[] = {0, 7};
  EXPECT_THROW_MSG(r.TruncateFields(bad), EListError, "List index out of bounds (7)");
}

TEST(FastJson, IdBatchesHoldAtMostAThousandNewIds) {
  std::string json = "[";
  for (int i = 0; i < 2600; ++i) {
    // Every tenth id repeats the one before it; one id is empty.
    int id = i % 10 == 9 ? i - 1 : i;
    json += (i ? "," : "") + ("{\"cbxxID\":\"" + (i == 5 ? std::string() : std::to_string(id)) + "\"}");
  }
  TFastParseJson r;
  r.ParseText(json + "]");
  std::unordered_set<std::string> used{"0"};  // met in an earlier answer
  std::string batch;
  std::vector<size_t> sizes;
  while (r.BuildIdBatch(0, "101", "y1", used, batch)) {
    size_t ids = std::count(batch.begin(), batch.end(), ',') + 1 - 2;
    sizes.push_back(ids);
  }
  EXPECT_EQ(sizes, (std::vector<size_t>{1000, 1000, 338}));
  EXPECT_TRUE(batch.empty());
  EXPECT_EQ(used.size(), 2339u);

  TFastParseJson small;
  small.ParseText(R"([{"cbxxID":"a\"b"},{"cbxxID":"c"}])");
  std::unordered_set<std::string> none;
  ASSERT_TRUE(small.BuildIdBatch(0, "1\\0", "s", none, batch));
  EXPECT_EQ(batch, R"({"djxh":"1\\0","yblsh":"s","cbxxIds":["a\"b","c"]})");
  EXPECT_FALSE(small.BuildIdBatch(0, "1", "s", none, batch));
  small.ParseText(R"([{"cbxxID":"d"}])");
  ASSERT_TRUE(small.BuildIdBatch(0, "1", "s2", none, batch)) << "records added later are visited";
  EXPECT_EQ(batch, R"({"djxh":"1","yblsh":"s2","cbxxIds":["d"]})");
}

}  // namespace
}  // namespace velmor
