// Start-up parameters, the procedure lists and the module settings.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/module.h"
#include "velmor/module.h"
#include "velmor/platform.h"

namespace velmor {
namespace {

TEST(GetParamValue, FirstFieldWithFollowingField) {
  std::string p = "SERVICEDLL=C:\\App\\svc\\VelmorService.dll;USER=x";
  EXPECT_EQ(GetParamValue(p, "SERVICEDLL"), "C:\\App\\svc\\VelmorService.dll");
  EXPECT_EQ(DirectoryPart(GetParamValue(p, "SERVICEDLL")), "C:\\App\\svc\\");
  EXPECT_EQ(GetParamValue(p, "USER"), "x");
}

TEST(GetParamValue, LastFieldRunsToTheEnd) {
  EXPECT_EQ(GetParamValue("A=1;SERVICEDLL=/opt/v/lib.so", "SERVICEDLL"), "/opt/v/lib.so");
}

TEST(GetParamValue, EmptyValueMissingKeyEmptyKeyAndCase) {
  EXPECT_EQ(GetParamValue("SERVICEDLL=;A=1", "SERVICEDLL"), "");
  EXPECT_EQ(GetParamValue("A=1", "SERVICEDLL"), "");
  EXPECT_EQ(GetParamValue("", "SERVICEDLL"), "");
  EXPECT_EQ(GetParamValue("A=1", ""), "");
  EXPECT_EQ(GetParamValue("servicedll=/x", "SERVICEDLL"), "") << "the search is case-sensitive";
}

TEST(GetParamValue, LongerKeyEndingInTheKeyMatchesAndSpacesStay) {
  EXPECT_EQ(GetParamValue("MYSERVICEDLL=/a; B = 2 ", "SERVICEDLL"), "/a");
  EXPECT_EQ(GetParamValue("MYSERVICEDLL=/a; B = 2 ", " B "), " 2 ");
  EXPECT_EQ(GetParamValue("K==v;", "K"), "=v");
}

TEST(DirectoryPart, LastSeparatorOfAnyKind) {
  EXPECT_EQ(DirectoryPart("C:lib.dll"), "C:");
  EXPECT_EQ(DirectoryPart("/usr/lib/libVelmorService.so"), "/usr/lib/");
  EXPECT_EQ(DirectoryPart("lib.so"), "");
  EXPECT_EQ(DirectoryPart(""), "");
}

// ---- Procedure lists -------------------------------------------------------------------------
std::vector<std::string>& Calls() {
  static std::vector<std::string> calls;
  return calls;
}
void InitA() { Calls().push_back("init A"); }
void InitB() { Calls().push_back("init B"); }
void InitC() { Calls().push_back("init C"); }
void FinalA() { Calls().push_back("final A"); }
void FinalB() { Calls().push_back("final B"); }
void FinalC() { Calls().push_back("final C"); }
void Throwing() {
  Calls().push_back("throws");
  throw std::runtime_error("boom");
}
void ThrowingInt() {
  Calls().push_back("throws int");
  throw 42;
}

class ProcLists : public ::testing::Test {
 protected:
  void SetUp() override {
    TEST_ResetProcLists();
    Calls().clear();
  }
  void TearDown() override { TEST_ResetProcLists(); }
};

TEST_F(ProcLists, StartUpInOrderShutDownInReverse) {
  AddServiceInitProc(InitA);
  AddServiceFinalProc(FinalA);
  AddServiceInitProc(InitB);
  AddServiceFinalProc(FinalB);
  AddServiceInitProc(InitC);
  AddServiceFinalProc(FinalC);
  ServicesInit_50F165E61988(u"SERVICEDLL=/x/lib.so");
  ServicesFinal_50F165E61988();
  EXPECT_EQ(Calls(), (std::vector<std::string>{"init A", "init B", "init C", "final C", "final B", "final A"}));
}

TEST_F(ProcLists, NullAndDuplicateProceduresAreNotAdded) {
  AddServiceInitProc(nullptr);
  AddServiceInitProc(InitA);
  AddServiceInitProc(InitA);
  AddServiceFinalProc(FinalA);
  AddServiceFinalProc(FinalA);
  AddServiceFinalProc(nullptr);
  EXPECT_EQ(TEST_InitProcCount(), 1u);
  EXPECT_EQ(TEST_FinalProcCount(), 1u);
}

TEST_F(ProcLists, UnitsTakeTheirRowOrderWhateverTheLoadOrder) {
  AddServiceUnit(3, InitC, FinalC);
  AddServiceUnit(1, InitA, FinalA);
  AddServiceUnit(2, InitB, FinalB);
  AddServiceUnit(2, InitB, FinalB);  // once only
  RunServiceInitProcs();
  RunServiceFinalProcs();
  EXPECT_EQ(Calls(), (std::vector<std::string>{"init A", "init B", "init C", "final C", "final B", "final A"}));
}

TEST_F(ProcLists, AFailingProcedureDoesNotStopTheOthers) {
  AddServiceInitProc(Throwing);
  AddServiceInitProc(InitA);
  AddServiceInitProc(ThrowingInt);
  AddServiceInitProc(InitB);
  AddServiceFinalProc(FinalA);
  AddServiceFinalProc(Throwing);
  ServicesInit_50F165E61988(u"");
  ServicesFinal_50F165E61988();
  EXPECT_EQ(Calls(), (std::vector<std::string>{"throws", "init A", "throws int", "init B", "throws", "final A"}));
}

TEST_F(ProcLists, StartingTwiceRunsEveryProcedureTwice) {
  AddServiceInitProc(InitA);
  ServicesInit_50F165E61988(u"");
  ServicesInit_50F165E61988(u"");
  EXPECT_EQ(Calls(), (std::vector<std::string>{"init A", "init A"}));
}

TEST_F(ProcLists, ParametersSetPathAndDirectory) {
  ServicesInit_50F165E61988(u"SERVICEDLL=C:\\App\\svc\\VelmorService.dll;X=1");
  EXPECT_EQ(ServiceDllPath(), "C:\\App\\svc\\VelmorService.dll");
  EXPECT_EQ(ServiceDir(), "C:\\App\\svc\\");
  ServicesInit_50F165E61988(u"NOTHING=1");
  EXPECT_EQ(ServiceDllPath(), "");
  EXPECT_EQ(ServiceDir(), "");
  ServicesInit_50F165E61988(nullptr);
  EXPECT_EQ(ServiceDllPath(), "");
  ServicesInit_50F165E61988(u"SERVICEDLL=/opt/插件/libVelmorService.so");
  EXPECT_EQ(ServiceDir(), "/opt/插件/");
}

TEST(AppHandle, SetSavesThePreviousHandle) {
  platform::SetApplicationHandle(11);
  SetAppHandle_50F165E61988(22);
  EXPECT_EQ(platform::GetApplicationHandle(), 22u);
  EXPECT_EQ(SavedAppHandle(), 11u);
  SetServiceFactory_50F165E61988(reinterpret_cast<void*>(0x1234));  // ignored
  platform::SetApplicationHandle(0);
}

TEST(ModuleFormatSettings, OverridesTheLocale) {
  const auto& s = ModuleFormatSettings();
  EXPECT_EQ(s.dateSeparator, '-');
  EXPECT_EQ(s.timeSeparator, ':');
  EXPECT_EQ(s.timeAmString, "");
  EXPECT_EQ(s.timePmString, "");
  EXPECT_EQ(s.shortDateFormat, "yyyy-m-d");
  EXPECT_EQ(s.longDateFormat, "yyyy-mm-dd");
  EXPECT_EQ(s.shortTimeFormat, "hh:nn:ss");
  EXPECT_EQ(s.longTimeFormat, platform::GetUserLocaleSettings().longTimeFormat) << "kept from the locale";
}

}  // namespace
}  // namespace velmor
