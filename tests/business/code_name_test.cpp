#include "business/code_name_item.h"

#include <gtest/gtest.h>

#include "velmor/exceptions.h"

namespace velmor {
namespace {

Ref<ICode_Name_Item> Item(const std::string& code, const std::string& name) {
  Ref<TCode_Name_Item> item = New<TCode_Name_Item>(code, name);
  return Ref<ICode_Name_Item>(static_cast<ICode_Name_Item*>(item.get()));
}

class CodeNameItems : public ::testing::Test {
 protected:
  void SetUp() override {
    list_->AddCodeName("01", "居民身份证");
    list_->AddCodeName("02", "军官证");
    list_->AddCodeName("01", "重复的代码");
  }
  Ref<TCode_Name_Items> list_ = Make<TCode_Name_Items>();
};

TEST_F(CodeNameItems, LookupsReturnTheFirstExactMatch) {
  EXPECT_EQ(list_->GetCount(), 3);
  Ref<ICode_Name_Item> first = list_->FindByCode("01");
  ASSERT_TRUE(first);
  EXPECT_EQ(first.get(), list_->GetCodeNameItem(0).get());
  EXPECT_EQ(list_->GetNameByCode("01"), "居民身份证");
  EXPECT_EQ(list_->GetNameByCode("02"), "军官证");
  EXPECT_EQ(list_->GetNameByCode("03"), "");
  EXPECT_EQ(list_->FindByCode("1"), nullptr);
  EXPECT_EQ(list_->FindByCode(""), nullptr);
}

TEST_F(CodeNameItems, CodesAreCaseSensitive) {
  list_->AddCodeName("A1", "upper");
  EXPECT_EQ(list_->FindByCode("a1"), nullptr);
  EXPECT_EQ(list_->GetNameByCode("a1"), "");
  EXPECT_EQ(list_->GetNameByCode("A1"), "upper");
}

TEST_F(CodeNameItems, OutOfRangeReadsAreNullAndWritesRaise) {
  EXPECT_EQ(list_->GetCodeNameItem(-1), nullptr);
  EXPECT_EQ(list_->GetCodeNameItem(3), nullptr);
  Ref<ICode_Name_Item> x = Item("x", "y");
  try {
    list_->SetCodeNameItem(3, x.get());
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (3)");
  }
  EXPECT_EQ(x->GetRefCount(), 1);
  list_->SetCodeNameItem(1, x.get());
  EXPECT_EQ(list_->GetNameByCode("x"), "y");
  EXPECT_EQ(list_->GetNameByCode("02"), "");
}

TEST_F(CodeNameItems, EntriesThatAreNotCodeNameItemsAreSkipped) {
  list_->Insert(0, nullptr);
  Ref<TCode_Name_Items> other = Make<TCode_Name_Items>();
  list_->Insert(0, static_cast<IItems*>(other.get()));  // an interface of another kind
  EXPECT_EQ(list_->GetCodeNameItem(0), nullptr);
  EXPECT_EQ(list_->GetCodeNameItem(1), nullptr);
  EXPECT_EQ(list_->GetNameByCode("02"), "军官证");
}

TEST_F(CodeNameItems, CloneIsIndependentOfItsSource) {
  Ref<ICode_Name_Items> copy = list_->Clone();
  ASSERT_EQ(copy->GetCount(), 3);
  for (int32_t i = 0; i < 3; ++i) {
    Ref<ICode_Name_Item> a = list_->GetCodeNameItem(i), b = copy->GetCodeNameItem(i);
    EXPECT_NE(a.get(), b.get());
    EXPECT_EQ(a->GetCode(), b->GetCode());
    EXPECT_EQ(a->GetName(), b->GetName());
  }
  copy->GetCodeNameItem(1)->SetName("改了");
  copy->Delete(0);
  EXPECT_EQ(list_->GetNameByCode("02"), "军官证");
  EXPECT_EQ(list_->GetCount(), 3);
  list_->GetCodeNameItem(2)->SetCode("09");
  EXPECT_EQ(copy->GetNameByCode("01"), "重复的代码");
}

TEST_F(CodeNameItems, CloneKeepsEmptyEntriesInPlace) {
  list_->Insert(1, nullptr);
  Ref<ICode_Name_Items> copy = list_->Clone();
  ASSERT_EQ(copy->GetCount(), 4);
  EXPECT_EQ(copy->GetItem(1), nullptr);
  EXPECT_EQ(copy->GetCodeNameItem(2)->GetCode(), "02");
}

TEST_F(CodeNameItems, AssignItemsCopiesByIndex) {
  Ref<TCode_Name_Items> source = Make<TCode_Name_Items>();
  source->AddCodeName("a", "A");
  source->AddCodeName("b", "B");
  source->AddCodeName("c", "C");
  source->AddCodeName("d", "D");  // longer than this list: the rest is not looked at
  Ref<ICode_Name_Item> kept = list_->GetCodeNameItem(0);
  list_->AssignItems(source.get());
  EXPECT_EQ(list_->GetCount(), 3);
  EXPECT_EQ(list_->GetCodeNameItem(0).get(), kept.get());  // the same items, new values
  EXPECT_EQ(kept->GetCode(), "a");
  EXPECT_EQ(list_->GetNameByCode("c"), "C");
  EXPECT_EQ(list_->FindByCode("d"), nullptr);
  source->GetCodeNameItem(0)->SetName("changed");
  EXPECT_EQ(kept->GetName(), "A");
}

TEST_F(CodeNameItems, AssignItemsFromAShorterOrNullSourceChangesNothing) {
  Ref<TCode_Name_Items> shorter = Make<TCode_Name_Items>();
  shorter->AddCodeName("a", "A");
  try {
    list_->AssignItems(shorter.get());
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (1)");
  }
  EXPECT_EQ(list_->GetCodeNameItem(0)->GetCode(), "01");
  shorter->Add(nullptr);
  shorter->AddCodeName("c", "C");
  EXPECT_THROW(list_->AssignItems(shorter.get()), EInvalidPointer);
  EXPECT_EQ(list_->GetCodeNameItem(0)->GetCode(), "01");
  EXPECT_THROW(list_->AssignItems(nullptr), EInvalidPointer);
  Ref<TCode_Name_Items> empty = Make<TCode_Name_Items>();
  EXPECT_NO_THROW(empty->AssignItems(nullptr));
}

TEST_F(CodeNameItems, TheListReleasesItsItems) {
  Ref<ICode_Name_Item> held = list_->GetCodeNameItem(1);
  EXPECT_EQ(held->GetRefCount(), 2);  // the list's and ours
  list_->Clear();
  EXPECT_EQ(held->GetRefCount(), 1);
  EXPECT_THROW(list_->SetCodeNameItem(0, nullptr), EListError);  // nothing there any more
}

TEST(CodeNameItem, CloneAssignAndPublishedProperties) {
  Ref<ICode_Name_Item> a = Item("110000", "北京市");
  Ref<ICode_Name_Item> b = a->Clone();
  EXPECT_NE(a.get(), b.get());
  b->SetName("Beijing");
  EXPECT_EQ(a->GetName(), "北京市");
  a->AssignCodeName(b.get());
  EXPECT_EQ(a->GetName(), "Beijing");
  a->AssignCodeName(a.get());
  EXPECT_EQ(a->GetCode(), "110000");
  EXPECT_THROW(a->AssignCodeName(nullptr), EInvalidPointer);

  EXPECT_EQ(a->GetPropCount(), 2);
  EXPECT_EQ(a->GetPropName(0), "Code");
  EXPECT_EQ(a->GetPropName(1), "Name");
  EXPECT_EQ(a->GetPropKind(0), kPropText);
  a->SetPropTextByName("name", "北京");
  EXPECT_EQ(a->GetName(), "北京");
  EXPECT_EQ(a->GetPropTextByName("CODE"), "110000");
  EXPECT_EQ(a->GetRefCount(), 1);
}

}  // namespace
}  // namespace velmor
