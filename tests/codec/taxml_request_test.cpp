// Request documents, the encoding of "data" and the JSON body, checked byte for byte.
#include "codec/taxml_request.h"

#include <gtest/gtest.h>

#include "codec/base64.h"
#include "codec/gbk.h"
#include "codec/gzip.h"
#include "codec/taxml_exchange.h"

namespace velmor::taxml {
namespace {

const std::string kDecl = R"(<?xml version="1.0" encoding="UTF-8"?>)";
const std::string kNs = R"(xmlns="http://taxml.velmor.example/dataspec/" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance")";

TEST(TaxmlDocument, RootAttributesFollowTheRequestType) {
  EXPECT_EQ(RequestDocument("SbfXhnCxDjdxRequest").Text(),
            kDecl + R"(<taxML xsi:type="SbfXhnCxDjdxRequest" bbh="String" xmlbh="String" xmlmc="String" )"
                    R"(xsi:schemaLocation="http://taxml.velmor.example/dataspec/ TaxMLBw_SBFGL_DJ_C0017_Request_V1.0.xsd" )" +
                kNs + "></taxML>");
  EXPECT_EQ(RequestDocument("SbfCxjmxnhRcSbYzxxBcRequest").Text(),
            kDecl + R"(<taxML xsi:type="SbfCxjmxnhRcSbYzxxBcRequest" xmlbh="String" bbh="String" xmlmc="String" )"
                    R"(xsi:schemaLocation="http://taxml.velmor.example/dataspec/ TaxMLBw_GSSBF_SB_00117_Request_V1.0.xsd" )" +
                kNs + "></taxML>");
}

TEST(TaxmlDocument, BodyElementsListsAndEscaping) {
  RequestDocument doc("SbfDjXnhDjdxCxRequest");
  doc.Add("xm", "张&三<李>'\"#").Add("yjfe", 380.0).Add("jfje", 12.5).Add("nd", 2024).Add("bz", "");
  doc.Open("sbfJfsbbmxList").Open("sbfJfsbbmxDTO").Add("jfmxxh", "0001").Close();
  doc.Open("sbfJfsbbmxDTO").Add("jfmxxh", "0002").Close().Close();
  std::string text = doc.Text();
  std::string body = text.substr(text.find('>', text.find("<taxML")) + 1);
  EXPECT_EQ(body,
            "<xm>张&amp;三&lt;李&gt;&apos;&quot;#</xm><yjfe>380</yjfe><jfje>12.5</jfje><nd>2024</nd><bz></bz>"
            "<sbfJfsbbmxList><sbfJfsbbmxDTO><jfmxxh>0001</jfmxxh></sbfJfsbbmxDTO>"
            "<sbfJfsbbmxDTO><jfmxxh>0002</jfmxxh></sbfJfsbbmxDTO></sbfJfsbbmxList></taxML>");
}

TEST(TaxmlDocument, MisuseIsReported) {
  try {
    RequestDocument doc("NoSuchRequest");
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "未知的请求报文类型：NoSuchRequest");
  }
  RequestDocument doc("SbfDjXnhDjdxCxRequest");
  EXPECT_THROW(doc.Close(), Exception);
  doc.Open("list").Open("row");
  try {
    doc.Text();
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "请求报文节点<row>未关闭");
  }
}

TEST(TaxmlDocument, EveryTableRowNamesItsSchemaFile) {
  ASSERT_EQ(AllRequestTypes().size(), 47u);
  for (const auto& t : AllRequestTypes()) {
    EXPECT_EQ(FindRequestType(t.name), &t);
    std::string text = RequestDocument(t.name).Text();
    EXPECT_NE(text.find(" " + SchemaFileName(t) + "\""), std::string::npos) << t.name;
  }
  EXPECT_EQ(SchemaFileName(*FindRequestType("SbfDjXnhDjdxCxRequest")), "TaxMLBw_SBFGL_DJ_C0020_Request_V1.0.xsd");
  EXPECT_EQ(FindRequestType("sbfxhncxdjdxrequest"), nullptr) << "names are exact";
}

TEST(TaxmlData, EncodingByRequestType) {
  RequestDocument gbk("SbfDjXnhDjdxCxRequest");
  gbk.Add("xm", "张三");
  EXPECT_EQ(GbkToUtf8(Base64Decode(EncodeData(gbk))), gbk.Text());
  EXPECT_NE(Base64Decode(EncodeData(gbk)), gbk.Text()) << "the bytes are GBK";

  RequestDocument utf8("SbfXhnCxDjdxRequest");
  utf8.Add("xm", "张三");
  EXPECT_EQ(Base64Decode(EncodeData(utf8)), utf8.Text());

  RequestDocument gz("SbfCxjmxnhRcSbYzxxBcRequest");
  gz.Add("xm", "张三");
  std::string packed = Base64Decode(EncodeData(gz));
  ASSERT_GE(packed.size(), 3u);
  EXPECT_EQ(uint8_t(packed[0]), 31);
  EXPECT_EQ(uint8_t(packed[1]), 139);
  EXPECT_EQ(GbkToUtf8(GzipDecompress(packed)), gz.Text());

  EXPECT_EQ(EncodeData(*FindRequestType("SbfDjXnhDjdxCxRequest"), ""), "");
  EXPECT_EQ(EncodeData(gbk).find('\n'), std::string::npos);

  RequestDocument emoji("SbfDjXnhDjdxCxRequest");
  emoji.Add("xm", "\xF0\x9F\x98\x80");
  EXPECT_THROW(EncodeData(emoji), EConvertError) << "not silently mangled";
  EXPECT_NO_THROW(EncodeData(*FindRequestType("SbfXhnCxDjdxRequest"), "\xF0\x9F\x98\x80"));
}

TEST(TaxmlData, ALargeGzipDocumentIsEncodedPieceByPieceAsOneWhole) {
  // More than a few megabytes, with three-byte characters across every piece boundary and a
  // character GBK lacks near the end: the error names its byte in the whole text.
  RequestDocument doc("SbfCxjmxnhRcSbYzxxBcRequest");
  doc.Open("sbfJfsbbmxList");
  for (int i = 0; i < 50000; ++i) doc.Open("sbfJfsbbmxDTO").Add("xm", std::string(i % 7, 'a') + "张三丰").Add("yjfe", 380.5).Close();
  doc.Close();
  const std::string text = doc.Text();
  ASSERT_GT(text.size(), size_t{3} << 20);
  const std::string packed = Base64Decode(EncodeData(doc));
  EXPECT_EQ(GbkToUtf8(GzipDecompress(packed)), text);
  EXPECT_EQ(packed, GzipCompress(Utf8ToGbk(text))) << "the same member as the whole text compressed at once";

  RequestDocument bad("SbfCxjmxnhRcSbYzxxBcRequest");
  bad.Add("pad", std::string(size_t{3} << 20, 'x')).Add("xm", "\xF0\x9F\x98\x80");
  std::string whole;
  try {
    (void)Utf8ToGbk(bad.Text());
  } catch (const EConvertError& e) {
    whole = e.what();
  }
  ASSERT_FALSE(whole.empty());
  try {
    EncodeData(bad);
    ADD_FAILURE() << "encoded";
  } catch (const EConvertError& e) {
    EXPECT_EQ(std::string(e.what()), whole);
  }
}

TEST(TaxmlBody, KeysInOrderWithEscapedStrings) {
  Call call;
  call.keys["sbrqz"] = "2024-12-31";
  call.keys["sbrqq"] = "2024-01-01";
  call.keys["bz"] = "a\"b\\c\nd";
  call.keys["pageNumber"] = 1;
  call.keys["zgswskfjdmList"] = nlohmann::ordered_json::array({{{"zgswksDm", "111"}}});
  EXPECT_EQ(BodyText(call, "S1", "D1"),
            R"({"yblsh":"S1","sbrqz":"2024-12-31","sbrqq":"2024-01-01","bz":"a\"b\\c\nd","pageNumber":1,)"
            R"("zgswskfjdmList":[{"zgswksDm":"111"}],"djxh":"D1"})");

  RequestDocument doc("SbfXhnCxDjdxRequest");
  Call withData;
  withData.document = &doc;
  withData.serial = Call::Serial::kNone;
  EXPECT_EQ(BodyText(withData, "ignored", "D1"), R"({"djxh":"D1","data":")" + EncodeData(doc) + "\"}");

  Call bare;
  bare.djxh = false;
  bare.keys["xm"] = "张三";
  EXPECT_EQ(BodyText(bare, "S2", ""), R"({"yblsh":"S2","xm":"张三"})") << "UTF-8 stays as it is";

  Call written;
  written.keys["zzdjxh"] = "D9";
  written.writtenKeys = {{"list", R"([{"a":"1"},{"a":"2"}])"}, {"n\"", "7"}};
  EXPECT_EQ(BodyText(written, "S3", "D1"), R"({"yblsh":"S3","zzdjxh":"D9","list":[{"a":"1"},{"a":"2"}],"n\"":7,)"
                                           R"("djxh":"D1"})");
  written.serial = Call::Serial::kNone;
  written.djxh = false;
  written.keys = nlohmann::ordered_json::object();
  EXPECT_EQ(BodyText(written, "S3", ""), R"({"list":[{"a":"1"},{"a":"2"}],"n\"":7})");

  Call bad;
  bad.keys["xm"] = std::string("\xC3");
  try {
    BodyText(bad, "S", "D");
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "请求报文含无效的UTF-8文本");
  }
}

}  // namespace
}  // namespace velmor::taxml
