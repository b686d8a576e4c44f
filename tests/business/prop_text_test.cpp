// Reading and writing properties as text: the formats, the conversions and the error table.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "business/date_time.h"
#include "fake_debugger.h"
#include "test_records.h"
#include "velmor/exceptions.h"

namespace velmor::testing {
namespace {

// Expects `f` to raise exactly class E with message `what`.
template <class E>
void ExpectRaises(const std::function<void()>& f, const std::string& what) {
  try {
    f();
    ADD_FAILURE() << "no exception, expected: " << what;
  } catch (const E& e) {
    EXPECT_EQ(std::string(e.ClassName()), std::string(E("").ClassName()));
    EXPECT_EQ(e.what(), what);
  } catch (const std::exception& e) {
    ADD_FAILURE() << "other exception: " << e.what();
  }
}

std::string FormatMsg(const std::string& prop, const std::string& text, const std::string& label) {
  return "给[TAllKinds." + prop + "]属性赋值异常，[" + text + "]不是正确的" + label + "数据格式。";
}

std::string RangeMsg(const std::string& prop, const std::string& text) {
  return "给[TAllKinds." + prop + "]属性赋值异常，[" + text + "]数据过大或者过小。";
}

class PropText : public ::testing::Test {
 protected:
  void Set(const char* name, const std::string& text) { o->SetPropTextByName(name, text); }
  std::string Get(const char* name) { return o->GetPropTextByName(name); }
  Ref<TAllKinds> o = New<TAllKinds>();
};

TEST_F(PropText, Integers) {
  Set("nl", "-42");
  EXPECT_EQ(o->nl, -42);
  EXPECT_EQ(Get("nl"), "-42");
  Set("nl", " 17 ");
  EXPECT_EQ(Get("nl"), "17");
  Set("rydjxh", "-9223372036854775808");
  EXPECT_EQ(Get("rydjxh"), "-9223372036854775808");
  Set("card", "4294967295");
  EXPECT_EQ(Get("card"), "4294967295");
  Set("small", "-32768");
  EXPECT_EQ(o->small, -32768);
  Set("byte", "255");
  EXPECT_EQ(Get("byte"), "255");
  Set("month", "12");
  EXPECT_EQ(o->month, 12);
}

TEST_F(PropText, LettersInAnIntegerRaiseTheFormatMessage) {
  o->nl = 5;
  ExpectRaises<EConvertError>([&] { Set("nl", "abc"); }, FormatMsg("nl", "abc", "整型"));
  ExpectRaises<EConvertError>([&] { Set("NL", "1.5"); }, FormatMsg("nl", "1.5", "整型"));
  ExpectRaises<EConvertError>([&] { Set("rydjxh", ""); }, FormatMsg("rydjxh", "", "整型"));
  EXPECT_EQ(o->nl, 5);  // unchanged
}

TEST_F(PropText, NumbersOutsideTheDeclaredRangeRaiseTheRangeMessage) {
  o->month = 3;
  ExpectRaises<ERangeError>([&] { Set("month", "13"); }, RangeMsg("month", "13"));
  ExpectRaises<ERangeError>([&] { Set("month", "0"); }, RangeMsg("month", "0"));
  ExpectRaises<ERangeError>([&] { Set("byte", "256"); }, RangeMsg("byte", "256"));
  ExpectRaises<ERangeError>([&] { Set("byte", "-1"); }, RangeMsg("byte", "-1"));
  ExpectRaises<ERangeError>([&] { Set("small", "32768"); }, RangeMsg("small", "32768"));
  ExpectRaises<ERangeError>([&] { Set("nl", "2147483648"); }, RangeMsg("nl", "2147483648"));
  ExpectRaises<ERangeError>([&] { Set("card", "-1"); }, RangeMsg("card", "-1"));
  ExpectRaises<ERangeError>([&] { Set("rydjxh", "9223372036854775808"); }, RangeMsg("rydjxh", "9223372036854775808"));
  EXPECT_EQ(o->month, 3);
  Set("nl", "2147483647");
  EXPECT_EQ(o->nl, INT32_MAX);
}

TEST_F(PropText, TextIsStoredAsGiven) {
  Set("xm", "  张三 ");
  EXPECT_EQ(o->xm, "  张三 ");
  EXPECT_EQ(Get("xm"), "  张三 ");
  Set("wxm", "");
  EXPECT_EQ(Get("wxm"), "");
}

TEST_F(PropText, Characters) {
  Set("ch", "A");
  EXPECT_EQ(o->ch, 'A');
  EXPECT_EQ(Get("ch"), "A");
  Set("ch", "66");  // a number is the character code
  EXPECT_EQ(Get("ch"), "B");
  Set("ch", "7");   // one character is itself
  EXPECT_EQ(Get("ch"), "7");
  Set("ch", "");
  EXPECT_EQ(o->ch, 0);
  EXPECT_EQ(Get("ch"), "");
  Set("wch", "张");
  EXPECT_EQ(o->wch, u'张');
  EXPECT_EQ(Get("wch"), "张");
  ExpectRaises<EConvertError>([&] { Set("ch", "AB"); }, FormatMsg("ch", "AB", "文本"));
  ExpectRaises<ERangeError>([&] { Set("ch", "张"); }, RangeMsg("ch", "张"));
  ExpectRaises<ERangeError>([&] { Set("ch", "300"); }, RangeMsg("ch", "300"));
  ExpectRaises<ERangeError>([&] { Set("wch", "😀"); }, RangeMsg("wch", "😀"));
  // Half a surrogate pair and malformed UTF-8 are no characters; U+FFFD itself is one.
  ExpectRaises<EConvertError>([&] { Set("wch", "55296"); }, FormatMsg("wch", "55296", "文本"));
  ExpectRaises<EConvertError>([&] { Set("wch", "\xff"); }, FormatMsg("wch", "\xff", "文本"));
  Set("wch", "\uFFFD");
  EXPECT_EQ(o->wch, 0xFFFD);
}

TEST_F(PropText, BooleanReadsAsOneOrZero) {
  o->sfyx = true;
  EXPECT_EQ(Get("sfyx"), "1");
  o->sfyx = false;
  EXPECT_EQ(Get("sfyx"), "0");
}

TEST_F(PropText, BooleanWrittenAsTrueInAnyCaseOrOne) {
  for (const char* t : {"TRUE", "true", "True", "tRuE", "1"}) {
    o->sfyx = false;
    Set("sfyx", t);
    EXPECT_TRUE(o->sfyx) << t;
  }
  for (const char* t : {"FALSE", "false", "False", "0"}) {
    o->sfyx = true;
    Set("sfyx", t);
    EXPECT_FALSE(o->sfyx) << t;
  }
}

TEST_F(PropText, BooleanRefusesOtherWords) {
  o->sfyx = true;
  ExpectRaises<EPropertyConvertError>([&] { Set("sfyx", "yes"); }, FormatMsg("sfyx", "yes", "布尔"));
  ExpectRaises<EPropertyConvertError>([&] { Set("sfyx", ""); }, FormatMsg("sfyx", "", "布尔"));
  ExpectRaises<ERangeError>([&] { Set("sfyx", "2"); }, RangeMsg("sfyx", "2"));
  EXPECT_TRUE(o->sfyx);
}

TEST_F(PropText, TriState) {
  Set("tsbz", "all");
  EXPECT_EQ(o->tsbz, tsAll);
  EXPECT_EQ(Get("tsbz"), "tsAll");
  Set("tsbz", "YES");
  EXPECT_EQ(o->tsbz, tsYes);
  Set("tsbz", "No");
  EXPECT_EQ(o->tsbz, tsNo);
  Set("tsbz", "TSYES");  // an identifier
  EXPECT_EQ(Get("tsbz"), "tsYes");
  Set("tsbz", "-1");     // an ordinal
  EXPECT_EQ(o->tsbz, tsAll);
  ExpectRaises<ERangeError>([&] { Set("tsbz", "2"); }, RangeMsg("tsbz", "2"));
  ExpectRaises<EPropertyConvertError>([&] { Set("tsbz", "maybe"); }, FormatMsg("tsbz", "maybe", "三态"));
  EXPECT_EQ(o->tsbz, tsAll);
}

TEST_F(PropText, EnumerationsByIdentifierOrOrdinal) {
  EXPECT_EQ(Get("colour"), "clGreen");
  Set("colour", "CLBLUE");
  EXPECT_EQ(o->colour, Colour::Blue);
  Set("colour", "0");
  EXPECT_EQ(Get("colour"), "clRed");
  ExpectRaises<EPropertyConvertError>([&] { Set("colour", "clPink"); }, FormatMsg("colour", "clPink", "枚举"));
  ExpectRaises<ERangeError>([&] { Set("colour", "3"); }, RangeMsg("colour", "3"));
  EXPECT_EQ(o->colour, Colour::Red);
  o->colour = static_cast<Colour>(7);  // no identifier: the ordinal
  EXPECT_EQ(Get("colour"), "7");
}

TEST_F(PropText, SetsReadAsIdentifiersAndAreNeverWritten) {
  EXPECT_EQ(Get("colours"), "");
  o->colours = 0b101;
  EXPECT_EQ(Get("colours"), "clRed,clBlue");
  o->digits = 0b1000000011;
  EXPECT_EQ(Get("digits"), "0,1,9");
  Set("colours", "clGreen");
  EXPECT_EQ(o->colours, 0b101u);
}

TEST_F(PropText, AmountsDropGroupingAndTheYenSign) {
  Set("yjfe", "￥1,234.5");
  EXPECT_DOUBLE_EQ(o->yjfe, 1234.5);
  EXPECT_EQ(Get("yjfe"), "1234.50");
  Set("jfje", "￥1,234.5");
  EXPECT_DOUBLE_EQ(o->jfje, 1234.5);
  EXPECT_EQ(Get("jfje"), "1234.50");
  Set("jfje", " -1,000,000.125 ");
  EXPECT_DOUBLE_EQ(o->jfje, -1000000.125);
  EXPECT_EQ(Get("jfje"), "-1000000.13");
  Set("single", "2.5");
  EXPECT_EQ(Get("single"), "2.50");
}

TEST_F(PropText, EmptyOrBlankAmountsAreZero) {
  for (const char* t : {"", "   ", "￥", ",", " ￥ , "}) {
    o->yjfe = 9;
    o->jfje = 9;
    Set("yjfe", t);
    Set("jfje", t);
    EXPECT_EQ(o->yjfe, 0.0) << t;
    EXPECT_EQ(Get("yjfe"), "0.00");
    EXPECT_EQ(Get("jfje"), "0.00");
  }
}

TEST_F(PropText, FloatsKeepFourDecimalsAndReadWithTwo) {
  Set("jfje", "12.34567");
  EXPECT_DOUBLE_EQ(o->jfje, 12.3457);
  EXPECT_EQ(Get("jfje"), "12.35");
  o->jfje = 0.125;
  EXPECT_EQ(Get("jfje"), "0.13");
}

TEST_F(PropText, BadAmountsRaiseTheFormatMessage) {
  o->yjfe = 1;
  ExpectRaises<EConvertError>([&] { Set("yjfe", "abc"); }, FormatMsg("yjfe", "abc", "金额"));
  ExpectRaises<EConvertError>([&] { Set("jfje", "1.2.3"); }, FormatMsg("jfje", "1.2.3", "金额"));
  ExpectRaises<EConvertError>([&] { Set("jfje", "1e20"); }, FormatMsg("jfje", "1e20", "金额"));
  ExpectRaises<EConvertError>([&] { Set("single", "$5"); }, FormatMsg("single", "$5", "金额"));
  EXPECT_EQ(o->yjfe, 1.0);
}

TEST_F(PropText, DatesInEveryWrittenForm) {
  for (const char* t : {"20240131", "2024年1月31日", "2024/01/31", "2024.01.31", "2024-01-31"}) {
    o->csrq = 0;
    Set("csrq", t);
    EXPECT_EQ(o->csrq, EncodeDate(2024, 1, 31)) << t;
    EXPECT_EQ(Get("csrq"), "2024-01-31");
  }
}

TEST_F(PropText, DateKindsKeepWhatTheTextHeldAndReadInTheirFormat) {
  Set("csrq", "2024-01-31 08:05:09");  // the time part stays in a date property
  EXPECT_DOUBLE_EQ(o->csrq, 45322.0 + EncodeTime(8, 5, 9, 0));
  EXPECT_EQ(Get("csrq"), "2024-01-31");
  Set("lrsj", "2024年1月31日 8:05:09");
  EXPECT_EQ(Get("lrsj"), "2024-01-31 08:05:09");
  Set("sbsj", "23:59:58");
  EXPECT_EQ(Get("sbsj"), "23:59:58");
  EXPECT_LT(o->sbsj, 1.0);
  o->sbsj = 45322.75;
  EXPECT_EQ(Get("sbsj"), "18:00:00");
  o->lrsj = -1.25;
  EXPECT_EQ(Get("lrsj"), "1899-12-29 06:00:00");
  o->lrsj = std::nan("");
  EXPECT_EQ(Get("lrsj"), "");
}

TEST_F(PropText, BadDatesRaiseTheFormatMessageWithTheirKindsLabel) {
  o->csrq = 1;
  ExpectRaises<EConvertError>([&] { Set("csrq", "2024-02-30"); }, FormatMsg("csrq", "2024-02-30", "日期"));
  ExpectRaises<EConvertError>([&] { Set("sbsj", "25:00"); }, FormatMsg("sbsj", "25:00", "时间"));
  ExpectRaises<EConvertError>([&] { Set("lrsj", "yesterday"); }, FormatMsg("lrsj", "yesterday", "日期/时间"));
  ExpectRaises<EConvertError>([&] { Set("lrsj", ""); }, FormatMsg("lrsj", "", "日期/时间"));
  EXPECT_EQ(o->csrq, 1.0);
}

TEST_F(PropText, AnyOtherFailureBecomesTheGeneralException) {
  FakeDebugHost host;
  host.debugger().throwOnWrite = true;  // the failed-date line cannot be written
  o->csrq = 1;
  ExpectRaises<Exception>([&] { Set("csrq", "bad"); }, FormatMsg("csrq", "bad", "日期"));
  EXPECT_EQ(o->csrq, 1.0);
}

TEST_F(PropText, KindsWithoutTextFormReadEmptyAndIgnoreWrites) {
  for (const char* name : {"dz", "lxr", "onChange", "extra", "rec", "arr", "dyn"}) {
    EXPECT_EQ(Get(name), "") << name;
    EXPECT_NO_THROW(Set(name, "x")) << name;
  }
  o->dz = New<TAddress>();
  EXPECT_EQ(Get("dz"), "");
}

TEST_F(PropText, APropertyWithoutSetterIsNotWritten) {
  Set("bh", "B-2");
  EXPECT_EQ(o->bh, "B-1");
  o->SetPropText(kBh, "B-3");
  EXPECT_EQ(Get("bh"), "B-1");
}

TEST_F(PropText, UnknownNamesReadEmptyAndAreNotWritten) {
  EXPECT_EQ(Get("nosuch"), "");
  EXPECT_NO_THROW(Set("nosuch", "1"));
  EXPECT_NO_THROW(Set("", "1"));
}

TEST_F(PropText, ByIndexAndByNameAgree) {
  o->SetPropText(kNl, "5");
  EXPECT_EQ(o->GetPropText(kNl), "5");
  EXPECT_EQ(Get("NL"), "5");
}

// A derived class's name is the one in the messages.
TEST(PropTextMessages, NameTheMostDerivedClass) {
  Ref<TDerivedKinds> d = New<TDerivedKinds>();
  try {
    d->SetPropTextByName("nl", "x");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "给[TDerivedKinds.nl]属性赋值异常，[x]不是正确的整型数据格式。");
  }
}

}  // namespace
}  // namespace velmor::testing
