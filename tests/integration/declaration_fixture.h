// The fixture of the daily-declaration integration tests: the simulator on loopback, then the
// reference host with the real plug-in loaded through its exports, a temporary SQLite file, and
// the declaration manager and store created from the classes the plug-in registered.
#pragma once

#include <gtest/gtest.h>
#include <zip.h>

#include <nlohmann/json.hpp>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/db/database.h"
#include "host/db/fault_injection.h"
#include "support/host_fixture.h"
#include "taxsim/faults.h"
#include "taxsim/simulator.h"
#include "velmor/db_dataset.h"
#include "velmor/db_field.h"
#include "velmor/db_fields.h"
#include "velmor/rcsb_dao.h"
#include "velmor/rcsb_mgr.h"
#include "velmor/sys_param.h"

namespace velmor::testing {

using Json = nlohmann::ordered_json;
using host::db::FaultInjection;

struct Server {
  Server() { sim.Start(); }
  taxsim::Simulator sim;
};

// Simulator first (its address goes into the host's configuration), then host and plug-in; the
// service objects are released before the plug-in is unloaded.
class DeclarationFlow : public ::testing::Test, public Server {
 protected:
  explicit DeclarationFlow(const std::string& moreConfig = "")
      : env_("[server]\nurl = " + sim.Url() + "\n[portal]\ndjxh = 10011\n" + moreConfig) {
    mgr_ = env_.plugin().CreateService<IRcsbMgr>();
    dao_ = env_.plugin().CreateService<IRcsbDAO>();
  }
  ~DeclarationFlow() override {
    FaultInjection::Clear();
    mgr_ = nullptr;
    dao_ = nullptr;
  }

  // The first column of every row, read on a connection of the test's own.
  std::vector<std::string> Column(const std::string& sql) {
    std::string error;
    Ref<IDBMechanism> db = host::db::OpenDatabase(env_.dataDir() + "/velmor.db", "test", &error);
    if (!db) return {"<open: " + error + ">"};
    Ref<IDBDataSet> ds;
    if (!db->OpenQuery(sql, ds)) return {"<error: " + db->GetErrorText() + ">"};
    std::vector<std::string> out;
    for (; !ds->Eof(); ds->Next()) out.push_back(ds->Fields()->FieldByIndex(0)->AsString());
    return out;
  }
  std::string Get(const std::string& sql) {
    auto v = Column(sql);
    return v.empty() ? "<none>" : v.front();
  }
  void Exec(const std::string& sql) {
    std::string error;
    Ref<IDBMechanism> db = host::db::OpenDatabase(env_.dataDir() + "/velmor.db", "test", &error);
    ASSERT_TRUE(db && db->ExecSQL(sql)) << error;
  }
  // "sbzt|yzpzxh|sbyy|jkzt" of a master.
  std::string Master(int32_t id) {
    return Get("select sbzt || '|' || ifnull(yzpzxh, '') || '|' || ifnull(sbyy, '') || '|' || ifnull(jkzt, '') "
               "from ds_sbzb where id = " + std::to_string(id));
  }
  // The newest master's id (0 for none).
  int32_t LastId() { return std::atoi(Get("select ifnull(max(id), 0) from ds_sbzb").c_str()); }
  std::string Counts() {
    return Get("select (select count(*) from ds_sbzb) || '/' || (select count(*) from ds_sbmxb) || '/' || "
               "(select count(*) from ds_sbrymxb)");
  }
  int32_t Send(const Json& sb, int32_t expectedState) {
    int32_t id = 0, state = -1;
    std::string error;
    EXPECT_TRUE(mgr_->SbSend(sb.dump(), nullptr, id, state, error)) << error;
    EXPECT_EQ(state, expectedState);
    return id;
  }
  std::string LastCode() { return sim.RecentCalls().back().serviceCode; }
  std::string LastDocument() { return sim.RecentCalls().back().documentText; }
  void Pay(const std::string& yzpzxh, double paid) {
    sim.WithState([&](taxsim::State& s) {
      for (auto& d : s.declarations) {
        if (d.value("yzpzxh", "") == yzpzxh) d["paid"] = paid;
      }
      return 0;
    });
  }

  static Json Person(const std::string& mxxh, const std::string& pmlx, const std::string& sbbm,
                     const std::string& jhsx, double jfje, double sjyjfe) {
    return {{"mxxh", mxxh},     {"xm", "张三"},          {"zjlx", "201"},     {"zjhm", "110101199001010011"},
            {"cxjmsbbm", sbbm}, {"rybh", sbbm},          {"jhsx", jhsx},      {"sbjbjgdm", "A01"},
            {"jfnd", "2026"},   {"zsxmdm", "10210"},     {"zspmdm", "102100100"}, {"zszmdm", "1"},
            {"pmlx", pmlx},     {"jfje", jfje},          {"sjyjfe", sjyjfe},  {"yjfje", jfje},
            {"ybtfe", jfje}};
  }
  static Json Declaration(const std::string& jhsx = "", const std::string& secondSbbm = "R2", double zje = 630) {
    return {{"swjgdm", "14401"}, {"sblx", "00"}, {"zrs", 2}, {"zje", zje}, {"yjfjeHj", zje}, {"ybtfeHJ", zje},
            {"details",
             {{{"zrs", 2}, {"zje", zje}, {"jfnd", "2026"}, {"zsxmdm", "10210"}, {"zspmdm", "102100100"},
               {"sjly", "00"}, {"fkssqq", "2026-01-01"}, {"fkssqz", "2026-12-31"}, {"sfyrymx", 1},
               {"persons",
                {Person("1", "00", "R1", jhsx, 380, 250), Person("2", "01", secondSbbm, jhsx, 380, 380)}}}}}};
  }

  LoadedPlugin env_;
  Ref<IRcsbMgr> mgr_;
  Ref<IRcsbDAO> dao_;
};


// All text of the XML parts of an XLSX file.
inline std::string XlsxText(const std::string& path) {
  int err = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, &err);
  if (!z) return "<not a zip>";
  std::string all;
  for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
    zip_file_t* f = zip_fopen_index(z, i, 0);
    if (!f) continue;
    char buf[4096];
    for (zip_int64_t n; (n = zip_fread(f, buf, sizeof buf)) > 0;) all.append(buf, static_cast<size_t>(n));
    zip_fclose(f);
  }
  zip_close(z);
  return all;
}

}  // namespace velmor::testing
