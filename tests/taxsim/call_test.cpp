#include "taxsim/call.h"

#include <gtest/gtest.h>

#include "documents.h"
#include "taxsim/codec.h"
#include "taxsim/request_types.h"

namespace velmor::taxsim {
namespace {

using namespace testing;

// The refusal a body earns, as "code message"; "accepted" when it decodes.
std::string Verdict(const std::string& body) {
  try {
    DecodeCall(Call::Endpoint::kService, "9001", "", body);
    return "accepted";
  } catch (const Refusal& r) {
    return r.code() + " " + r.what();
  }
}

std::string Body(const std::string& data) { return R"({"yblsh":"S1","djxh":"D1","data":")" + data + "\"}"; }

TEST(TaxsimCall, DecodesEachEncodingIntoUtf8Text) {
  std::string value = "张三&amp;&lt;";
  Call gbk = DecodeCall(Call::Endpoint::kService, "9001", "H", Body(EncodeGbk(GbkDocument("<xm>" + value + "</xm>"))));
  ASSERT_TRUE(gbk.document);
  EXPECT_TRUE(gbk.document->gbk);
  EXPECT_FALSE(gbk.document->gzip);
  EXPECT_EQ(gbk.document->Value("xm"), "张三&<");
  EXPECT_EQ(gbk.Yblsh(), "S1");
  EXPECT_EQ(gbk.Djxh(), "D1");
  EXPECT_EQ(gbk.Serial(), "H");

  Call utf8 = DecodeCall(Call::Endpoint::kService, "9001", "", Body(EncodeUtf8(Utf8Document("<xm>李四</xm>"))));
  EXPECT_FALSE(utf8.document->gbk);
  EXPECT_EQ(utf8.document->Value("xm"), "李四");
  EXPECT_EQ(utf8.Serial(), "S1") << "without the header the body's yblsh names the call";

  Call gz = DecodeCall(Call::Endpoint::kService, "9001", "", Body(EncodeGzip(GzipDocument("<xm>王五</xm>"))));
  EXPECT_TRUE(gz.document->gzip);
  EXPECT_TRUE(gz.document->gbk);
  EXPECT_EQ(gz.document->Value("xm"), "王五");
  EXPECT_EQ(std::string(gz.document->type->name), "SbfCxjmxnhRcSbYzxxBcRequest");
}

TEST(TaxsimCall, BodiesWithoutDataAndKeyOrder) {
  Call c = DecodeCall(Call::Endpoint::kService, "0054", "", R"({"yblsh":"1","yzpzxh":"Y9","jfnd":2024,"djxh":"D"})");
  EXPECT_FALSE(c.document);
  EXPECT_EQ(c.Key("jfnd"), "2024");
  EXPECT_EQ(c.Key("absent"), "");
  std::string keys;
  for (auto it = c.body.begin(); it != c.body.end(); ++it) keys += it.key() + ",";
  EXPECT_EQ(keys, "yblsh,yzpzxh,jfnd,djxh,");
}

TEST(TaxsimCall, RefusesWhatItCannotRead) {
  EXPECT_EQ(Verdict("not json"), "10001 请求报文不是有效的JSON对象");
  EXPECT_EQ(Verdict("[1,2]"), "10001 请求报文不是有效的JSON对象");
  EXPECT_EQ(Verdict(std::string(100000, '[') + std::string(100000, ']')), "10001 请求报文JSON嵌套超过512层");
  EXPECT_EQ(Verdict(R"({"data":5})"), "10001 请求报文的data不是字符串");
  EXPECT_EQ(Verdict(R"({"data":{"jfnd":"2024"}})"), "accepted") << "parameters as a JSON object are the handler's";
  EXPECT_EQ(Verdict(Body("YWJ")), "10002 请求报文data无法解码：Base64长度不是4的倍数（3）");
  EXPECT_EQ(Verdict(Body("")), "10004 请求报文缺少xsi:type");
  EXPECT_EQ(Verdict(Body(EncodeUtf8(Document("NoSuchRequest", false, "", "")))), "10004 未知的请求报文类型：NoSuchRequest");
}

TEST(TaxsimCall, ChecksEncodingAgainstTheRequestType) {
  // A UTF-8 type sent in GBK, a GBK type sent uncompressed where gzip is due, and the reverse.
  EXPECT_EQ(Verdict(Body(EncodeGbk(Utf8Document("<xm>李四</xm>")))),
            "10002 SbfXhnCxDjdxRequest的报文编码错误：文本不是有效的UTF-8编码");
  EXPECT_EQ(Verdict(Body(EncodeGbk(GzipDocument("")))), "10002 SbfCxjmxnhRcSbYzxxBcRequest的报文应为gzip压缩");
  EXPECT_EQ(Verdict(Body(Base64Encode(Gzip(Utf8ToGbk(GbkDocument("")))))), "10002 SbfDjXnhDjdxCxRequest的报文不应压缩");
  EXPECT_EQ(Verdict(Body(EncodeGbk(GbkDocument("<a>x</b>")))),
            "10002 请求报文不是有效的XML：Start-end tags mismatch");
}

// A gzipped document is converted as it is unpacked; its failures still rank as if it had been
// unpacked whole first: damaged data before an unknown type, an unknown type before a bad byte.
TEST(TaxsimCall, AGzippedDocumentFailsInTheOrderOfItsChecks) {
  std::string rows;
  for (int i = 0; i < 20000; ++i) rows += "<xm>张" + std::to_string(i) + "</xm>";
  const std::string gbk = Utf8ToGbk(GzipDocument(rows));
  Call whole = DecodeCall(Call::Endpoint::kService, "9001", "", Body(Base64Encode(Gzip(gbk))));
  size_t count = 0;
  std::string last;
  for (pugi::xml_node xm : whole.document->Root().children("xm")) {
    ++count;
    last = xm.text().get();
  }
  EXPECT_EQ(count, 20000u) << "a text of many pieces";
  EXPECT_EQ(whole.document->Value("xm"), "张0");
  EXPECT_EQ(last, "张19999");

  std::string bad = gbk;
  const size_t at = bad.size() - 5000;
  bad[at] = '\xff';
  EXPECT_EQ(Verdict(Body(Base64Encode(Gzip(bad)))),
            "10002 SbfCxjmxnhRcSbYzxxBcRequest的报文编码错误：文本不是有效的GBK编码或无法转换（第" +
                std::to_string(at + 1) + "字节）");
  std::string packed = Gzip(bad);
  packed[packed.size() - 12] ^= 0x33;  // near the end: the bad byte is reached before the damage
  EXPECT_EQ(Verdict(Body(Base64Encode(packed))).rfind("10002 请求报文data无法解码：gzip", 0), 0u)
      << Verdict(Body(Base64Encode(packed)));

  std::string unknown = Utf8ToGbk(Document("NoSuchRequest", false, "", rows));
  unknown[unknown.size() - 100] = '\xff';
  EXPECT_EQ(Verdict(Body(Base64Encode(Gzip(unknown)))), "10004 未知的请求报文类型：NoSuchRequest");
  std::string cut = Gzip(unknown);
  EXPECT_EQ(Verdict(Body(Base64Encode(cut.substr(0, cut.size() - 3)))), "10002 请求报文data无法解码：gzip数据不完整");
  EXPECT_EQ(Verdict(Body(Base64Encode(Gzip(Utf8ToGbk(GzipDocument("")).substr(0, 40))))), "10004 请求报文缺少xsi:type")
      << "a text shorter than the bytes the type is read from";
}

TEST(TaxsimCall, ChecksTheRootAttributes) {
  // bbh-first type written xmlbh-first.
  EXPECT_EQ(Verdict(Body(EncodeUtf8(Document("SbfXhnCxDjdxRequest", true, "TaxMLBw_SBFGL_DJ_C0017_Request_V1.0.xsd", "")))),
            "10002 请求报文根节点属性顺序不符：xsi:type,xmlbh,bbh,xmlmc,xsi:schemaLocation,xmlns,xmlns:xsi");
  EXPECT_EQ(Verdict(Body(EncodeUtf8(Document("SbfXhnCxDjdxRequest", false, "TaxMLBw_SBFGL_DJ_C0018_Request_V1.0.xsd", "")))),
            "10002 请求报文xsi:schemaLocation不符：http://taxml.velmor.example/dataspec/ "
            "TaxMLBw_SBFGL_DJ_C0018_Request_V1.0.xsd");
  std::string doc = Utf8Document("");
  doc.replace(doc.find("bbh=\"String\""), 12, "bbh=\"Strin_\"");
  EXPECT_EQ(Verdict(Body(EncodeUtf8(doc))), "10002 请求报文根节点属性bbh的值不是String");
  std::string noDecl = Utf8Document("").substr(std::string(R"(<?xml version="1.0" encoding="UTF-8"?>)").size());
  EXPECT_EQ(Verdict(Body(EncodeUtf8(noDecl))), "10002 请求报文声明不符");
}

// The request options: the body key a type's document travels under, the standalone declaration, and a
// schema file named whole; each checked both ways.

std::string Under(const std::string& key, const std::string& data) {
  return R"({"yblsh":"S1","djxh":"D1",")" + key + R"(":")" + data + "\"}";
}

const std::string kDecl = R"(<?xml version="1.0" encoding="UTF-8"?>)";
const std::string kStandaloneDecl = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)";

std::string YjfeSz() {  // a type carried under "qqbw"
  return EncodeGbk(
      Document("SbfCxjmYjfeSzRequest", false, "TaxMLBw_SBFGL_SB_00122_Request_V1.0.xsd", "<djxh>D</djxh>"));
}

TEST(TaxsimOptions, EachTypesDocumentTravelsUnderItsOwnKey) {
  EXPECT_EQ(Verdict(Under("qqbw", YjfeSz())), "accepted");
  EXPECT_EQ(Verdict(Under("data", YjfeSz())), "10001 SbfCxjmYjfeSzRequest的报文应放在qqbw中");
  EXPECT_EQ(Verdict(Under("qqbw", EncodeGbk(GbkDocument("")))), "10001 SbfDjXnhDjdxCxRequest的报文应放在data中");
  EXPECT_EQ(Verdict(R"({"qqbw":5})"), "10001 请求报文的qqbw不是字符串");
  const std::string both = R"({"data":")" + EncodeGbk(GbkDocument("")) + R"(","qqbw":")" + YjfeSz() + "\"}";
  EXPECT_EQ(Verdict(both), "10001 请求报文同时含data和qqbw");
  Call c = DecodeCall(Call::Endpoint::kService, "0037", "", Under("qqbw", YjfeSz()));
  ASSERT_TRUE(c.document);
  EXPECT_EQ(c.document->Value("djxh"), "D");
}

TEST(TaxsimOptions, TheStandaloneDeclarationIsRequiredWhereTheTypeSaysSo) {
  const std::string root = Root("SbfCxjmTsrqSbxxBcRequest", false, "TaxMLBw_SBFGL_SB_00168_Request_V1.0.xsd");
  EXPECT_EQ(Verdict(Under("data", EncodeGbk(kStandaloneDecl + root + "</taxML>"))), "accepted");
  EXPECT_EQ(Verdict(Under("data", EncodeGbk(kDecl + root + "</taxML>"))), "10002 请求报文声明不符");
  EXPECT_EQ(
      Verdict(Under("data", EncodeGbk(kStandaloneDecl +
                                      Root("SbfDjXnhDjdxCxRequest", false, "TaxMLBw_SBFGL_DJ_C0020_Request_V1.0.xsd") +
                                      "</taxML>"))),
      "10002 请求报文声明不符")
      << "and only there";
}

TEST(TaxsimOptions, ASchemaFileNamedWholeIsRequiredAsItStands) {
  EXPECT_EQ(SchemaFileName(*FindRequestType("CxjmXnhShbxfJfDjxxCxRequest")), "TaxMLBw_SBFGL_DJ_00206_Request.xsd");
  EXPECT_EQ(Verdict(Under("data", EncodeGbk(Document("CxjmXnhShbxfJfDjxxCxRequest", false,
                                                     "TaxMLBw_SBFGL_DJ_00206_Request.xsd", "")))),
            "accepted");
  EXPECT_EQ(Verdict(Under("data", EncodeGbk(Document("CxjmXnhShbxfJfDjxxCxRequest", false,
                                                     "TaxMLBw_SBFGL_DJ_00206_Request_V1.0.xsd", "")))),
            "10002 请求报文xsi:schemaLocation不符：http://taxml.velmor.example/dataspec/ "
            "TaxMLBw_SBFGL_DJ_00206_Request_V1.0.xsd");
}

}  // namespace
}  // namespace velmor::taxsim
