// Reading answers of the declaration manager without a server: the second form's result codes
// and the answer document turned into JSON for the residents' queries.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "codec/taxml_exchange.h"
#include "codec/taxml_response.h"
#include "declaration/feedback.h"
#include "declaration/xml_json.h"

namespace velmor::declaration {
namespace {

using Json = nlohmann::ordered_json;

taxml::Response Doc(const std::string& inner) { return taxml::Response::Parse("<taxML>" + inner + "</taxML>"); }

TEST(SecondFormFeedback, TheTwoCodesOfTheSecondForm) {
  Feedback pending = ReadSecondFormFeedback(Doc("<code>60001</code><message>处理中</message>"));
  EXPECT_FALSE(pending.final);
  EXPECT_EQ(pending.sbzt, 9);
  Feedback refused = ReadSecondFormFeedback(Doc("<code>60002</code><message>不予受理</message>"));
  EXPECT_TRUE(refused.final) << "the reason is recorded";
  EXPECT_EQ(refused.sbzt, 3);
  EXPECT_EQ(refused.sbyy, "【60002】不予受理");
  EXPECT_EQ(refused.yzpzxh, "");
  EXPECT_EQ(refused.errors, "[]");
}

TEST(SecondFormFeedback, OtherAnswersReadAsTheFirstForm) {
  Feedback declared = ReadSecondFormFeedback(Doc("<code>00000</code><yzpzxh>V9</yzpzxh><ybtfe>1.00</ybtfe>"));
  EXPECT_EQ(declared.sbzt, 2);
  EXPECT_EQ(declared.yzpzxh, "V9");
  Feedback failed = ReadSecondFormFeedback(
      Doc("<code>20001</code><message>校验不通过</message><cwmxList><cwmxDTO><jfmxxh>3</jfmxxh>"
          "<cwxx>证件错误</cwxx></cwmxDTO></cwmxList>"));
  EXPECT_EQ(failed.sbzt, 3);
  EXPECT_EQ(Json::parse(failed.errors), Json::parse(R"([{"jfmxxh":"3","sbyy":"证件错误"}])"));
  EXPECT_EQ(ReadSecondFormFeedback(Doc("<code>00000</code>")).sbzt, 9);
  EXPECT_THROW(ReadSecondFormFeedback(Doc("<code>30001</code><message>x</message>")), taxml::Failure);
  EXPECT_THROW(ReadSecondFormFeedback(Doc("<message>no code</message>")), Exception);
}

Json Converted(const std::string& xml) {
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_string(xml.c_str()));
  return XmlToJson(doc.document_element());
}

TEST(XmlToJson, ValuesObjectsAndLists) {
  EXPECT_EQ(Converted("<taxML><code>00000</code><a></a><b><c>1</c></b></taxML>"),
            Json::parse(R"({"code":"00000","a":"","b":{"c":"1"}})"));
  // A list stays a list with one row and with none.
  EXPECT_EQ(Converted("<r><xList><row><k>1</k></row></xList><yList/></r>"),
            Json::parse(R"({"xList":[{"k":"1"}],"yList":[]})"));
  EXPECT_EQ(Converted("<r><xList><row><k>1</k></row><row><k>2</k></row></xList></r>")["xList"].size(), 2u);
  // A name met again becomes an array in document order, and only once.
  EXPECT_EQ(Converted("<r><v>1</v><w>x</w><v>2</v><v>3</v></r>"), Json::parse(R"({"v":["1","2","3"],"w":"x"})"));
  EXPECT_EQ(Converted("<r><aList><i>1</i></aList><aList><i>2</i></aList><aList/></r>")["aList"],
            Json::parse(R"([[ "1" ],[ "2" ],[]])"));
  // Text is kept as text, escapes resolved; comments and processing instructions are not values.
  EXPECT_EQ(Converted("<r><t>a&amp;&lt;b&gt;\"</t><!-- c --><n>张三</n></r>"),
            Json::parse(R"({"t":"a&<b>\"","n":"张三"})"));
}

}  // namespace
}  // namespace velmor::declaration
