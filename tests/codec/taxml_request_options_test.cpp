// The request options some types need: the body key carrying the document, a schema file named
// whole, standalone="yes" in the declaration, and body content built by the caller's XML builder.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "codec/taxml_exchange.h"
#include "codec/taxml_request.h"

namespace velmor::taxml {
namespace {

std::string Body(const RequestDocument& doc) {
  std::string text = doc.Text();
  return text.substr(text.find('>', text.find("<taxML")) + 1);
}

TEST(TaxmlOptions, TheDocumentTravelsUnderItsTypesBodyKey) {
  for (const char* type : {"SbfCxjmYjfeSzRequest", "CxjmJdczBgRequest", "CxjmJdczCxRequest"}) {
    RequestDocument doc(type);
    Call call;
    call.document = &doc;
    nlohmann::ordered_json body = nlohmann::ordered_json::parse(BodyText(call, "S1", "D1"));
    EXPECT_EQ(body["qqbw"], EncodeData(doc)) << type;
    EXPECT_FALSE(body.contains("data")) << type;
    EXPECT_EQ(std::prev(body.end()).key(), "qqbw") << "the document comes last";
  }
  RequestDocument plain("SbfXhnCxDjdxRequest");
  EXPECT_EQ(plain.Type().bodyKey, "data") << "the default";
}

TEST(TaxmlOptions, ASchemaFileNamedWholeIsUsedAsItStands) {
  const RequestType& t = *FindRequestType("CxjmXnhShbxfJfDjxxCxRequest");
  EXPECT_EQ(SchemaFileName(t), "TaxMLBw_SBFGL_DJ_00206_Request.xsd");
  EXPECT_NE(RequestDocument(t.name).Text().find(
                R"(xsi:schemaLocation="http://taxml.velmor.example/dataspec/ TaxMLBw_SBFGL_DJ_00206_Request.xsd")"),
            std::string::npos);
}

TEST(TaxmlOptions, StandaloneDeclarationOnlyWhereTheTypeSaysSo) {
  constexpr std::string_view kStandalone = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><taxML )";
  EXPECT_EQ(RequestDocument("SbfCxjmTsrqSbxxBcRequest").Text().rfind(kStandalone, 0), 0u);
  int standalone = 0;
  for (const RequestType& t : AllRequestTypes()) {
    const bool has = RequestDocument(t.name).Text().rfind(kStandalone, 0) == 0;
    EXPECT_EQ(has, t.standalone) << t.name;
    standalone += has;
  }
  EXPECT_EQ(standalone, 1);
}

TEST(TaxmlOptions, BuiltContentIsAppendedAsItStandsInsideTheOpenElement) {
  RequestDocument doc("SbfCxjmTsrqSbxxBcRequest");
  doc.Add("djxh", "D1").Open("sbxx").AddBuilt("<xm>A&amp;B&#20013;&#x4E2D;</xm><bz/><![CDATA[a&b]]>").Close();
  EXPECT_EQ(Body(doc), "<djxh>D1</djxh><sbxx><xm>A&amp;B&#20013;&#x4E2D;</xm><bz/><![CDATA[a&b]]></sbxx></taxML>");
  doc.AddBuilt("");
  EXPECT_EQ(Body(doc), "<djxh>D1</djxh><sbxx><xm>A&amp;B&#20013;&#x4E2D;</xm><bz/><![CDATA[a&b]]></sbxx></taxML>")
      << "nothing to add";
}

TEST(TaxmlOptions, BuiltContentThatIsNoWellFormedXmlIsRefused) {
  RequestDocument doc("SbfCxjmTsrqSbxxBcRequest");
  doc.Add("djxh", "D1");
  const std::string before = doc.Text();
  for (const char* bad :
       {"A&B", "<xm>open", "</sbxx><evil>", "<a></b>", R"(<?xml version="1.0"?><a/>)", "<!DOCTYPE a><a/>"}) {
    try {
      doc.AddBuilt(bad);
      ADD_FAILURE() << bad;
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()).rfind("请求报文片段不是有效的XML：", 0), 0u) << bad << ": " << e.what();
    }
  }
  EXPECT_EQ(doc.Text(), before) << "a refused fragment leaves the document as it was";
}

}  // namespace
}  // namespace velmor::taxml
