// The simulator's side of the request options: the body key a type's document travels under, the
// standalone declaration, and a schema file named whole; each checked both ways.
#include <gtest/gtest.h>

#include "documents.h"
#include "taxsim/call.h"
#include "taxsim/request_types.h"

namespace velmor::taxsim {
namespace {

using namespace testing;

std::string Verdict(const std::string& body) {
  try {
    DecodeCall(Call::Endpoint::kService, "9001", "", body);
    return "accepted";
  } catch (const Refusal& r) {
    return r.code() + " " + r.what();
  }
}

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
