#include <gtest/gtest.h>

#include <climits>

#include "business/error_info.h"
#include "business/query_condition.h"
#include "framework/fake_host.h"
#include "framework/recording_debugger.h"
#include "velmor/exceptions.h"

namespace velmor {
namespace {

using testing::DebugCall;
using testing::FakeHost;
using testing::RecordingDebugger;

// A derived condition as a record type's store would declare it.
class IZt_QueryCondition : public IQueryCondition {
 public:
  VELMOR_IID("{C6E1A0B4-3F52-4D7E-9A18-5B2E0C7D9F01}")
  using Base = IQueryCondition;
  virtual std::string GetZt() = 0;
};

class TZt_QueryCondition : public TQueryConditionOf<IZt_QueryCondition> {
 public:
  std::string GetZt() override { return zt; }
  void ResetCondition() override {
    TQueryConditionOf::ResetCondition();
    zt = "1";
  }
  std::string zt = "1";
  VELMOR_PUBLISHED(TZt_QueryCondition, TQueryConditionOf<IZt_QueryCondition>,
                   Prop<&TZt_QueryCondition::zt>("zt", types::String))
};

TEST(QueryCondition, DefaultsAndReset) {
  Ref<TQueryCondition> qc = New<TQueryCondition>();
  IQueryCondition& q = *qc;
  EXPECT_EQ(q.GetPageNo(), -1);
  EXPECT_EQ(q.GetPageSize(), -1);
  EXPECT_EQ(q.GetAuxValue(), -1);
  EXPECT_EQ(q.GetXm(), "");
  EXPECT_EQ(q.GetZjlxDm(), "");
  EXPECT_EQ(q.GetZjhm(), "");
  EXPECT_EQ(q.GetAuxText(), "");
  q.SetPageNo(2);
  q.SetPageSize(50);
  q.SetAuxValue(7);
  q.SetXm("张");
  q.SetZjlxDm("201");
  q.SetZjhm("1101");
  q.SetAuxText("kept");
  q.ResetCondition();
  EXPECT_EQ(q.GetPageNo(), -1);
  EXPECT_EQ(q.GetPageSize(), -1);
  EXPECT_EQ(q.GetAuxValue(), -1);
  EXPECT_EQ(q.GetXm(), "");
  EXPECT_EQ(q.GetZjlxDm(), "");
  EXPECT_EQ(q.GetZjhm(), "");
  EXPECT_EQ(q.GetAuxText(), "kept");
}

TEST(QueryCondition, PublishedInDeclarationOrder) {
  Ref<TQueryCondition> qc = New<TQueryCondition>();
  const char* names[] = {"PageNo", "PageSize", "AuxText", "Xm", "ZjlxDm", "Zjhm", "AuxValue"};
  ASSERT_EQ(qc->GetPropCount(), 7);
  for (int32_t i = 0; i < 7; ++i) EXPECT_EQ(qc->GetPropName(i), names[i]);
  EXPECT_EQ(qc->GetPropText(0), "-1");
  qc->SetPropTextByName("pageno", "3");
  EXPECT_EQ(qc->GetPageNo(), 3);
  EXPECT_EQ(qc->ClassName(), "TQueryCondition");
}

TEST(QueryCondition, DerivedConditionsKeepTheBaseSlotsAndProperties) {
  Ref<TZt_QueryCondition> zt = New<TZt_QueryCondition>();
  Ref<IQueryCondition> base = Query<IQueryCondition>(static_cast<TBusinessObject*>(zt.get()));
  ASSERT_TRUE(base);
  Ref<IZt_QueryCondition> derived = Query<IZt_QueryCondition>(base);
  ASSERT_TRUE(derived);
  base->SetPageNo(4);
  EXPECT_EQ(derived->GetPageNo(), 4);
  zt->zt = "2";
  derived->ResetCondition();
  EXPECT_EQ(derived->GetZt(), "1");
  EXPECT_EQ(base->GetPageNo(), -1);
  EXPECT_EQ(zt->GetPropCount(), 8);
  EXPECT_EQ(zt->GetPropName(7), "zt");
  EXPECT_EQ(zt->ClassName(), "TZt_QueryCondition");
}

TEST(QueryCondition, PagingSuffix) {
  Ref<TQueryCondition> qc = New<TQueryCondition>();
  EXPECT_EQ(PagingSuffix(*qc), "");
  qc->SetPageNo(1);
  qc->SetPageSize(20);
  EXPECT_EQ(PagingSuffix(*qc), " limit 0, 20");
  qc->SetPageNo(3);
  EXPECT_EQ(PagingSuffix(*qc), " limit 40, 20");
  qc->SetPageNo(INT32_MAX);
  qc->SetPageSize(INT32_MAX);
  EXPECT_EQ(PagingSuffix(*qc), " limit 4611686011984936962, 2147483647");  // no overflow
  qc->SetPageSize(-1);
  qc->SetPageNo(1);
  EXPECT_EQ(PagingSuffix(*qc), " limit 0, -1");
}

class ErrorInfo : public ::testing::Test {
 protected:
  void SetUp() override { host_.factory().debugger = dbg_; }
  FakeHost host_;
  Ref<RecordingDebugger> dbg_ = Make<RecordingDebugger>();
  Ref<TErrorInfo> err_ = New<TErrorInfo>();
};

TEST_F(ErrorInfo, CodeZeroWhenNewAndOneAfterClear) {
  EXPECT_EQ(err_->GetErrorCode(), 0);
  EXPECT_EQ(err_->GetErrorMsg(), "");
  err_->SetErrorCode(-2);
  err_->SetErrorMsg("x");
  err_->ClearError();
  EXPECT_EQ(err_->GetErrorCode(), 1);
  EXPECT_EQ(err_->GetErrorMsg(), "");
  EXPECT_TRUE(dbg_->calls.empty());
}

TEST_F(ErrorInfo, SetErrorLogsNonEmptyMessages) {
  err_->SetError(-1, "数据库执行失败");
  EXPECT_EQ(err_->GetErrorCode(), -1);
  EXPECT_EQ(err_->GetErrorMsg(), "数据库执行失败");
  err_->SetError(0, "");
  EXPECT_EQ(err_->GetErrorMsg(), "");
  std::vector<DebugCall> expected = {{"WriteText", "UpdateError:数据库执行失败", "TErrorInfo", kLevelError}};
  EXPECT_EQ(dbg_->calls, expected);
  EXPECT_EQ(dbg_->isActiveCalls, 1);  // the empty message did not even ask
}

TEST_F(ErrorInfo, SetErrorFmtFormatsOrChangesNothing) {
  err_->SetErrorFmt(2, "第%d行：%s", {3, "证件号码为空"});
  EXPECT_EQ(err_->GetErrorCode(), 2);
  EXPECT_EQ(err_->GetErrorMsg(), "第3行：证件号码为空");
  EXPECT_EQ(dbg_->Messages(), std::vector<std::string>{"UpdateError:第3行：证件号码为空"});
  try {
    err_->SetErrorFmt(5, "%d", {"x"});
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Format '%d' invalid or incompatible with argument");
  }
  EXPECT_EQ(err_->GetErrorCode(), 2);
  EXPECT_EQ(err_->GetErrorMsg(), "第3行：证件号码为空");
}

TEST_F(ErrorInfo, AFailingDebuggerDoesNotHideTheError) {
  dbg_->throwOnRecord = true;
  EXPECT_NO_THROW(err_->SetError(9, "反馈报文异常：超时"));
  EXPECT_EQ(err_->GetErrorCode(), 9);
  EXPECT_EQ(err_->GetErrorMsg(), "反馈报文异常：超时");
}

TEST_F(ErrorInfo, AssignErrorAndObject) {
  Ref<TErrorInfo> other = New<TErrorInfo>();
  other->SetErrorCode(7);
  other->SetErrorMsg("【10042】拒绝");
  err_->AssignError(other.get());
  EXPECT_EQ(err_->GetErrorCode(), 7);
  EXPECT_EQ(err_->GetErrorMsg(), "【10042】拒绝");
  err_->AssignError(nullptr);
  EXPECT_EQ(err_->GetErrorCode(), 7);
  EXPECT_EQ(static_cast<TBusinessObject*>(err_->GetObject()), static_cast<TBusinessObject*>(err_.get()));
  EXPECT_EQ(err_->GetPropTextByName("ErrorCode"), "7");
  Ref<IErrorInfo> viaQuery = Query<IErrorInfo>(static_cast<IBusinessObject*>(err_.get()));
  ASSERT_TRUE(viaQuery);
  EXPECT_EQ(viaQuery->GetErrorCode(), 7);
}

}  // namespace
}  // namespace velmor
