// Reading answers: decoding, the success test, result lists and the exact failure texts. No host
// is running, so the return-code message component is absent and messages pass unchanged.
#include "codec/taxml_response.h"

#include <gtest/gtest.h>

#include "codec/base64.h"
#include "codec/gbk.h"
#include "codec/gzip.h"

namespace velmor::taxml {
namespace {

const std::string kOk =
    R"(<?xml version="1.0" encoding="UTF-8"?><taxML><code>00000</code><message>成功</message>)"
    R"(<yzpzxh>Y123</yzpzxh><sbqkxxList><sbqkxxDTO><sbzt>2</sbzt></sbqkxxDTO><sbqkxxDTO><sbzt>5</sbzt></sbqkxxDTO></sbqkxxList></taxML>)";

std::string Error(const std::function<void()>& f) {
  try {
    f();
  } catch (const Failure& e) {
    return std::string("Failure: ") + e.what();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "none";
}

TEST(TaxmlResponse, ReadsCodeValuesAndLists) {
  Response r = Response::Decode(Base64Encode(kOk));
  EXPECT_TRUE(r.Succeeded());
  EXPECT_EQ(r.Code(), "00000");
  EXPECT_EQ(r.Message(), "成功");
  EXPECT_EQ(r.Value("yzpzxh"), "Y123");
  EXPECT_EQ(r.Value("absent"), "");
  int rows = 0;
  for (pugi::xml_node row : r.RequireList("sbqkxxList").children("sbqkxxDTO")) rows += row.child("sbzt") ? 1 : 0;
  EXPECT_EQ(rows, 2);
  EXPECT_FALSE(r.List("errorDTOList"));
  EXPECT_NO_THROW(r.RequireSuccess());
}

TEST(TaxmlResponse, GbkAndGzipAnswers) {
  std::string gbkDoc = R"(<?xml version="1.0" encoding="GBK"?><taxML><code>00000</code><message>成功</message></taxML>)";
  Response g = Response::Decode(Base64Encode(Utf8ToGbk(gbkDoc)));
  EXPECT_EQ(g.Message(), "成功");
  Response z = Response::Decode(Base64Encode(GzipCompress(kOk)), {.gzip = true});
  EXPECT_EQ(z.Value("yzpzxh"), "Y123");
  std::string gb2312 = R"(<?xml version='1.0' encoding='gb2312'?><taxML><code>00000</code><message>中文</message></taxML>)";
  EXPECT_EQ(Response::Decode(Base64Encode(Utf8ToGbk(gb2312))).Message(), "中文");
}

TEST(TaxmlResponse, FailureTexts) {
  std::string bad = R"(<taxML><code>30035</code><message>已作废</message></taxML>)";
  Response r = Response::Parse(bad);
  EXPECT_FALSE(r.Succeeded());
  EXPECT_EQ(r.FailureText(), "【30035】已作废");
  EXPECT_EQ(Error([&] { r.RequireSuccess(); }), "Failure: 【30035】已作废");
  Response ok = Response::Parse(kOk);
  EXPECT_EQ(Error([&] { ok.RequireList("sbDetailList"); }), "Failure: 反馈报文缺少<sbDetailList>节点。");
  Response noCode = Response::Parse("<taxML><message>x</message></taxML>");
  EXPECT_EQ(Error([&] { noCode.Succeeded(); }), "反馈报文缺少<code>节点。");
}

TEST(TaxmlResponse, UndecodableAnswersAreReported) {
  EXPECT_EQ(Error([] { Response::Decode(""); }), "反馈报文为空");
  EXPECT_EQ(Error([] { Response::Decode("*" + Base64Encode(kOk).substr(1)); }), "反馈报文不是有效的Base64编码");
  EXPECT_EQ(Error([] { Response::Decode("YWJ"); }), "反馈报文不是有效的Base64编码");
  EXPECT_EQ(Error([] { Response::Decode(Base64Encode("<taxML><code>")); }),
            "反馈报文不是有效的XML：Start-end tags mismatch（第13字节）");
  EXPECT_EQ(Error([] { Response::Decode(Base64Encode("plain text")); }),
            "反馈报文不是有效的XML：No document element found（第11字节）");
  EXPECT_EQ(Error([] { Response::Decode(Base64Encode(kOk), {.gzip = true}); }).rfind("gzip解压失败：", 0), 0u);
  // GBK bytes declared as UTF-8 are not silently accepted.
  std::string lying = Utf8ToGbk(R"(<?xml version="1.0" encoding="UTF-8"?><taxML><code>00000</code><message>成功</message></taxML>)");
  EXPECT_EQ(Error([&] { Response::Decode(Base64Encode(lying)); }), "反馈报文不是有效的UTF-8编码");
}

}  // namespace
}  // namespace velmor::taxml
