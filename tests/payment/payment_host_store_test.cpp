// A payment store the host puts in the plug-in's place (a class of its own under IPaymentDAO's
// GUID in the service class list): a deduction's and a voucher's lines reach it as one JSON array
// each through CommitData, where the plug-in's own store takes them one at a time, and the rows
// stored from them are the ones the own store writes.
#include <string>
#include <vector>

#include "payment/payment_flow_fixture.h"
#include "velmor/class_ref.h"
#include "velmor/object.h"

namespace velmor::testing {
namespace {

// What the host's store was handed: the lines text and the method of each CommitData.
struct Committed {
  std::string lines;
  int32_t jkfs = 0;
};

// The plug-in's store, reached through a store of the host's that records CommitData and passes
// every call on.
class HostStore final : public Object<IPaymentDAO> {
 public:
  HostStore(Ref<IPaymentDAO> inner, std::vector<Committed>& log) : inner_(std::move(inner)), log_(log) {}

  std::string GetErrorMessage() override { return inner_->GetErrorMessage(); }
  void SetErrorMessage(const std::string& m) override { inner_->SetErrorMessage(m); }
  bool GetData(const std::string& c, int32_t a, int32_t b, int32_t p, int32_t s, std::string& rows) override {
    return inner_->GetData(c, a, b, p, s, rows);
  }
  bool GetCount(const std::string& c, int32_t a, int32_t b, int32_t& n) override {
    return inner_->GetCount(c, a, b, n);
  }
  bool GetPrintData(const std::string& c, int32_t j, int32_t p, int32_t s, std::string& rows) override {
    return inner_->GetPrintData(c, j, p, s, rows);
  }
  bool GetPrintCount(const std::string& c, int32_t j, int32_t& n) override { return inner_->GetPrintCount(c, j, n); }
  bool CommitData(const std::string& lines, int32_t jkfs, int32_t jfrlx, const std::string& xm, const std::string& zjlx,
                  const std::string& zjhm) override {
    log_.push_back({lines, jkfs});
    return inner_->CommitData(lines, jkfs, jfrlx, xm, zjlx, zjhm);
  }
  bool UpdateDyzt(int32_t d, const std::string& djxh, const std::string& h, const std::string& z) override {
    return inner_->UpdateDyzt(d, djxh, h, z);
  }
  bool UpdateJkzt(const std::string& djxh, const std::string& y, int32_t j) override {
    return inner_->UpdateJkzt(djxh, y, j);
  }
  bool DeleteByDzsphm(const std::string& h) override { return inner_->DeleteByDzsphm(h); }
  bool GetWjkYhjkpzLb(const std::string& djxh, int32_t f, int32_t a, int32_t b, int32_t c, int32_t d,
                      std::string& list) override {
    return inner_->GetWjkYhjkpzLb(djxh, f, a, b, c, d, list);
  }
  bool GetDataByDzsphm(const std::string& djxh, const std::string& h, std::string& rows) override {
    return inner_->GetDataByDzsphm(djxh, h, rows);
  }
  bool SaveCsjkxx(const std::string& l, const std::string& y, int32_t f, int32_t r, const std::string& xm,
                  const std::string& zjlx, const std::string& zjhm) override {
    return inner_->SaveCsjkxx(l, y, f, r, xm, zjlx, zjhm);
  }
  bool GetCsjkxx(const std::string& djxh, int32_t r, std::string& groups) override {
    return inner_->GetCsjkxx(djxh, r, groups);
  }
  bool DeleteCsjkxx(const std::string& y) override { return inner_->DeleteCsjkxx(y); }
  bool GetWdySfxyjkJl(const std::string& djxh, const std::string& q, const std::string& z, int32_t f, int32_t j,
                      std::string& rows) override {
    return inner_->GetWdySfxyjkJl(djxh, q, z, f, j, rows);
  }
  bool GetMaxDzjfpzNo(const std::string& djxh, std::string& no) override { return inner_->GetMaxDzjfpzNo(djxh, no); }
  bool SaveDzjfpz(const std::string& r) override { return inner_->SaveDzjfpz(r); }
  bool UpdateDzjfpzDy(int32_t id) override { return inner_->UpdateDzjfpzDy(id); }
  bool GetDzjfpzJlCount(const std::string& c, int32_t& n) override { return inner_->GetDzjfpzJlCount(c, n); }
  bool GetDzjfpzJlData(const std::string& c, int32_t p, int32_t s, std::string& rows) override {
    return inner_->GetDzjfpzJlData(c, p, s, rows);
  }
  bool GetDzjfpzMxData(int32_t id, std::string& rows) override { return inner_->GetDzjfpzMxData(id, rows); }
  bool UpdateJkzt(const std::string& djxh, const std::string& h, const std::string& z, int32_t j) override {
    return inner_->UpdateJkzt(djxh, h, z, j);
  }
  bool UpdateJkzt(const std::string& djxh, const std::string& y, const std::string& xm, const std::string& pm,
                  const std::string& zm, int32_t j, const std::string& sbyy) override {
    return inner_->UpdateJkzt(djxh, y, xm, pm, zm, j, sbyy);
  }
  bool GetZspmdmList(const std::string& djxh, int32_t f, const std::string& l, int32_t r, std::string& list) override {
    return inner_->GetZspmdmList(djxh, f, l, r, list);
  }
  bool SaveJfmxList(const std::string& l, const std::string& djxh, const std::string& q, const std::string& z,
                    const std::string& rq, const std::string& rz) override {
    return inner_->SaveJfmxList(l, djxh, q, z, rq, rz);
  }
  bool GetZs10305CxList(int32_t f, const std::string& l, int32_t d, std::string& list) override {
    return inner_->GetZs10305CxList(f, l, d, list);
  }
  bool UpdateJkztBy10305(const std::string& h, int32_t j, const std::string& sbyy) override {
    return inner_->UpdateJkztBy10305(h, j, sbyy);
  }

 private:
  Ref<IPaymentDAO> inner_;
  std::vector<Committed>& log_;
};

// The host's class: each instance wraps a new instance of the plug-in's class.
class HostStoreClass final : public ClassRef {
 public:
  const ClassRef* plugins = nullptr;
  mutable std::vector<Committed> log;
  std::string_view ClassName() const override { return "THostPaymentStore"; }
  Ref<IInterface> CreateInstance() const override {
    Ref<HostStore> store = Make<HostStore>(Query<IPaymentDAO>(plugins->CreateInstance()), log);
    return Query<IInterface>(store);
  }
};

class PaymentHostStore : public PaymentFlow {
 protected:
  void UseHostStore() {
    host::NamedClassList& classes = *env_->factory().ServiceClasses();
    at_ = classes.IndexOfName(IPaymentDAO::kIid.ToString());
    ASSERT_GE(at_, 0);
    hostClass_.plugins = classes.GetClassAt(at_);
    classes.SetClassAt(at_, &hostClass_);
  }
  ~PaymentHostStore() override {
    if (at_ >= 0) env_->factory().ServiceClasses()->SetClassAt(at_, hostClass_.plugins);
  }

  // The stored rows of one levy document without what differs between documents: the keys, the
  // numbers the server gave and the times.
  Json RowsOf(const std::string& yzpzxh) {
    Json out = Json::array();
    for (Json r : Stored()) {
      if (r["yzpzxh"] != yzpzxh) continue;
      for (const char* k : {"id", "yzpzxh", "zsuuid", "dzsphm", "jksj", "dysj"}) r.erase(k);
      out.push_back(r);
    }
    return out;
  }

  HostStoreClass hostClass_;
  int32_t at_ = -1;
};

TEST_F(PaymentHostStore, TheLinesComeAsOneArrayAndTheSameRowsAreStored) {
  // Two lines deducted and one on a voucher, first through the plug-in's own store.
  for (const char* yzpzxh : {"Y1", "Y3"}) Declared(yzpzxh, {100, 200.5}, "", "2026-12-31");
  for (const char* yzpzxh : {"Y2", "Y4"}) Declared(yzpzxh, {0.333}, "", "2026-12-31");
  const Json arrears = Arrears();
  const std::string account = R"({"yhzh": "6217", "zhmc": "甲"})";
  int32_t result = -9;
  ASSERT_TRUE(jk_->SfyxJk(LinesOf(arrears, "Y1").dump(), kAgreement, "{}", 0, nullptr, result))
      << jk_->GetErrorMessage();
  ASSERT_TRUE(jk_->PrintJkpz(LinesOf(arrears, "Y2").dump(), account, nullptr, result)) << jk_->GetErrorMessage();

  // The same through the host's store.
  UseHostStore();
  ASSERT_TRUE(jk_->SfyxJk(LinesOf(arrears, "Y3").dump(), kAgreement, "{}", 0, nullptr, result))
      << jk_->GetErrorMessage();
  ASSERT_TRUE(jk_->PrintJkpz(LinesOf(arrears, "Y4").dump(), account, nullptr, result)) << jk_->GetErrorMessage();

  const std::vector<Committed>& log = hostClass_.log;
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].jkfs, 1);
  EXPECT_EQ(log[1].jkfs, 3);
  const Json deducted = Json::parse(log[0].lines), vouchered = Json::parse(log[1].lines);
  ASSERT_EQ(deducted.size(), 2u);
  ASSERT_EQ(vouchered.size(), 1u);
  EXPECT_EQ(deducted[0]["zsuuid"], "Y3-1");
  EXPECT_EQ(deducted[1]["zsuuid"], "Y3-2");
  EXPECT_EQ(vouchered[0]["zsuuid"], "Y4-1");
  EXPECT_FALSE(vouchered[0].value("dzsphm", "").empty()) << "the voucher's number comes with its line";

  const Json own = RowsOf("Y1"), hosts = RowsOf("Y3");
  ASSERT_EQ(own.size(), 2u);
  EXPECT_EQ(hosts, own);
  ASSERT_EQ(RowsOf("Y2").size(), 1u);
  EXPECT_EQ(RowsOf("Y4"), RowsOf("Y2"));
}

}  // namespace
}  // namespace velmor::testing
