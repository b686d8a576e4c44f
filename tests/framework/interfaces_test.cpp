// The generated check (interface_destructors.cpp) fails to compile when an interface's
// destructor is public; this test fails when the generator stops finding the interfaces.
#include <gtest/gtest.h>

namespace velmor::testing {

extern const int kCheckedInterfaces;

namespace {

TEST(InterfaceDestructors, EveryInterfaceOfTheIncludeFolderIsChecked) {
  // 73 when this was written: IInterface and the 72 interfaces derived from it.
  EXPECT_GE(kCheckedInterfaces, 73);
}

}  // namespace
}  // namespace velmor::testing
