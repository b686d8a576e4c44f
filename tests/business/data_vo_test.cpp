#include "business/data_vo.h"

#include <gtest/gtest.h>

#include <string>

namespace velmor {
namespace {

class DataVO : public ::testing::Test {
 protected:
  Ref<TMyDataVO> vo_ = Make<TMyDataVO>();
};

TEST_F(DataVO, EachKindReadsBackThroughItsOwnGetter) {
  vo_->SetIntValue7("i7", 7);
  vo_->SetStrValue("s", "社保");
  vo_->SetIntValue1("i1", -1);
  vo_->SetFloatValue2("f2", 2.5);
  vo_->SetBoolValue("b", true);
  vo_->SetFloatValue4("f4", -4.25);
  vo_->SetIntValue5("i5", 5);
  vo_->SetVariantValue("v", Variant("text"));
  vo_->SetIntValue8("i8", INT32_MIN);
  EXPECT_EQ(vo_->GetIntValue7("i7", 0), 7);
  EXPECT_EQ(vo_->GetStrValue("s", ""), "社保");
  EXPECT_EQ(vo_->GetIntValue1("i1", 0), -1);
  EXPECT_EQ(vo_->GetFloatValue2("f2", 0), 2.5);
  EXPECT_TRUE(vo_->GetBoolValue("b", false));
  EXPECT_EQ(vo_->GetFloatValue4("f4", 0), -4.25);
  EXPECT_EQ(vo_->GetIntValue5("i5", 0), 5);
  EXPECT_EQ(vo_->GetVariantValue("v"), Variant("text"));
  EXPECT_EQ(vo_->GetIntValue8("i8", 0), INT32_MIN);
  EXPECT_EQ(vo_->GetValueCount(), 9);
  const TDataVO& inner = *vo_->GetDataVO();
  const DataVOKind kinds[] = {kVoInt7, kVoStr, kVoInt1, kVoFloat2, kVoBool, kVoFloat4, kVoInt5, kVoVariant, kVoInt8};
  for (int32_t i = 0; i < 9; ++i) EXPECT_EQ(inner.KindAt(i), kinds[i]) << i;
}

TEST_F(DataVO, AbsentNamesGiveTheDefaults) {
  EXPECT_EQ(vo_->GetIntValue1("x", 42), 42);
  EXPECT_EQ(vo_->GetStrValue("x", "def"), "def");
  EXPECT_EQ(vo_->GetFloatValue2("x", 1.5), 1.5);
  EXPECT_TRUE(vo_->GetBoolValue("x", true));
  EXPECT_EQ(vo_->GetVariantValue("x"), Variant(0));
  EXPECT_EQ(vo_->GetVariantValue("x").type(), Variant::Type::Integer);
  EXPECT_EQ(vo_->GetValueCount(), 0);
}

TEST_F(DataVO, GettersReadTheirOwnSlot) {
  vo_->SetIntValue1("n", 1234);
  EXPECT_EQ(vo_->GetIntValue5("n", 0), 1234);  // same scalar slot
  EXPECT_EQ(vo_->GetIntValue8("n", 0), 1234);
  EXPECT_EQ(vo_->GetStrValue("n", "def"), "");  // the text slot of that cell is empty
  EXPECT_TRUE(vo_->GetVariantValue("n").IsEmpty());
  vo_->SetStrValue("t", "abc");
  EXPECT_EQ(vo_->GetIntValue1("t", 9), 0);  // not the default: the entry exists
  vo_->SetVariantValue("v", Variant(5));
  EXPECT_EQ(vo_->GetStrValue("v", "d"), "");
  vo_->SetBoolValue("b", true);
  EXPECT_EQ(vo_->GetIntValue1("b", 0), 1);  // the Boolean is the scalar's first byte
}

TEST_F(DataVO, NamesIgnoreCaseAndKeepTheirPosition) {
  vo_->SetStrValue("NSRSBH", "a");
  vo_->SetStrValue("djxh", "b");
  vo_->SetIntValue1("nsrsbh", 3);  // other case, other kind: same entry
  EXPECT_EQ(vo_->GetValueCount(), 2);
  EXPECT_EQ(vo_->GetValueName(0), "NSRSBH");  // the first spelling stays
  EXPECT_EQ(vo_->GetIntValue1("NsRsBh", 0), 3);
  EXPECT_EQ(vo_->GetStrValue("nsrsbh", "def"), "");  // the old text went with the old cell
  EXPECT_EQ(vo_->GetDataVO()->KindAt(0), kVoInt1);
  EXPECT_EQ(vo_->GetValueName(1), "djxh");
  EXPECT_EQ(vo_->GetValueName(2), "");
  EXPECT_EQ(vo_->GetValueName(-1), "");
}

TEST_F(DataVO, NonAsciiNamesCompareExactly) {
  vo_->SetStrValue("缴费年度", "2024");
  EXPECT_EQ(vo_->GetStrValue("缴费年度", ""), "2024");
  EXPECT_EQ(vo_->GetStrValue("缴费月度", "none"), "none");
}

TEST_F(DataVO, LongNamesAreCutTo255) {
  std::string name(300, 'n');
  vo_->SetIntValue1(name, 1);
  EXPECT_EQ(vo_->GetValueName(0), std::string(255, 'n'));
  EXPECT_EQ(vo_->GetIntValue1(name, -1), -1);  // the full name is not what was stored
  EXPECT_EQ(vo_->GetIntValue1(std::string(255, 'N'), -1), 1);
  vo_->SetIntValue1(name, 2);  // setting the long name again replaces, it does not append
  EXPECT_EQ(vo_->GetValueCount(), 1);
  EXPECT_EQ(vo_->GetIntValue1(std::string(255, 'n'), -1), 2);
}

TEST_F(DataVO, LongNamesAreNeverCutInsideACharacter) {
  std::string name = std::string(254, 'a') + "缴费";  // the cut at 255 would split "缴"
  vo_->SetStrValue(name, "x");
  EXPECT_EQ(vo_->GetValueName(0), std::string(254, 'a'));
}

TEST_F(DataVO, RemoveTakesOutOneEntryAndKeepsTheOrder) {
  for (const char* n : {"a", "b", "c", "d"}) vo_->SetStrValue(n, n);
  vo_->RemoveValue("B");
  EXPECT_EQ(vo_->GetValueCount(), 3);
  EXPECT_EQ(vo_->GetValueName(0), "a");
  EXPECT_EQ(vo_->GetValueName(1), "c");
  EXPECT_EQ(vo_->GetValueName(2), "d");
  vo_->DeleteValue("absent");
  EXPECT_EQ(vo_->GetValueCount(), 3);
  vo_->DeleteValue("a");
  EXPECT_EQ(vo_->GetValueName(0), "c");
  EXPECT_EQ(vo_->GetStrValue("a", "gone"), "gone");
}

TEST_F(DataVO, EmptyNameIsAName) {
  vo_->SetIntValue1("", 5);
  EXPECT_EQ(vo_->GetIntValue1("", 0), 5);
  EXPECT_EQ(vo_->GetValueCount(), 1);
}

TEST(DataVOStore, ABorrowedStoreOutlivesItsWrapper) {
  TDataVO store;
  {
    auto vo = Make<TMyDataVO>(&store);
    vo->SetStrValue("k", "v");
    EXPECT_EQ(vo->GetDataVO(), &store);
  }
  EXPECT_EQ(store.GetStr("k", ""), "v");  // still there: the wrapper did not free it
  auto owned = Make<TMyDataVO>();
  EXPECT_TRUE(Query<IDataVO>(owned.get()));
  EXPECT_EQ(owned->GetObject(), static_cast<void*>(owned.get()));
}

}  // namespace
}  // namespace velmor
