// Medical-insurance personal account registrations through the loaded plug-in: the download of
// the registered residents ("0187": count, pages, pending answers, full and incremental windows,
// mark and sweep), the relationships ("0186", "0188") and the local lists.
#include <ctime>

#include "scheme_fixture.h"
#include "velmor/ybgrzhdj.h"

namespace velmor::testing {
namespace {

class MedicalAccounts : public SchemeFixture {
 protected:
  MedicalAccounts() : SchemeFixture(12, 1) { svc_yb = env_->plugin().CreateService<IYbgrzhdj>(); }
  ~MedicalAccounts() override { svc_yb = nullptr; }

  void Scheme() { ASSERT_TRUE(mgr_->DjxxXz(nullptr)) << mgr_->GetErrorMessage(); }
  int32_t Download(bool incremental) {
    int32_t n = -1;
    EXPECT_TRUE(svc_yb->synYbgrzhdjcxjmxxCx(incremental, nullptr, n)) << svc_yb->GetErrorMessage();
    return n;
  }
  std::string DownloadFails(bool incremental) {
    int32_t n = -1;
    EXPECT_FALSE(svc_yb->synYbgrzhdjcxjmxxCx(incremental, nullptr, n));
    EXPECT_EQ(n, 0);
    return svc_yb->GetErrorMessage();
  }
  taxsim::Person Resident(size_t k) {
    return sim_.WithState([&](taxsim::State& s) { return s.PersonsOf(kPayer).first[k]; });
  }
  std::string Office() {
    return sim_.WithState([](taxsim::State& s) { return s.FindPayer(kPayer)->zgswjgDm; });
  }
  // Gives the person `more` further insured lines (copies of its first with other types).
  void AddLines(const std::string& rydjxh, int more) {
    sim_.WithState([&](taxsim::State& s) {
      taxsim::Item first;
      for (const auto& it : s.items)
        if (it.rydjxh == rydjxh) first = it;
      for (int i = 0; i < more; ++i) {
        taxsim::Item copy = first;
        copy.xzid = first.xzid + "-" + std::to_string(i + 2);
        copy.xzlxDm = "9" + std::to_string(i);
        copy.yxbz = "Y";
        s.items.push_back(copy);
      }
    });
  }
  void RemoveResident(const std::string& rydjxh) {
    sim_.WithState([&](taxsim::State& s) {
      for (auto& it : s.items)
        if (it.rydjxh == rydjxh) it.yxbz = "N";
    });
  }
  size_t Registered() {
    return sim_.WithState([](taxsim::State& s) {
      size_t n = 0;
      auto [first, last] = s.PersonsOf(kPayer);
      for (auto* p = first; p != last; ++p) {
        bool valid = false;
        for (const auto& it : s.items) valid = valid || (it.rydjxh == p->rydjxh && it.yxbz != "N");
        n += valid;
      }
      return n;
    });
  }
  int Lines(const std::string& rydjxh) {
    return Count("select count(*) from ds_ybgrzh_cxjmcbdjxx where rydjxh = '" + rydjxh + "'");
  }
  int ResidentsStored() { return Count("select count(*) from ds_ybgrzh_cxjmdjxx"); }
  static std::string Now() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
  }
  size_t CallsOf(const std::string& code) {
    size_t n = 0;
    for (const auto& c : sim_.RecentCalls()) n += c.serviceCode == code;
    return n;
  }
  std::vector<taxsim::SeenCall> Calls(const std::string& code) {
    std::vector<taxsim::SeenCall> out;
    for (const auto& c : sim_.RecentCalls())
      if (c.serviceCode == code) out.push_back(c);
    return out;
  }

  Ref<IYbgrzhdj> svc_yb;
};

TEST_F(MedicalAccounts, EveryInsuredLineOfAResidentIsKept) {
  Scheme();
  const std::string three = Resident(0).rydjxh;
  AddLines(three, 3 - static_cast<int>(SimItemsOf(three).size()));
  ASSERT_EQ(Download(false), static_cast<int32_t>(Registered()));
  EXPECT_EQ(Lines(three), 3) << "three insured lines stay three";
  EXPECT_EQ(Count("select count(distinct xzlxDm) from ds_ybgrzh_cxjmcbdjxx where rydjxh = '" + three + "'"), 3);
  EXPECT_EQ(ResidentsStored(), static_cast<int>(Registered()));
  EXPECT_EQ(Scalar("select xm from ds_ybgrzh_cxjmdjxx where rydjxh = '" + three + "'"), Resident(0).xm);

  // One layout: the count, then the pages, each naming the office and the window.
  const auto calls = Calls("0187");
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_NE(calls[0].documentText.find("<sftj>Y</sftj>"), std::string::npos) << calls[0].documentText;
  EXPECT_NE(calls[1].documentText.find("<sftj>N</sftj>"), std::string::npos);
  EXPECT_NE(calls[1].documentText.find("<pagenum>1</pagenum>"), std::string::npos);
  EXPECT_NE(calls[1].documentText.find("<zgswjgDm>" + Office() + "</zgswjgDm>"), std::string::npos);
  EXPECT_FALSE(Param("ybgrzh_ryxx_gxsj").empty());
  EXPECT_FALSE(Param("ybgrzh_ryxx_gxsjq_" + Office()).empty());

  // A second download neither doubles residents nor lines.
  Download(false);
  EXPECT_EQ(Lines(three), 3);
  EXPECT_EQ(ResidentsStored(), static_cast<int>(Registered()));
}

TEST_F(MedicalAccounts, AFullDownloadSweepsRemovedResidentsAnIncrementalOneAsksOnlyTheWindow) {
  Scheme();
  Download(false);
  const int before = ResidentsStored();
  const std::string gone = Resident(1).rydjxh;
  ASSERT_GT(Lines(gone), 0);
  RemoveResident(gone);

  // Nothing changed since the last window: the incremental download brings nothing and keeps all.
  EXPECT_EQ(Download(true), 0);
  EXPECT_EQ(ResidentsStored(), before);
  EXPECT_NE(Calls("0187").back().documentText.find("<gxsjq>2"), std::string::npos)
      << "the office's last window\n" << Calls("0187").back().documentText;

  // A resident changed now falls into the next window, with its new line.
  const std::string changed = Resident(2).rydjxh;
  const int lines = Lines(changed);
  AddLines(changed, 1);
  sim_.WithState([&](taxsim::State& s) { s.residents["ybgrzh_gxsj"][changed] = Now(); });
  EXPECT_EQ(Download(true), 1);
  EXPECT_EQ(Lines(changed), lines + 1);
  EXPECT_GT(Lines(gone), 0) << "an incremental download removes nothing";

  EXPECT_EQ(Download(false), before - 1);
  EXPECT_EQ(ResidentsStored(), before - 1);
  EXPECT_EQ(Lines(gone), 0);
  EXPECT_EQ(Count("select count(*) from ds_ybgrzh_cxjmdjxx where rydjxh = '" + gone + "'"), 0);
}

TEST_F(MedicalAccounts, FailuresStoreNothing) {
  EXPECT_EQ(DownloadFails(false), "人员参保信息处理失败：未获取到虚拟户的主管税务机关，请先下载虚拟户信息。");
  Scheme();
  Download(false);
  const int before = ResidentsStored();
  RemoveResident(Resident(0).rydjxh);

  // Not answered yet: asked again.
  Fault(R"({"kind":"refuse","serviceCode":"0187","code":"10042","count":1})");
  EXPECT_EQ(Download(false), before - 1);
  AddLines(Resident(3).rydjxh, 1);
  const int lines = Lines(Resident(3).rydjxh);
  Fault(R"({"kind":"refuse","serviceCode":"0187","code":"10042","count":-1})");
  EXPECT_EQ(DownloadFails(false), "人员参保信息处理失败：服务器仍在处理，请稍后再试。");
  sim_.Faults().Clear();
  // The page fails after the count: nothing of the download is stored.
  RemoveResident(Resident(4).rydjxh);
  Fault(R"({"kind":"drop-list","serviceCode":"0187","list":"cxjmDjxxList","count":-1})");
  EXPECT_EQ(DownloadFails(false), "人员参保信息处理失败：反馈报文缺少<cxjmDjxxList>节点。");
  sim_.Faults().Clear();
  Fault(R"({"kind":"code","serviceCode":"0187","code":"30001","message":"查询失败"})");
  EXPECT_EQ(DownloadFails(false), "人员参保信息处理失败：【30001】查询失败");
  EXPECT_EQ(ResidentsStored(), before - 1);
  EXPECT_EQ(Lines(Resident(3).rydjxh), lines);
  EXPECT_NE(env_->LogText().find("[异常]TYbgrzhdjcxjmxxCx.doUpdate：["), std::string::npos);
}

TEST_F(MedicalAccounts, LocalListsFilterPageAndDelete) {
  Scheme();
  const int total = static_cast<int>(Download(false));
  const int lines = Count("select count(*) from ds_ybgrzh_cxjmcbdjxx");
  Ref<IJfdjQueryCondition> qc = svc_yb->NewCxjmSbxxQc();
  EXPECT_EQ(svc_yb->getCxjmSbxxCount(qc.get()), lines);
  EXPECT_GE(lines, total);

  const taxsim::Person p = Resident(0);
  qc->SetXm(p.xm.substr(0, 3));
  qc->SetZjhm(p.zjhm.substr(2, 6));
  Ref<IJfdjItems> mine;
  ASSERT_TRUE(svc_yb->getCxjmSbxxItems(qc.get(), mine)) << svc_yb->GetErrorMessage();
  ASSERT_GE(mine->GetCount(), 1);
  EXPECT_EQ(mine->GetRecord(0)->Get("sfzjhm"), p.zjhm);
  EXPECT_EQ(mine->GetRecord(0)->Get("rydjxh"), p.rydjxh);

  const std::string year = SimItemsOf(p.rydjxh).front().jfnd;
  qc->ResetCondition();
  ASSERT_TRUE(qc->SetField("djnd", year));
  EXPECT_GT(svc_yb->getCxjmSbxxCount(qc.get()), 0);
  ASSERT_TRUE(qc->SetField("djnd", year + "') or ('1'='1"));
  EXPECT_EQ(svc_yb->getCxjmSbxxCount(qc.get()), 0) << "the year is a quoted value";
  qc->ResetCondition();
  qc->SetPageNo(1);
  qc->SetPageSize(2);
  Ref<IJfdjItems> page;
  ASSERT_TRUE(svc_yb->getCxjmSbxxItems(qc.get(), page));
  EXPECT_EQ(page->GetCount(), 2);

  std::vector<std::string> types;
  ASSERT_TRUE(svc_yb->getSbxzlxItems(types));
  EXPECT_FALSE(types.empty());
  ASSERT_TRUE(dao_->ExecSQL("insert into sb_pmlxb (zspmdm, pmlx) values ('101', 'A'), ('102', 'A'), ('201', 'B')"));
  std::vector<std::string> zspm;
  ASSERT_TRUE(svc_yb->getZspmItems("A", zspm));
  EXPECT_EQ(zspm.size(), 2u);
  std::string pmlx;
  ASSERT_TRUE(svc_yb->getPmlx("201", pmlx));
  EXPECT_EQ(pmlx, "B");
  ASSERT_TRUE(svc_yb->getPmlx("999", pmlx));
  EXPECT_EQ(pmlx, "");

  const int64_t a = page->GetRecord(0)->GetId(), b = page->GetRecord(1)->GetId();
  ASSERT_TRUE(svc_yb->delCxjmSbxxItems({a, b})) << svc_yb->GetErrorMessage();
  EXPECT_EQ(Count("select count(*) from ds_ybgrzh_cxjmcbdjxx"), lines - 2);
  EXPECT_FALSE(svc_yb->delCxjmSbxxItems({}));
  EXPECT_EQ(svc_yb->GetErrorMessage(), "没有需要删除的记录。");
}

TEST_F(MedicalAccounts, RelationshipsAreMaintainedLineByLine) {
  Ref<IJfdjItems> links;
  ASSERT_TRUE(svc_yb->synYbgrzhdjgxxxCx(nullptr, links)) << svc_yb->GetErrorMessage();
  EXPECT_EQ(links->GetCount(), 0) << "\"20093\": no relationship yet";

  const taxsim::Item item = SimItemsOf(Resident(0).rydjxh).front();
  Ref<IJfdjItems> entries = svc_yb->NewCxjmDjxxItems();
  auto entry = [&](const std::string& rybh, const std::string& czlx, const std::string& qsgx) {
    Ref<IJfdjItem> e = svc_yb->NewCxjmDjxxItem();
    e->Set("czlx", czlx);
    e->Set("djxh", item.rydjxh);
    e->Set("qsgx", qsgx);
    e->Set("djnd", item.jfnd);
    e->Set("sbjbjgDm", item.sbjbjgDm);
    e->Set("rybh", rybh);
    e->Set("xzlxDm", item.xzlxDm);
    e->Set("yjfe", "380.00");
    entries->Add(e.get());
    return e;
  };
  Ref<IJfdjItem> good = entry(item.rybh, "1", "01");
  Ref<IJfdjItem> unknown = entry("NO-SUCH", "1", "01");
  ASSERT_TRUE(svc_yb->synYbgrzhdjgxwh(entries.get(), nullptr)) << svc_yb->GetErrorMessage();
  EXPECT_EQ(good->Get("djmxxh"), "1");
  EXPECT_EQ(good->Get("code"), "00000");
  EXPECT_EQ(unknown->Get("code"), "30188");
  EXPECT_EQ(unknown->Get("message"), "人员编号不存在");
  EXPECT_NE(Calls("0188").back().documentText.find("<SbfCxjmDjxxDTO>"), std::string::npos);

  ASSERT_TRUE(svc_yb->synYbgrzhdjgxxxCx(nullptr, links));
  ASSERT_EQ(links->GetCount(), 1);
  EXPECT_EQ(links->GetRecord(0)->Get("qsgx"), "01");
  EXPECT_EQ(links->GetRecord(0)->Get("rybh"), item.rybh);

  entries = svc_yb->NewCxjmDjxxItems();
  EXPECT_FALSE(svc_yb->synYbgrzhdjgxwh(entries.get(), nullptr));
  EXPECT_EQ(svc_yb->GetErrorMessage(), "没有需要提交的登记关系。");
  entry(item.rybh, "2", "01");
  Fault(R"({"kind":"code","serviceCode":"0188","code":"30001","message":"系统维护"})");
  EXPECT_FALSE(svc_yb->synYbgrzhdjgxwh(entries.get(), nullptr));
  EXPECT_EQ(svc_yb->GetErrorMessage(), "【30001】系统维护");
  EXPECT_NE(env_->LogText().find("[TYbgrzhdj.synYbgrzhdjgxwh]异常："), std::string::npos);
  ASSERT_TRUE(svc_yb->synYbgrzhdjgxwh(entries.get(), nullptr));
  ASSERT_TRUE(svc_yb->synYbgrzhdjgxxxCx(nullptr, links));
  EXPECT_EQ(links->GetCount(), 0);

  Fault(R"({"kind":"code","serviceCode":"0186","code":"30001","message":"系统维护"})");
  EXPECT_FALSE(svc_yb->synYbgrzhdjgxxxCx(nullptr, links));
  EXPECT_EQ(svc_yb->GetErrorMessage(), "【30001】系统维护");
  EXPECT_FALSE(svc_yb->synYbgrzhdjgxwh(nullptr, nullptr));
  EXPECT_EQ(svc_yb->GetErrorMessage(), "参数不是TCxjmDjxxItems对象。");
}

}  // namespace
}  // namespace velmor::testing
