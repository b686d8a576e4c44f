#include <gtest/gtest.h>

#include "host/named_class_list.h"
#include "test_classes.h"
#include "velmor/exceptions.h"

namespace velmor::testing {
namespace {

constexpr const char* kKey = "{ED2E729B-499D-42A2-8A62-10901241AA07}";

template <class F>
std::string ListErrorOf(F&& f) {
  try {
    f();
  } catch (const EListError& e) {
    return e.what();
  }
  return "no EListError";
}

TEST(NamedClassList, AddFindReplaceDeleteInSlotOrder) {
  auto list = Make<host::NamedClassList>();
  EXPECT_EQ(list->Count(), 0);
  EXPECT_LT(list->IndexOfName(kKey), 0);
  list->AddClass(kKey, &kProbeClass);
  list->AddClass("{3AF7A5C0-9432-4293-8799-173B96B243CA}", &kOtherClass);
  EXPECT_EQ(list->Count(), 2);
  EXPECT_EQ(list->IndexOfName(kKey), 0);
  EXPECT_EQ(list->IndexOfName("{3AF7A5C0-9432-4293-8799-173B96B243CA}"), 1);
  EXPECT_EQ(list->GetClassAt(0), &kProbeClass);
  EXPECT_EQ(list->GetNameAt(1), "{3AF7A5C0-9432-4293-8799-173B96B243CA}");

  list->SetClassAt(0, &kOtherClass);
  EXPECT_EQ(list->GetClassAt(0), &kOtherClass);
  EXPECT_EQ(list->Count(), 2) << "SetClassAt replaces, it does not add";

  list->Delete(0);
  EXPECT_EQ(list->Count(), 1);
  EXPECT_LT(list->IndexOfName(kKey), 0);
  EXPECT_EQ(list->IndexOfName("{3AF7A5C0-9432-4293-8799-173B96B243CA}"), 0);
  ASSERT_EQ(list->Entries().size(), 1u);
  EXPECT_EQ(list->Entries()[0].cls, &kOtherClass);
}

TEST(NamedClassList, NamesCompareWithoutCaseButBracesAsGiven) {
  auto list = Make<host::NamedClassList>();
  list->AddClass(kKey, &kProbeClass);
  EXPECT_EQ(list->IndexOfName("{ed2e729b-499d-42a2-8a62-10901241aa07}"), 0);
  EXPECT_EQ(list->FindClass("{Ed2E729B-499D-42A2-8A62-10901241aA07}"), &kProbeClass);
  EXPECT_LT(list->IndexOfName("ED2E729B-499D-42A2-8A62-10901241AA07"), 0);
  EXPECT_EQ(list->FindClass("ED2E729B-499D-42A2-8A62-10901241AA07"), nullptr);
  EXPECT_LT(list->IndexOfName(""), 0);
  EXPECT_EQ(list->GetNameAt(0), kKey) << "the name is kept as it was added";
}

TEST(NamedClassList, IndexOutOfRangeRaisesListError) {
  auto list = Make<host::NamedClassList>();
  list->AddClass(kKey, &kProbeClass);
  EXPECT_EQ(ListErrorOf([&] { list->GetClassAt(1); }), "List index out of bounds (1)");
  EXPECT_EQ(ListErrorOf([&] { list->GetClassAt(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(ListErrorOf([&] { list->SetClassAt(5, &kOtherClass); }), "List index out of bounds (5)");
  EXPECT_EQ(ListErrorOf([&] { list->Delete(1); }), "List index out of bounds (1)");
  EXPECT_EQ(ListErrorOf([&] { list->GetNameAt(-7); }), "List index out of bounds (-7)");
  EXPECT_EQ(list->Count(), 1) << "a failed operation changes nothing";
  EXPECT_EQ(list->GetClassAt(0), &kProbeClass);
  list->Delete(0);
  EXPECT_EQ(ListErrorOf([&] { list->Delete(0); }), "List index out of bounds (0)");
}

TEST(NamedClassList, RejectsDuplicateAndEmptyNames) {
  auto list = Make<host::NamedClassList>();
  list->AddClass(kKey, &kProbeClass);
  EXPECT_EQ(ListErrorOf([&] { list->AddClass("{ed2e729b-499d-42a2-8a62-10901241aa07}", &kOtherClass); }),
            "Class list does not allow duplicates ({ed2e729b-499d-42a2-8a62-10901241aa07})");
  EXPECT_EQ(ListErrorOf([&] { list->AddClass("", &kOtherClass); }), "Class list does not allow an empty name");
  EXPECT_EQ(list->Count(), 1);
  EXPECT_EQ(list->GetClassAt(0), &kProbeClass);
}

TEST(NamedClassList, ListErrorIsAVelmorException) {
  auto list = Make<host::NamedClassList>();
  try {
    list->GetClassAt(0);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.ClassName(), "EListError");
  }
}

}  // namespace
}  // namespace velmor::testing
