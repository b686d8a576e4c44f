// Kinds, type names, labels and the property list of business classes.
#include <gtest/gtest.h>

#include "business/type_info.h"
#include "test_records.h"
#include "velmor/exceptions.h"

namespace velmor::testing {
namespace {

TEST(PropKind, EveryPropertyOfTheTestRecordHasItsCode) {
  Ref<TAllKinds> o = New<TAllKinds>();
  const int32_t expected[kAllKindsCount] = {
      kPropInteger, kPropInt64, kPropInteger, kPropInteger, kPropInteger, kPropInteger,  // nl..month
      kPropText, kPropText, kPropText, kPropText,                                         // ch..wxm
      kPropFloat, kPropCurrency, kPropFloat, kPropDate, kPropTime, kPropDateTime,          // jfje..lrsj
      kPropEnumeration, kPropEnumeration, kPropEnumeration, kPropSet, kPropSet,            // sfyx..digits
      kPropObject, kPropInterface, kPropText,                                              // dz, lxr, bh
      kPropMethod, kPropVariant, kPropRecord, kPropArray, kPropDynArray};
  ASSERT_EQ(o->GetPropCount(), kAllKindsCount);
  for (int32_t i = 0; i < kAllKindsCount; ++i) EXPECT_EQ(o->GetPropKind(i), expected[i]) << o->GetPropName(i);
  EXPECT_EQ(o->GetPropKindByName("LRSJ"), kPropDateTime);
  EXPECT_EQ(o->GetPropKindByName("missing"), kPropUnknown);
  EXPECT_EQ(o->GetPropKind(-1), kPropUnknown);
  EXPECT_EQ(o->GetPropKind(kAllKindsCount), kPropUnknown);
}

TEST(PropKind, FloatTypeNamesCompareWithoutCase) {
  EXPECT_EQ(PropKindOf(FloatType("currency")), kPropCurrency);
  EXPECT_EQ(PropKindOf(FloatType("TDATE")), kPropDate);
  EXPECT_EQ(PropKindOf(FloatType("ttime")), kPropTime);
  EXPECT_EQ(PropKindOf(FloatType("tDateTime")), kPropDateTime);
  EXPECT_EQ(PropKindOf(FloatType("Extended")), kPropFloat);
  EXPECT_EQ(PropKindOf(FloatType("TDateTimeX")), kPropFloat);
  EXPECT_EQ(PropKindOf(TypeInfo{}), kPropUnknown);
  // Only floats take the date kinds by name.
  EXPECT_EQ(PropKindOf(SubrangeType("TDate", 0, 10)), kPropInteger);
}

TEST(KindLabel, EveryLabelOfTheMessageTable) {
  EXPECT_EQ(KindLabelOf(types::Integer), "整型");
  EXPECT_EQ(KindLabelOf(types::Int64), "整型");
  EXPECT_EQ(KindLabelOf(TMonth), "整型");
  EXPECT_EQ(KindLabelOf(types::String), "文本");
  EXPECT_EQ(KindLabelOf(types::WideString), "文本");
  EXPECT_EQ(KindLabelOf(types::Char), "文本");
  EXPECT_EQ(KindLabelOf(types::WideChar), "文本");
  EXPECT_EQ(KindLabelOf(TColour), "枚举");
  EXPECT_EQ(KindLabelOf(types::Boolean), "布尔");
  EXPECT_EQ(KindLabelOf(types::TriState), "三态");
  EXPECT_EQ(KindLabelOf(types::DateTime), "日期/时间");
  EXPECT_EQ(KindLabelOf(types::Date), "日期");
  EXPECT_EQ(KindLabelOf(types::Time), "时间");
  EXPECT_EQ(KindLabelOf(types::Currency), "金额");
  EXPECT_EQ(KindLabelOf(types::Double), "金额");
  EXPECT_EQ(KindLabelOf(types::Single), "金额");
}

TEST(KindLabel, BooleanAndTriStateAreRecognisedByNameWithoutCase) {
  static constexpr std::string_view kNames[] = {"n", "y"};
  EXPECT_TRUE(IsBooleanType(EnumType("BOOLEAN", kNames)));
  EXPECT_TRUE(IsBooleanType(EnumType("boolean", kNames)));
  EXPECT_FALSE(IsBooleanType(EnumType("ByteBool", kNames)));
  EXPECT_TRUE(IsTriStateType(EnumType("tristate", kNames, -1)));
  EXPECT_FALSE(IsTriStateType(SubrangeType("TriState", -1, 1)));  // not an enumeration
  EXPECT_EQ(KindLabelOf(EnumType("TRISTATE", kNames)), "三态");
}

TEST(PropList, NamesInTableOrderWithTheBaseClassFirst) {
  Ref<TDerivedKinds> d = New<TDerivedKinds>();
  ASSERT_EQ(d->GetPropCount(), kAllKindsCount + 1);
  EXPECT_EQ(d->GetPropName(0), "nl");
  EXPECT_EQ(d->GetPropName(kDyn), "dyn");
  EXPECT_EQ(d->GetPropName(kAllKindsCount), "bz");
  EXPECT_EQ(d->GetPropName(kAllKindsCount + 1), "");
  EXPECT_EQ(d->GetPropName(-5), "");
  EXPECT_EQ(d->ClassName(), "TDerivedKinds");
  EXPECT_EQ(New<TBusinessObject>()->GetPropCount(), 0);
}

TEST(PropList, IndexOfPropertyIgnoresCaseAndTakesTheFirstMatch) {
  Ref<TDerivedKinds> d = New<TDerivedKinds>();
  EXPECT_EQ(d->IndexOfProperty("RYDJXH"), kRydjxh);
  EXPECT_EQ(d->IndexOfProperty("RydJxh"), kRydjxh);
  EXPECT_EQ(d->IndexOfProperty("Bz"), kAllKindsCount);
  EXPECT_EQ(d->IndexOfProperty("rydjxh "), -1);
  EXPECT_EQ(d->IndexOfProperty(""), -1);
  EXPECT_EQ(d->IndexOfProperty("dz.jd"), -1);  // a path is no name

  static const PropInfo kTwice[] = {PropInfo{"a", &types::Integer, {}}, PropInfo{"A", &types::String, {}}};
  Ref<TBusinessObject> o = New<TBusinessObject>(std::span<const PropInfo>(kTwice));
  EXPECT_EQ(o->IndexOfProperty("a"), 0);
  EXPECT_EQ(o->IndexOfProperty("A"), 0);
}

TEST(PropList, HasPropertyOfPlainNames) {
  Ref<TAllKinds> o = New<TAllKinds>();
  EXPECT_TRUE(o->HasProperty("xm"));
  EXPECT_TRUE(o->HasProperty("XM"));
  EXPECT_TRUE(o->HasProperty("onChange"));
  EXPECT_FALSE(o->HasProperty("ErrorMessage"));
  EXPECT_FALSE(o->HasProperty(""));
}

TEST(PropList, AGivenListIsUsedAsIsAndNotOwned) {
  static const PropInfo kList[] = {Prop<&TAllKinds::xm>("name", types::String)};
  Ref<TAllKinds> own = New<TAllKinds>();
  EXPECT_TRUE(own->OwnsPropList());
  Ref<TBusinessObject> given = New<TBusinessObject>(std::span<const PropInfo>(kList));
  EXPECT_FALSE(given->OwnsPropList());
  EXPECT_EQ(given->GetPropCount(), 1);
  EXPECT_EQ(given->GetPropName(0), "name");
  EXPECT_EQ(given->GetPropKind(0), kPropText);
  // An empty list behaves like the default constructor.
  Ref<TBusinessObject> empty = New<TBusinessObject>(std::span<const PropInfo>());
  EXPECT_TRUE(empty->OwnsPropList());
  EXPECT_EQ(empty->GetPropCount(), 0);
}

TEST(PropList, SetPropTextWithABadIndexRaisesTheListError) {
  Ref<TAllKinds> o = New<TAllKinds>();
  try {
    o->SetPropText(kAllKindsCount, "1");
    FAIL() << "no exception";
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (29)");
  }
  EXPECT_THROW(o->SetPropText(-1, "1"), EListError);
  EXPECT_EQ(o->GetPropText(-1), "");
  EXPECT_EQ(o->GetPropText(kAllKindsCount), "");
}

class TNarrow : public TBusinessObject {
 public:
  uint8_t n = 0;
  uint8_t mask = 0;
  VELMOR_PUBLISHED(TNarrow, TBusinessObject)
  static std::vector<PropInfo> Build(const TypeInfo& type) { return {Prop<&TNarrow::n>("n", type)}; }
  static std::vector<PropInfo> BuildSet(const TypeInfo& type) { return {Prop<&TNarrow::mask>("mask", type)}; }
};

TEST(PropList, AFieldTooNarrowForItsTypeIsRefused) {
  EXPECT_NO_THROW(TNarrow::Build(types::Byte));
  EXPECT_NO_THROW(TNarrow::Build(TMonth));
  EXPECT_THROW(TNarrow::Build(types::Integer), std::logic_error);
  EXPECT_THROW(TNarrow::Build(types::ShortInt), std::logic_error);
  EXPECT_NO_THROW(TNarrow::BuildSet(TColours));
  static constexpr TypeInfo kWide = SubrangeType("TWide", 0, 8);
  static constexpr TypeInfo kWideSet = SetType("TWideSet", kWide);  // nine elements in eight bits
  EXPECT_THROW(TNarrow::BuildSet(kWideSet), std::logic_error);
  EXPECT_EQ(New<TNarrow>()->ClassName(), "TNarrow");  // a class without own properties
}

}  // namespace
}  // namespace velmor::testing
