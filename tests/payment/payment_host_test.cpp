// The payment manager's operations that lean on host services, end to end through the exports:
// the home-page notices, the voucher states of the social-insurance payment service and its
// share of the arrears, the voucher workbook with and without a preview, and the certificate seal.
#include <filesystem>
#include <fstream>

#include "payment/payment_flow_fixture.h"
#include "velmor/object.h"
#include "velmor/sys_param.h"
#include "workbook/workbook.h"

namespace velmor::testing {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kQfxx = 0x8511, kOverdue = 0x8512;

std::string Day(int offset) {
  std::time_t t = std::time(nullptr) + static_cast<std::time_t>(offset) * 86400;
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[16];
  std::strftime(buf, sizeof buf, "%Y-%m-%d", &tm);
  return buf;
}

class Recorder : public Object<IProgressView> {
 public:
  std::vector<std::string> seen;
  int32_t GetPosition() override { return 0; }
  void SetPosition(int32_t) override {}
  void StartProgress(const std::string& m, int32_t, const std::string& c) override { seen.push_back(c + "/" + m); }
  void EndProgress() override { seen.push_back("end"); }
  void SetMessage(const std::string&) override {}
  int32_t GetMaximum() override { return 100; }
  int32_t GetHandle() override { return -1; }
  bool IsCancelled() override { return false; }
};

class PaymentHost : public PaymentFlow {
 protected:
  explicit PaymentHost(const std::string& extra = "[preview]\ncommand = true\n") : PaymentFlow(extra) {
    EXPECT_TRUE(env_->host().PublishHomePage());
  }

  // The notices the home page received since the last call, as (message, action).
  std::vector<std::pair<uint32_t, std::string>> Received() {
    std::vector<std::pair<uint32_t, std::string>> out;
    auto all = env_->host().HomePage().Notices();
    for (size_t i = seenNotices_; i < all.size(); ++i) {
      Json n = Json::parse(all[i].text);
      EXPECT_EQ(n["funccode"], "M8300-01-05-01-00");
      out.emplace_back(all[i].message, n["action"].get<std::string>());
    }
    seenNotices_ = all.size();
    return out;
  }
  using Notices = std::vector<std::pair<uint32_t, std::string>>;

  // Issues vouchers for the arrears; the stored voucher numbers in issue order.
  std::vector<std::string> IssueVouchers() {
    int32_t result = -9;
    EXPECT_TRUE(jk_->PrintJkpz(Arrears().dump(), R"({"yhzh": "6217", "zhmc": "甲", "yhhbMc": "建设银行"})", nullptr,
                               result))
        << jk_->GetErrorMessage();
    std::vector<std::string> out;
    for (const Json& r : Stored())
      if (std::find(out.begin(), out.end(), r["dzsphm"]) == out.end()) out.push_back(r["dzsphm"]);
    return out;
  }
  std::string DyztOf(const std::string& dzsphm) {
    std::string text;
    EXPECT_TRUE(jk_->GetDataByDzsphm("", dzsphm, text));
    return Json::parse(text).at(0)["dyzt"];
  }

  size_t seenNotices_ = 0;
};

// ---- Home-page notices -----------------------------------------------------------------------

TEST_F(PaymentHost, NoticesAreRaisedWithdrawnAndReceivedByTheHomePage) {
  // Nothing owed: both notices are withdrawn.
  ASSERT_TRUE(jk_->CheckQfxxNotice(nullptr));
  ASSERT_TRUE(jk_->SendQfxxNotice()) << jk_->GetErrorMessage();
  EXPECT_EQ(Received(), (Notices{{kQfxx, "delete"}, {kOverdue, "delete"}}));

  // Due today and later: owed, but nothing overdue.
  Declared("Y1", {100}, "", Day(0));
  Declared("Y2", {100}, "", Day(5));
  ASSERT_TRUE(jk_->CheckQfxxNotice(nullptr));
  ASSERT_TRUE(jk_->SendQfxxNotice());
  EXPECT_EQ(Received(), (Notices{{kQfxx, "add"}, {kOverdue, "delete"}}));

  // A deadline of yesterday is overdue.
  Declared("Y3", {100}, "", Day(-1));
  ASSERT_TRUE(jk_->CheckQfxxNotice(nullptr));
  ASSERT_TRUE(jk_->SendQfxxNotice());
  EXPECT_EQ(Received(), (Notices{{kQfxx, "add"}, {kOverdue, "add"}}));

  // All paid: withdrawn again.
  int32_t result = -9;
  ASSERT_TRUE(jk_->SfyxJk(Arrears().dump(), kAgreement, "{}", 0, nullptr, result));
  ASSERT_TRUE(jk_->CheckQfxxNotice(nullptr));
  ASSERT_TRUE(jk_->SendQfxxNotice());
  EXPECT_EQ(Received(), (Notices{{kQfxx, "delete"}, {kOverdue, "delete"}}));
}

TEST_F(PaymentHost, AFailingArrearsQueryMeansNoNoticeAndAnUnknownWindowIsNamed) {
  Declared("Y1", {100}, "", Day(-3));
  Fault(R"({"kind":"refuse","code":"10009","message":"拒绝","serviceCode":"0007"})");
  EXPECT_TRUE(jk_->CheckQfxxNotice(nullptr)) << "the notices never fail visibly";
  EXPECT_EQ(jk_->GetErrorMessage(), "");
  ASSERT_TRUE(jk_->SendQfxxNotice());
  EXPECT_EQ(Received(), (Notices{{kQfxx, "delete"}, {kOverdue, "delete"}}));

  Ref<ISysParamIntf> params = env_->plugin().CreateService<ISysParamIntf>();
  ASSERT_TRUE(params->SetValueFor("global_param", "homepage_handle", "9x"));
  Ref<IJkService> fresh = env_->plugin().CreateService<IJkService>();
  EXPECT_FALSE(fresh->SendQfxxNotice());
  EXPECT_EQ(fresh->GetErrorMessage(), "未找到首页窗口（系统参数homepage_handle），无法发送首页提醒。");
  EXPECT_TRUE(Received().empty());
}

class PaymentHostSchemeOff : public PaymentHost {
 protected:
  PaymentHostSchemeOff()
      : PaymentHost("[function_settings]\nM8300-01-05-01-00.yjgl.N = N\nM8300-01-05-01-00.ybgzdjxnh.N = N\n") {}
};

TEST_F(PaymentHostSchemeOff, ASchemeSettingWithoutTheFunctionRaisesNoNotice) {
  Declared("Y1", {100}, "", Day(-3));
  ASSERT_TRUE(jk_->CheckQfxxNotice(nullptr));
  EXPECT_EQ(CallsOf("0007"), 0u) << "not even asked";
  ASSERT_TRUE(jk_->SendQfxxNotice());
  EXPECT_EQ(Received(), (Notices{{kQfxx, "delete"}, {kOverdue, "delete"}}));
}

// ---- The social-insurance payment service --------------------------------------------------

TEST_F(PaymentHost, ArrearsKnownOnlyToThePaymentServiceAreAddedOnce) {
  Declared("Y1", {100, 200});
  sim_.WithState([](taxsim::State& s) {
    s.payments["sbfjnLines"] = nlohmann::json::array(
        {{{"yzpzxh", "Y1"}, {"yzpzmxxh", "9"}, {"zsuuid", "Y1-9"}, {"qfje", "30.00"}, {"hsjg", "X1"},
          {"zspmDm", "102101000"}, {"jkqx", "2026-01-01"}},
         {{"yzpzxh", "Y1"}, {"yzpzmxxh", "8"}, {"zsuuid", "Y1-8"}, {"qfje", "5.00"}, {"hsjg", "X1"},
          {"zspmDm", "999999999"}},  // not a residents' item
         {{"yzpzxh", "Z9"}, {"zsuuid", "Z9-1"}, {"zspmDm", "102101000"}}});  // a document not asked
  });
  Json arrears = Arrears();
  ASSERT_EQ(arrears.size(), 3u) << arrears.dump();
  EXPECT_EQ(ByZsuuid(arrears, "Y1-9")["qfje"], "30.00");
  EXPECT_EQ(CallsOf("0901"), 1u);
  for (const auto& c : sim_.RecentCalls()) {
    if (c.serviceCode == "0901") {
      EXPECT_EQ(Json::parse(c.body)["yzpzxhList"], Json::array({"Y1"}));
    }
  }

  // A narrowing condition leaves the service out; its failure fails the query.
  std::string text;
  ASSERT_TRUE(jk_->GetQfxxLb(0, "", R"({"skssqq": "2026-01-01"})", "", nullptr, text));
  EXPECT_EQ(Json::parse(text).size(), 2u);
  EXPECT_EQ(CallsOf("0901"), 1u);
  Fault(R"({"kind":"refuse","code":"10009","message":"缴费服务维护中","serviceCode":"0901"})");
  EXPECT_FALSE(jk_->GetQfxxLb(0, "", "", "", nullptr, text));
  EXPECT_NE(jk_->GetErrorMessage().find("缴费服务维护中"), std::string::npos) << jk_->GetErrorMessage();
  // An answer that is not a JSON object is refused by name, not handed on.
  Fault(R"({"kind":"empty-answer","text":"null","serviceCode":"0901"})");
  EXPECT_FALSE(jk_->GetQfxxLb(0, "", "", "", nullptr, text));
  EXPECT_NE(jk_->GetErrorMessage().find("社保费缴纳服务应答格式错误（0901）"), std::string::npos)
      << jk_->GetErrorMessage();
  EXPECT_TRUE(jk_->GetQfxxLb(0, "", "", "", nullptr, text)) << jk_->GetErrorMessage();
  EXPECT_EQ(Json::parse(text).size(), 3u);
}

// The service is asked early, for the documents the arrears text seems to hold; when the lines
// read say otherwise (here a document whose only line is not a residents' item), its answer is
// not used and the service is asked for the documents read.
TEST_F(PaymentHost, ThePaymentServiceAnswersForTheDocumentsReadNotThoseGuessed) {
  Declared("Y1", {100});
  Declared("Z1", {50}, "", "", "999999999");
  sim_.WithState([](taxsim::State& s) {
    s.payments["sbfjnLines"] =
        nlohmann::json::array({{{"yzpzxh", "Y1"}, {"zsuuid", "Y1-9"}, {"qfje", "30.00"}, {"zspmDm", "102101000"}},
                               {{"yzpzxh", "Z1"}, {"zsuuid", "Z1-9"}, {"qfje", "7.00"}, {"zspmDm", "102101000"}}});
  });
  const Json arrears = Arrears();
  EXPECT_EQ(LinesOf(arrears, "Y1").size(), 2u) << arrears.dump();
  EXPECT_EQ(LinesOf(arrears, "Z1").size(), 0u) << "a document not read is not asked for";
  std::vector<Json> asked;
  for (const auto& c : sim_.RecentCalls())
    if (c.serviceCode == "0901") asked.push_back(Json::parse(c.body)["yzpzxhList"]);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_TRUE(std::find(asked.begin(), asked.end(), Json::array({"Y1"})) != asked.end());
  EXPECT_TRUE(std::find(asked.begin(), asked.end(), Json::array({"Y1", "Z1"})) != asked.end());

  // Guessed right, the service is asked once; its refusal is the query's, as before.
  Declared("Z1", {50});
  Fault(R"({"kind":"refuse","code":"10009","message":"缴费服务维护中","serviceCode":"0901"})");
  std::string text;
  EXPECT_FALSE(jk_->GetQfxxLb(0, "", "", "", nullptr, text));
  EXPECT_NE(jk_->GetErrorMessage().find("缴费服务维护中"), std::string::npos) << jk_->GetErrorMessage();
  const size_t before = CallsOf("0901");
  EXPECT_EQ(LinesOf(Arrears(), "Z1").size(), 2u);
  EXPECT_EQ(CallsOf("0901"), before + 1);
}

TEST_F(PaymentHost, VoucherStatesFollowTheServerInOneTransaction) {
  auto recorder = Make<Recorder>();
  EXPECT_FALSE(jk_->synDzsphmDyzt("", recorder.get()));
  EXPECT_EQ(jk_->GetErrorMessage(), "未查询到开具日期");
  EXPECT_EQ(recorder->seen, (std::vector<std::string>{"进度/正在处理，请稍等", "end"}));

  Declared("Y1", {100}, "A1");
  Declared("Y2", {200}, "A1");
  Declared("Y3", {300}, "A1");
  std::vector<std::string> v = IssueVouchers();
  ASSERT_EQ(v.size(), 3u);
  sim_.WithState([&](taxsim::State& s) {
    s.payments["vouchers"][v[0]]["state"] = "2";
    s.payments["vouchers"][v[1]]["state"] = "9";  // a state this client does not keep
    s.payments["vouchers"][v[2]]["state"] = "3";
  });
  Fault(R"({"kind":"refuse","code":"10009","message":"查询失败了","serviceCode":"0902"})");
  EXPECT_FALSE(jk_->synDzsphmDyzt("", nullptr));
  EXPECT_NE(jk_->GetErrorMessage().find("查询失败了"), std::string::npos) << jk_->GetErrorMessage();
  EXPECT_EQ(DyztOf(v[0]), "1");

  ASSERT_TRUE(jk_->synDzsphmDyzt("", nullptr)) << jk_->GetErrorMessage();
  EXPECT_EQ(DyztOf(v[0]), "3");
  EXPECT_EQ(DyztOf(v[1]), "1");
  EXPECT_EQ(DyztOf(v[2]), "3");
  sim_.WithState([&](taxsim::State& s) { s.payments["vouchers"][v[0]]["state"] = "4"; });
  ASSERT_TRUE(jk_->synDzsphmDyzt(kPayPayer, nullptr));
  EXPECT_EQ(DyztOf(v[0]), "1");
}

// ---- The voucher workbook --------------------------------------------------------------------

void InstallTemplate(const std::string& dataDir) {
  const fs::path dir = fs::path(dataDir) / "M8" / "Templates" / "Export";
  fs::create_directories(dir);
  fs::copy_file(fs::path(VELMOR_SOURCE_DIR) / "data" / "M8" / "Templates" / "Export" / "银行端缴税凭证.xlsx",
                dir / "银行端缴税凭证.xlsx", fs::copy_options::overwrite_existing);
}

TEST_F(PaymentHost, VouchersAreExportedIntoACopyOfTheTemplate) {
  Declared("Y1", {100, 200.5}, "A1");
  Declared("Y2", {50}, "A1");
  IssueVouchers();
  std::string rows, file;
  ASSERT_TRUE(jk_->GetData("", 3, 3, 0, 0, rows));
  EXPECT_FALSE(jk_->ExportXls(rows, file));
  EXPECT_NE(jk_->GetErrorMessage().find("缺少文件："), std::string::npos) << jk_->GetErrorMessage();
  EXPECT_EQ(file, "");

  InstallTemplate(env_->dataDir());
  ASSERT_TRUE(jk_->ExportXls(rows, file)) << jk_->GetErrorMessage();
  EXPECT_EQ(jk_->GetErrorMessage(), "") << "the preview program ran";
  EXPECT_EQ(fs::path(file).parent_path(), fs::path(env_->dataDir()) / "M8" / "Temp");
  EXPECT_EQ(fs::path(file).filename().string().rfind("银行端缴税凭证_", 0), 0u) << file;
  const std::string stamp = fs::path(file).stem().string().substr(std::string("银行端缴税凭证_").size());
  EXPECT_EQ(stamp.substr(0, 14).find_first_not_of("0123456789"), std::string::npos)
      << "named by the time to the second: " << file;

  auto sheet = workbook::ReadFirstSheetRows(file);
  ASSERT_GE(sheet.size(), 13u);
  EXPECT_EQ(sheet[0][0], "银行端缴税凭证");
  EXPECT_EQ(sheet[1][0], "开具日期");
  EXPECT_EQ(sheet[1][1].substr(4, 3), "年");
  const Json stored = Stored();
  EXPECT_EQ(sheet[2][1], ByZsuuid(stored, "Y1-1")["dzsphm"]);
  EXPECT_EQ(sheet[4][2], "100.00");
  EXPECT_EQ(sheet[5][2], "200.50");
  EXPECT_EQ(sheet[6][0], "合计");
  EXPECT_EQ(sheet[6][2], "300.50");
  EXPECT_FALSE(sheet[6][1].empty()) << "the amount in capitals";
  EXPECT_EQ(sheet[8][0], "开具日期") << "the second voucher has its own block";
  EXPECT_EQ(sheet[12][2], "50.00");

  std::string second;
  ASSERT_TRUE(jk_->ExportXls(rows, second));
  EXPECT_NE(second, file) << "each export has its own file";
  EXPECT_FALSE(jk_->ExportXls("[]", second));
  EXPECT_FALSE(jk_->ExportXls("{", second));
}

class PaymentHostNoViewer : public PaymentHost {
 protected:
  PaymentHostNoViewer() : PaymentHost("[seal]\nfail = 签章服务不可用\n") {}
};

TEST_F(PaymentHostNoViewer, WithoutAViewerTheWorkbookIsKeptAndTheUserTold) {
  InstallTemplate(env_->dataDir());
  Declared("Y1", {100});
  IssueVouchers();
  std::string rows, file;
  ASSERT_TRUE(jk_->GetData("", 3, 3, 0, 0, rows));
  ASSERT_TRUE(jk_->ExportXls(rows, file));
  EXPECT_EQ(jk_->GetErrorMessage(), "您未安装Excel，无法预览");
  EXPECT_TRUE(fs::exists(file));
}

// ---- The certificate seal --------------------------------------------------------------------

TEST_F(PaymentHost, ACertificateIsSealedAndItsPrintRecorded) {
  const fs::path pdf = fs::path(env_->dataDir()) / "凭证 'x'.pdf";
  std::ofstream(pdf) << "%PDF-1.4\n%%EOF\n";
  const fs::path text = fs::path(env_->dataDir()) / "not.pdf";
  std::ofstream(text) << "hello";
  std::string count;

  Json record = {{"pdfFile", text.string()}, {"id", 0}, {"dycs", 1}, {"no", "2026010100000001"}, {"sign", "s"},
                 {"list", Json::array()}};
  EXPECT_FALSE(jk_->DzjfpzElecSeal(record.dump(), nullptr));
  EXPECT_EQ(jk_->GetErrorMessage(), "电子签章失败，文件不是PDF文档：" + text.string());
  record["pdfFile"] = (fs::path(env_->dataDir()) / "missing.pdf").string();
  EXPECT_FALSE(jk_->DzjfpzElecSeal(record.dump(), nullptr));
  int32_t n = -1;
  ASSERT_TRUE(jk_->GetDzjfpzJlCount("", n));
  EXPECT_EQ(n, 0) << "a failed seal records nothing";

  record["pdfFile"] = pdf.string();
  ASSERT_TRUE(jk_->DzjfpzElecSeal(record.dump(), nullptr)) << jk_->GetErrorMessage();
  Json seal = Json::parse(std::ifstream(pdf.string() + ".seal.json"));
  EXPECT_EQ(seal["code"], "866");
  EXPECT_EQ(seal["description"], "code:税务机关（电子章）");
  std::string data;
  ASSERT_TRUE(jk_->GetDzjfpzJlData("", 0, 0, data));
  Json rows = Json::parse(data);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0]["dycs"], "1");

  record["id"] = std::stoi(rows[0]["id"].get<std::string>());
  ASSERT_TRUE(jk_->DzjfpzElecSeal(record.dump(), nullptr));
  ASSERT_TRUE(jk_->GetDzjfpzJlData("", 0, 0, data));
  EXPECT_EQ(Json::parse(data)[0]["dycs"], "2") << "a sealed reprint counts";
}

TEST_F(PaymentHostNoViewer, AFailingSealServiceFailsTheOperationAndRecordsNothing) {
  const fs::path pdf = fs::path(env_->dataDir()) / "c.pdf";
  std::ofstream(pdf) << "%PDF-1.4\n";
  Json record = {{"pdfFile", pdf.string()}, {"id", 0}, {"dycs", 1}, {"no", "1"}, {"sign", ""}, {"list", Json::array()}};
  EXPECT_FALSE(jk_->DzjfpzElecSeal(record.dump(), nullptr));
  EXPECT_EQ(jk_->GetErrorMessage(), "签章服务不可用");
  int32_t n = -1;
  ASSERT_TRUE(jk_->GetDzjfpzJlCount("", n));
  EXPECT_EQ(n, 0);
  EXPECT_FALSE(fs::exists(pdf.string() + ".seal.json"));
}

}  // namespace
}  // namespace velmor::testing
