// Dotted paths, Clear and Assign.
#include <gtest/gtest.h>

#include <map>

#include "business/date_time.h"
#include "fake_debugger.h"
#include "test_records.h"
#include "velmor/exceptions.h"

namespace velmor::testing {
namespace {

// ---- Paths -----------------------------------------------------------------------------------
class Paths : public ::testing::Test {
 protected:
  Paths() {
    o->dz = New<TAddress>();
    Ref<TContact> c = New<TContact>();
    contact = c.get();
    o->lxr = c;
  }
  Ref<TAllKinds> o = New<TAllKinds>();
  TContact* contact = nullptr;
};

TEST_F(Paths, ThroughAnObjectTypedProperty) {
  o->SetPropTextByName("dz.jd", "人民路1号");
  EXPECT_EQ(o->dz->jd, "人民路1号");
  EXPECT_EQ(o->GetPropTextByName("DZ.JD"), "人民路1号");
  EXPECT_EQ(o->GetPropKindByName("dz.yb"), kPropInteger);
  EXPECT_TRUE(o->HasProperty("dz.yb"));
  EXPECT_FALSE(o->HasProperty("dz.nosuch"));
  EXPECT_EQ(o->GetPropKindByName("dz.nosuch"), kPropUnknown);
}

TEST_F(Paths, TwoLevelsDeep) {
  o->dz->next = New<TAddress>();
  o->SetPropTextByName("dz.next.yb", "518000");
  EXPECT_EQ(o->dz->next->yb, 518000);
  EXPECT_EQ(o->GetPropTextByName("dz.next.yb"), "518000");
  EXPECT_EQ(o->GetPropKindByName("dz.next"), kPropObject);
  EXPECT_TRUE(o->HasProperty("dz.next.jd"));
  // The held object's own empty field ends the path.
  EXPECT_EQ(o->GetPropTextByName("dz.next.next.jd"), "");
  EXPECT_FALSE(o->HasProperty("dz.next.next.jd"));
}

TEST_F(Paths, ThroughAnInterfaceTypedProperty) {
  o->SetPropTextByName("lxr.lxdh", "13800000000");
  EXPECT_EQ(contact->lxdh, "13800000000");
  EXPECT_EQ(o->GetPropTextByName("lxr.lxdh"), "13800000000");
  EXPECT_EQ(o->GetPropKindByName("lxr.lrsj"), kPropDateTime);
  EXPECT_TRUE(o->HasProperty("lxr.LXDH"));
  o->SetPropTextByName("lxr.lrsj", "20240131");
  EXPECT_EQ(o->GetPropTextByName("lxr.lrsj"), "2024-01-31 00:00:00");
}

TEST_F(Paths, AHeadOfAnotherKindGivesTheEmptyResult) {
  o->xm = "abc";
  EXPECT_EQ(o->GetPropKindByName("xm.length"), kPropUnknown);
  EXPECT_EQ(o->GetPropTextByName("xm.length"), "");
  EXPECT_FALSE(o->HasProperty("xm.length"));
  o->SetPropTextByName("xm.length", "1");
  EXPECT_EQ(o->xm, "abc");
  EXPECT_EQ(o->GetPropTextByName("nosuch.jd"), "");
  EXPECT_EQ(o->GetPropKindByName("nosuch.jd"), kPropUnknown);
  EXPECT_FALSE(o->HasProperty(".jd"));
  EXPECT_EQ(o->GetPropTextByName("dz."), "");
}

TEST_F(Paths, EmptyHoldersGiveTheEmptyResult) {
  o->dz = nullptr;
  o->lxr = nullptr;
  EXPECT_EQ(o->GetPropTextByName("dz.jd"), "");
  EXPECT_EQ(o->GetPropKindByName("dz.jd"), kPropUnknown);
  EXPECT_FALSE(o->HasProperty("dz.jd"));
  EXPECT_NO_THROW(o->SetPropTextByName("dz.jd", "x"));
  EXPECT_EQ(o->GetPropTextByName("lxr.lxdh"), "");
  EXPECT_FALSE(o->HasProperty("lxr.lxdh"));
  EXPECT_NO_THROW(o->SetPropTextByName("lxr.lxdh", "x"));
}

TEST_F(Paths, ErrorsNameTheInnerClassAndProperty) {
  o->dz->yb = 7;
  try {
    o->SetPropTextByName("dz.yb", "abc");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "给[TAddress.yb]属性赋值异常，[abc]不是正确的整型数据格式。");
  }
  EXPECT_EQ(o->dz->yb, 7);
}

// An interface field whose object is no business object.
class TWithForeign : public TBusinessObject {
 public:
  Ref<IInterface> other;
  VELMOR_PUBLISHED(TWithForeign, TBusinessObject, Prop<&TWithForeign::other>("other", types::Interface))
};

TEST(PathsForeign, AnInterfaceWithoutIBusinessObjectEndsThePath) {
  Ref<TWithForeign> o = New<TWithForeign>();
  o->other = Ref<IInterface>(Make<FakeDebugger>().get());
  EXPECT_EQ(o->GetPropKind(0), kPropInterface);
  EXPECT_EQ(o->GetPropTextByName("other.x"), "");
  EXPECT_EQ(o->GetPropKindByName("other.x"), kPropUnknown);
  EXPECT_FALSE(o->HasProperty("other.x"));
}

// The rest of a path goes through the held object's own (virtual) operation.
class TCustomAddress : public TAddress {
 public:
  std::string GetPropTextByName(const std::string& name) override { return "custom:" + name; }
  bool HasProperty(const std::string&) override { return true; }
};

TEST(PathsVirtual, TheHeldObjectsOverridesApply) {
  Ref<TAllKinds> o = New<TAllKinds>();
  o->dz = New<TCustomAddress>();
  EXPECT_EQ(o->GetPropTextByName("dz.anything"), "custom:anything");
  EXPECT_TRUE(o->HasProperty("dz.a.b"));
}

// ---- Clear -----------------------------------------------------------------------------------
void Fill(TAllKinds& o) {
  o.nl = 5, o.rydjxh = 6, o.small = 7, o.byte = 8, o.card = 9, o.month = 10, o.ch = 'x', o.wch = u'y';
  o.xm = "张三", o.wxm = "w", o.jfje = 1.5, o.yjfe = 2.5, o.single = 3.5;
  o.csrq = 45322, o.sbsj = 0.5, o.lrsj = 45322.5, o.sfyx = true, o.tsbz = tsYes;
  o.colour = Colour::Blue, o.colours = 0b11, o.digits = 0b1;
}

TEST(Clear, EveryKindGetsItsEmptyValue) {
  Ref<TAllKinds> o = New<TAllKinds>();
  Fill(*o);
  Ref<TAddress> dz = New<TAddress>();
  o->dz = dz;
  o->Clear();
  EXPECT_EQ(o->nl, 0);
  EXPECT_EQ(o->rydjxh, 0);
  EXPECT_EQ(o->small, 0);
  EXPECT_EQ(o->byte, 0);
  EXPECT_EQ(o->card, 0u);
  EXPECT_EQ(o->month, 0);  // zero, like every integer, even below the subrange
  EXPECT_EQ(o->ch, 0);
  EXPECT_EQ(o->wch, 0);
  EXPECT_EQ(o->xm, "");
  EXPECT_EQ(o->wxm, "");
  EXPECT_EQ(o->jfje, 0.0);
  EXPECT_EQ(o->yjfe, 0.0);
  EXPECT_EQ(o->single, 0.0f);
  EXPECT_EQ(o->csrq, kMinDateTime);
  EXPECT_EQ(o->sbsj, kMinDateTime);
  EXPECT_EQ(o->lrsj, kMinDateTime);
  EXPECT_FALSE(o->sfyx);
  EXPECT_EQ(o->tsbz, tsAll);
  EXPECT_EQ(o->colour, Colour::Blue);  // other enumerations stay
  EXPECT_EQ(o->colours, 0u);
  EXPECT_EQ(o->digits, 0u);
  EXPECT_EQ(o->dz, dz);                // objects stay
  EXPECT_EQ(o->bh, "B-1");             // no setter
}

TEST(Clear, ReadsBackInEachKindsFormat) {
  Ref<TAllKinds> o = New<TAllKinds>();
  Fill(*o);
  o->Clear();
  EXPECT_EQ(o->GetPropTextByName("nl"), "0");
  EXPECT_EQ(o->GetPropTextByName("sfyx"), "0");
  EXPECT_EQ(o->GetPropTextByName("xm"), "");
  EXPECT_EQ(o->GetPropTextByName("csrq"), "0100-01-01");
  EXPECT_EQ(o->GetPropTextByName("lrsj"), "0100-01-01 00:00:00");
  EXPECT_EQ(o->GetPropTextByName("sbsj"), "00:00:00");
  EXPECT_EQ(o->GetPropTextByName("jfje"), "0.00");
  EXPECT_EQ(o->GetPropTextByName("tsbz"), "tsAll");
  EXPECT_EQ(o->GetPropTextByName("colours"), "");
}

TEST(Clear, ThroughAnInterfaceThatExtendsIBusinessObject) {
  Ref<TContact> c = New<TContact>();
  c->lxdh = "1";
  c->lrsj = 5;
  Ref<IContact> i(c.get());
  i->Clear();
  EXPECT_EQ(c->lxdh, "");
  EXPECT_EQ(c->lrsj, kMinDateTime);
}

// ---- Assign ----------------------------------------------------------------------------------
TEST(Assign, SameClassCopiesEveryWritableValueExactly) {
  Ref<TAllKinds> src = New<TAllKinds>();
  Fill(*src);
  src->jfje = 12.34567891;  // not rounded on the way
  src->bh = "B-9";
  src->dz = New<TAddress>();
  src->lxr = Ref<IContact>(New<TContact>().get());
  Ref<TAllKinds> dst = New<TAllKinds>();
  dst->Assign(src.get());
  EXPECT_EQ(dst->nl, 5);
  EXPECT_EQ(dst->rydjxh, 6);
  EXPECT_EQ(dst->card, 9u);
  EXPECT_EQ(dst->month, 10);
  EXPECT_EQ(dst->ch, 'x');
  EXPECT_EQ(dst->wch, u'y');
  EXPECT_EQ(dst->xm, "张三");
  EXPECT_EQ(dst->jfje, 12.34567891);
  EXPECT_EQ(dst->single, 3.5f);
  EXPECT_EQ(dst->lrsj, 45322.5);
  EXPECT_TRUE(dst->sfyx);
  EXPECT_EQ(dst->tsbz, tsYes);
  EXPECT_EQ(dst->colour, Colour::Blue);
  EXPECT_EQ(dst->colours, 0b11u);
  EXPECT_EQ(dst->digits, 0b1u);
  EXPECT_EQ(dst->bh, "B-1");   // read-only here
  EXPECT_EQ(dst->dz, nullptr);  // nested objects are not copied
  EXPECT_EQ(dst->lxr, nullptr);
}

TEST(Assign, BetweenClassesByNameWithConversions) {
  Ref<TOtherKinds> src = New<TOtherKinds>();
  src->nl = "15";
  src->xm = 7;
  src->csrq = "2024/01/31";
  src->sfyx = "True";
  src->month = 5.6;
  src->colours = "[clRed, clBlue]";
  src->only = 99;
  Ref<TAllKinds> dst = New<TAllKinds>();
  dst->jfje = 4;
  dst->Assign(src.get());
  EXPECT_EQ(dst->nl, 15);
  EXPECT_EQ(dst->xm, "7");
  EXPECT_EQ(dst->csrq, 45322.0);
  EXPECT_TRUE(dst->sfyx);
  EXPECT_EQ(dst->month, 6);
  EXPECT_EQ(dst->colours, 0b101u);
  EXPECT_EQ(dst->jfje, 4.0);  // the source lacks it
}

TEST(Assign, EnumerationsAndSetsTravelAsIdentifiers) {
  Ref<TAllKinds> src = New<TAllKinds>();
  src->nl = 15;
  src->xm = "12";
  src->csrq = 45322.75;
  src->sfyx = true;
  src->month = 12;
  src->colours = 0b101;
  Ref<TOtherKinds> dst = New<TOtherKinds>();
  dst->Assign(src.get());
  EXPECT_EQ(dst->nl, "15");
  EXPECT_EQ(dst->xm, 12);
  EXPECT_EQ(dst->csrq, "2024-01-31");
  EXPECT_EQ(dst->sfyx, "True");
  EXPECT_EQ(dst->month, 12.0);
  EXPECT_EQ(dst->colours, "clRed,clBlue");
  EXPECT_EQ(dst->ErrorMessage, "");  // not published, not copied
}

TEST(Assign, AValueThatDoesNotFitChangesNothing) {
  Ref<TAllKinds> src = New<TAllKinds>();
  src->nl = 15;
  src->xm = "abc";
  Ref<TOtherKinds> dst = New<TOtherKinds>();
  dst->nl = "old";
  try {
    dst->Assign(src.get());
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "给[TOtherKinds.xm]属性赋值异常，[abc]不是正确的整型数据格式。");
  }
  EXPECT_EQ(dst->nl, "old");

  Ref<TOtherKinds> big = New<TOtherKinds>();
  big->nl = "1";
  big->csrq = "2024-01-31";
  big->sfyx = "0";
  big->month = 13;
  Ref<TAllKinds> target = New<TAllKinds>();
  target->month = 2;
  try {
    target->Assign(big.get());
    FAIL();
  } catch (const ERangeError& e) {
    EXPECT_STREQ(e.what(), "给[TAllKinds.month]属性赋值异常，[13.00]数据过大或者过小。");
  }
  EXPECT_EQ(target->month, 2);
  big->month = 1;
  big->colours = "clPink";
  try {
    target->Assign(big.get());
    FAIL();
  } catch (const EPropertyConvertError& e) {
    EXPECT_STREQ(e.what(), "给[TAllKinds.colours]属性赋值异常，[clPink]不是正确的枚举数据格式。");
  }
  EXPECT_EQ(target->month, 2);
}

TEST(Assign, NullAndSelfAreHarmless) {
  Ref<TAllKinds> o = New<TAllKinds>();
  o->nl = 3;
  o->Assign(nullptr);
  o->Assign(o.get());
  EXPECT_EQ(o->nl, 3);
}

// An IBusinessObject that is no TBusinessObject: read through its text operations only.
class ForeignRecord : public Object<IBusinessObject> {
 public:
  struct Entry {
    std::string name;
    int32_t kind;
    std::string text;
  };
  std::vector<Entry> entries{{"NL", kPropInteger, "21"}, {"xm", kPropText, "王五"}, {"dz", kPropObject, "x"},
                             {"colours", kPropSet, "clGreen"}, {"onChange", kPropMethod, "x"}};
  std::string GetObjectTag() override { return {}; }
  int32_t GetRefCount() override { return RefCountForTest(); }
  int32_t GetPropKind(int32_t i) override { return entries.at(i).kind; }
  int32_t GetPropKindByName(const std::string&) override { return kPropUnknown; }
  int32_t GetPropCount() override { return static_cast<int32_t>(entries.size()); }
  std::string GetPropName(int32_t i) override { return entries.at(i).name; }
  std::string GetPropText(int32_t i) override { return entries.at(i).text; }
  std::string GetPropTextByName(const std::string&) override { return {}; }
  void SetObjectTag(const std::string&) override {}
  void SetPropText(int32_t, const std::string&) override {}
  void SetPropTextByName(const std::string&, const std::string&) override {}
  void* GetObject() override { return this; }
  void Assign(IBusinessObject*) override {}
  void Clear() override {}
  bool HasProperty(const std::string&) override { return false; }
  int32_t IndexOfProperty(const std::string& name) override {
    for (size_t i = 0; i < entries.size(); ++i)
      if (SameText(entries[i].name, name)) return static_cast<int32_t>(i);
    return -1;
  }
};

TEST(Assign, FromAForeignImplementationThroughText) {
  Ref<ForeignRecord> src = Make<ForeignRecord>();
  Ref<TAllKinds> dst = New<TAllKinds>();
  Ref<TAddress> dz = New<TAddress>();
  dst->dz = dz;
  dst->Assign(src.get());
  EXPECT_EQ(dst->nl, 21);
  EXPECT_EQ(dst->xm, "王五");
  EXPECT_EQ(dst->colours, 0b10u);
  EXPECT_EQ(dst->dz, dz);
  src->entries[0].text = "x";
  EXPECT_THROW(dst->Assign(src.get()), EConvertError);
}

}  // namespace
}  // namespace velmor::testing
