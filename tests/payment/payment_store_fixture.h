// The payment store (IPaymentDAO) of the real plug-in, loaded by the reference host through its
// exports, on the data directory's temporary SQLite file; the current payer comes from the
// portal section of velmor.conf.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "host/db/fault_injection.h"
#include "support/host_fixture.h"
#include "velmor/employee_dao.h"
#include "velmor/payment_dao.h"

namespace velmor::testing {

using Json = nlohmann::ordered_json;
using host::db::FaultInjection;

inline const std::string kPayer = "10000000000000000001";

class PaymentStore : public ::testing::Test {
 protected:
  PaymentStore() {
    env_ = std::make_unique<LoadedPlugin>("[portal]\ndjxh = " + kPayer + "\n");
    pay_ = env_->plugin().CreateService<IPaymentDAO>();
    sql_ = env_->plugin().CreateService<IEmployeeDao>();
  }
  ~PaymentStore() override {
    FaultInjection::Clear();
    pay_ = nullptr;
    sql_ = nullptr;
    env_.reset();
  }

  // A line as the manager hands it over (members named as the columns).
  static Json Line(const std::string& yzpzxh, const std::string& mx, const std::string& zsuuid, int jkzt = 3) {
    return {{"hsjg", "13201000000"}, {"yzpzxh", yzpzxh}, {"yzpzmxxh", mx}, {"sbbm", "SB1"},
            {"sbjbjgDm", "A1"}, {"skssqq", "2024-01-01"}, {"skssqz", "2024-01-31"}, {"zsxmDm", "10210"},
            {"zspmDm", "102100100"}, {"zszmDm", ""}, {"skgkDm", "GK1"}, {"qfje", "100.50"},
            {"zsjgDm", "13201000000"}, {"zsuuid", zsuuid}, {"jkqx", "2024-02-15"}, {"jkzt", jkzt},
            {"jksj", "2024-02-01 10:00:00"}, {"sjje", 100.5}, {"dzsphm", ""}, {"jkzh", "6217000001"},
            {"yhyywdMc", "第一支行"}, {"skgkMc", "国库一"}, {"zsswjgMc", "第一税务所"}, {"zhmc", "甲公司"},
            {"yhhbMc", "建设银行"}};
  }
  Json Sql(const std::string& sql) { return Json::parse(sql_->getData(sql)); }
  std::string Table(const char* table) { return Sql(std::string("select * from ") + table + " order by rowid").dump(); }
  std::string Snapshot() { return Table("sb_fkjnxxb") + Table("sb_jkcslsb") + Table("sb_dzjfpzdyjl"); }
  Json Out(bool ok, const std::string& text) {
    EXPECT_TRUE(ok) << pay_->GetErrorMessage();
    return Json::parse(text.empty() ? "null" : text);
  }

  // Runs `op` with a failure injected at each of its statements in turn, then once at the commit:
  // every failed run must leave the three tables as they were and report one of `texts`. Returns
  // how many statements failed before a clean run.
  template <class Op>
  int FailEachStatement(Op op, std::initializer_list<std::string> texts) {
    const std::string before = Snapshot();
    int failures = 0;
    for (int n = 1; n < 40; ++n) {
      FaultInjection::FailStatement(n);
      const bool ok = op();
      FaultInjection::Clear();
      if (ok) break;
      ++failures;
      EXPECT_EQ(Snapshot(), before) << "statement " << n;
      EXPECT_NE(std::find(texts.begin(), texts.end(), pay_->GetErrorMessage()), texts.end())
          << n << ": " << pay_->GetErrorMessage();
    }
    return failures;
  }

  std::unique_ptr<LoadedPlugin> env_;
  Ref<IPaymentDAO> pay_;
  Ref<IEmployeeDao> sql_;
};

}  // namespace velmor::testing
