// Reading large list answers (FastList, FastListAnswer) from Base64 text, gzip-packed or not:
// the rows, the code and list checks, and the errors of damaged answers, which must be those the
// whole-document reading gave.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "codec/base64.h"
#include "codec/gzip.h"
#include "codec/taxml_exchange.h"
#include "codec/xml_document.h"
#include "service/fast_answer.h"
#include "velmor/exceptions.h"

namespace velmor::service {
namespace {

using Json = nlohmann::ordered_json;

std::string Answer(size_t rows, const std::string& code = "00000", const std::string& list = "sbfWsbZjxxDetailList") {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<taxML>\n  <code>" + code +
                    "</code>\n  <message>处理 &amp; 完成</message>\n  <" + list + ">\n";
  for (size_t i = 0; i < rows; ++i) {
    xml += "    <sbfWsbZjxxDetailDTO>\n      <xxh>" + std::to_string(i + 1) +
           "</xxh>\n      <xm>张&lt;三&gt;</xm>\n      <yjfe>380.00</yjfe>\n      <bz/>\n"
           "    </sbfWsbZjxxDetailDTO>\n";
  }
  return xml + "  </" + list + ">\n</taxML>\n";
}

std::string Packed(const std::string& xml) { return Base64Encode(GzipCompress(xml)); }

Json Walk(const FastList& list) {
  Json rows = Json::array();
  list.ForEach([&](const Json& r) { rows.push_back(r); });
  return rows;
}

// The what() of the exception `read` raises ("" when it raises none).
template <class F>
std::string Raised(F read) {
  try {
    read();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

TEST(FastList, ReadsPackedAndPlainAnswersAlike) {
  const std::string xml = Answer(3);
  const FastList packed(Packed(xml), "sbfWsbZjxxDetailList", true);
  EXPECT_EQ(packed.Count(), 3u);
  const Json rows = Walk(packed);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2].dump(), R"({"xxh":"3","xm":"张<三>","yjfe":"380.00","bz":""})");
  // Walked twice, the same rows; the plain text and the one-call form give them too.
  EXPECT_EQ(Walk(packed), rows);
  EXPECT_EQ(FastListAnswer(Base64Encode(xml), "sbfWsbZjxxDetailList", false), rows);
  EXPECT_EQ(FastListAnswer(Packed(xml), "sbfWsbZjxxDetailList", true), rows);
}

TEST(FastList, ReadsAnAnswerOfManyUnpackedPieces) {
  // About 3 MB unpacked: rows cut across the reader's pieces.
  const size_t n = 20000;
  const FastList list(Packed(Answer(n)), "sbfWsbZjxxDetailList", true);
  EXPECT_EQ(list.Count(), n);
  size_t seen = 0;
  list.ForEach([&](const Json& r) {
    ++seen;
    if (r["xxh"] != std::to_string(seen) || r.size() != 4) ADD_FAILURE() << r.dump();
  });
  EXPECT_EQ(seen, n);
}

TEST(FastList, RefusesOtherCodesAndAMissingList) {
  EXPECT_EQ(Raised([] { FastList(Packed(Answer(2, "30001")), "sbfWsbZjxxDetailList", true); }),
            "【30001】处理 & 完成");
  EXPECT_EQ(Raised([] { FastList(Packed(Answer(2, "00000", "otherList")), "sbfWsbZjxxDetailList", true); }),
            "反馈报文缺少<sbfWsbZjxxDetailList>节点。");
  EXPECT_THROW(FastListAnswer(Base64Encode(Answer(1, "30001")), "sbfWsbZjxxDetailList", false), taxml::Failure);
  // An empty list is a list.
  EXPECT_EQ(FastList(Packed(Answer(0)), "sbfWsbZjxxDetailList", true).Count(), 0u);
}

TEST(FastList, DamagedAnswersRaiseWhatTheDocumentRaised) {
  const std::string member = GzipCompress(Answer(200));
  // A member cut in the middle: gzip's own error, after the reader saw part of the text.
  const std::string cut = member.substr(0, member.size() / 2);
  const std::string gzipError = Raised([&] { GzipDecompress(cut); });
  ASSERT_EQ(gzipError.rfind("gzip解压失败：", 0), 0u) << gzipError;
  EXPECT_EQ(Raised([&] { FastList(Base64Encode(cut), "sbfWsbZjxxDetailList", true); }), gzipError);
  // A damaged trailer: every piece was read before the fault shows.
  std::string badCrc = member;
  badCrc[badCrc.size() - 6] ^= 1;
  EXPECT_EQ(Raised([&] { FastList(Base64Encode(badCrc), "sbfWsbZjxxDetailList", true); }),
            Raised([&] { GzipDecompress(badCrc); }));
  // A whole member of a text cut short, and of a text with a stray end tag: the parser's errors.
  for (const std::string& xml : {Answer(5).substr(0, 300), Answer(2) + "</x>", std::string()}) {
    const std::string parserError = Raised([&] { LoadXMLDocument(xml); });
    ASSERT_FALSE(parserError.empty()) << xml;
    EXPECT_EQ(Raised([&] { FastList(Packed(xml), "sbfWsbZjxxDetailList", true); }), parserError);
    EXPECT_EQ(Raised([&] { FastListAnswer(Base64Encode(xml), "sbfWsbZjxxDetailList", false); }), parserError);
  }
  // Not Base64 at all: nothing decodes, as before.
  EXPECT_NE(Raised([] { FastList("not base64!", "sbfWsbZjxxDetailList", true); }), "");
  // A declaration and no root.
  EXPECT_EQ(Raised([] { FastList(Packed("<?xml version=\"1.0\"?>"), "x", true); }), "反馈报文没有根节点");
}

TEST(FastList, ATextLeftToTheDocumentGivesTheSameRows) {
  std::string xml = Answer(3);
  const Json rows = FastListAnswer(Base64Encode(xml), "sbfWsbZjxxDetailList", false);
  // An instruction inside the root: read by the whole document instead.
  xml.insert(xml.find("<code>"), "<?note x?>");
  const FastList list(Packed(xml), "sbfWsbZjxxDetailList", true);
  EXPECT_EQ(list.Count(), 3u);
  EXPECT_EQ(Walk(list), rows);
}

// Walks `list` with a visitor whose store fails at the second row: what reached the caller, and
// the rows the visitor saw.
template <class List>
std::pair<std::string, size_t> FailAtTheSecondRow(List& list) {
  size_t seen = 0;
  const std::string raised = Raised([&] {
    list.ForEach([&](const Json&) {
      if (++seen == 2) throw Exception("写入失败");
    });
  });
  return {raised, seen};
}

TEST(FastList, TheVisitorsErrorsReachTheCaller) {
  // The store's failure while rows are handed on is not taken for a damaged answer.
  const FastList list(Packed(Answer(3)), "sbfWsbZjxxDetailList", true);
  EXPECT_EQ(FailAtTheSecondRow(list), std::make_pair(std::string("写入失败"), size_t{2}));
}

// FastListOnce: the rows handed as the answer is read, its verdict told afterwards.
Json WalkOnce(FastListOnce& list, FastListOnce::Read& read) {
  Json rows = Json::array();
  read = list.ForEach([&](const Json& r) { rows.push_back(r); });
  return rows;
}

TEST(FastListOnce, HandsTheRowsOfAGoodAnswerOnce) {
  for (const bool gzip : {true, false}) {
    const std::string xml = Answer(20000);
    FastListOnce list(gzip ? Packed(xml) : Base64Encode(xml), "sbfWsbZjxxDetailList", gzip);
    FastListOnce::Read read = FastListOnce::Read::kDeclined;
    const Json rows = WalkOnce(list, read);
    EXPECT_EQ(read, FastListOnce::Read::kAccepted);
    EXPECT_EQ(list.Count(), 20000u);
    EXPECT_EQ(rows, FastListAnswer(Base64Encode(xml), "sbfWsbZjxxDetailList", false));
    EXPECT_NO_THROW(list.Check());
  }
}

TEST(FastListOnce, ARefusalIsToldAfterTheRowsAndRaisesAsTheCheckFirstDid) {
  FastListOnce refused(Packed(Answer(2, "30001")), "sbfWsbZjxxDetailList", true);
  FastListOnce::Read read = FastListOnce::Read::kAccepted;
  EXPECT_EQ(WalkOnce(refused, read).size(), 2u) << "the rows come before the verdict";
  EXPECT_EQ(read, FastListOnce::Read::kRefused);
  EXPECT_EQ(Raised([&] { refused.Check(); }),
            Raised([] { FastList(Packed(Answer(2, "30001")), "sbfWsbZjxxDetailList", true); }));
  FastListOnce listless(Packed(Answer(2, "00000", "otherList")), "sbfWsbZjxxDetailList", true);
  EXPECT_TRUE(WalkOnce(listless, read).empty());
  EXPECT_EQ(read, FastListOnce::Read::kRefused);
  EXPECT_EQ(Raised([&] { listless.Check(); }), "反馈报文缺少<sbfWsbZjxxDetailList>节点。");
  FastListOnce empty(Packed(Answer(0)), "sbfWsbZjxxDetailList", true);
  EXPECT_TRUE(WalkOnce(empty, read).empty());
  EXPECT_EQ(read, FastListOnce::Read::kAccepted) << "an empty list is a list";
}

TEST(FastListOnce, TextsTheReaderDeclinesAreLeftToTheDocument) {
  std::string xml = Answer(3);
  xml.insert(xml.find("<code>"), "<?note x?>");  // an instruction inside the root
  FastListOnce odd(Packed(xml), "sbfWsbZjxxDetailList", true);
  FastListOnce::Read read = FastListOnce::Read::kAccepted;
  WalkOnce(odd, read);
  EXPECT_EQ(read, FastListOnce::Read::kDeclined);
  EXPECT_NO_THROW(odd.Check()) << "nothing to raise: the document is read instead";
  // A member that does not unpack, after part of it was read: declined, and the document path
  // raises gzip's own error.
  const std::string member = GzipCompress(Answer(200));
  const std::string cut = Base64Encode(member.substr(0, member.size() / 2));
  FastListOnce damaged(cut, "sbfWsbZjxxDetailList", true);
  WalkOnce(damaged, read);
  EXPECT_EQ(read, FastListOnce::Read::kDeclined);
  EXPECT_EQ(Raised([&] { FastList(cut, "sbfWsbZjxxDetailList", true); }).rfind("gzip解压失败：", 0), 0u);
  // Not Base64 at all: declined too, and the document path raises as before.
  FastListOnce garbage("not base64!", "sbfWsbZjxxDetailList", true);
  WalkOnce(garbage, read);
  EXPECT_EQ(read, FastListOnce::Read::kDeclined);
  EXPECT_NE(Raised([] { FastList("not base64!", "sbfWsbZjxxDetailList", true); }), "");
}

TEST(FastListOnce, TheVisitorsErrorsReachTheCallerEvenOfThePlugInsOwnKind) {
  // While a member is unpacked, a fault of the plug-in's own kind means a member that does not
  // unpack; the store's failure of that kind must still reach the caller, not be taken for one.
  FastListOnce list(Packed(Answer(3)), "sbfWsbZjxxDetailList", true);
  EXPECT_EQ(FailAtTheSecondRow(list), std::make_pair(std::string("写入失败"), size_t{2}));
}

}  // namespace
}  // namespace velmor::service
