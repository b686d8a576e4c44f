// The roster rows the demo's declaration reads through the store's query service, against the
// update view of the employee service: on a roster downloaded from the simulator, with items and
// enrolments made invalid, months in and out of the items' fee months, the two give the same
// declaration text; payer and month values with quotes stay values.
#include "cli/declaration_rows.h"

#include <map>
#include <stdexcept>

#include "cli/roster_declaration.h"
#include "scheme_fixture.h"

namespace velmor::testing {
namespace {

class DeclarationRows : public SchemeFixture {
 protected:
  // The declaration from each listing's text, or the failure's text when it refuses.
  std::string Declared(const std::string& rows) {
    try {
      return cli::DeclarationFromRosterText(rows, amounts_, "S1", 2026).text;
    } catch (const std::invalid_argument& e) {
      return std::string("refused: ") + e.what();
    }
  }
  std::string FromUpdateView(const std::string& month) {
    RyUpdateFilter filter;
    filter.month = month;
    return Declared(svc_->getUpdateData(kPayer, filter, -1, 0));
  }
  std::string FromNarrowRows(const std::string& month) {
    return Declared(dao_->getData(cli::DeclarationRowsSql(kPayer, month)));
  }
  // Every other item assessed (the rest keep their own amount, if any).
  void Assess() {
    int k = 0;
    for (const auto& row : nlohmann::json::parse(dao_->getData("select xzid from sb_rycbxmb order by id")))
      if (k++ % 2 == 0) amounts_[row["xzid"].get<std::string>()] = 100 + k;
  }
  std::map<std::string, double> amounts_;
};

TEST_F(DeclarationRows, GiveTheDeclarationOfTheUpdateView) {
  FullSync();
  Assess();
  // Persons whose items or enrolments are no longer valid, and an item of fewer months.
  ASSERT_TRUE(
      dao_->ExecSQL("update sb_rycbxmb set yxbz = 'N' where id in (select id from sb_rycbxmb order by id "
                    "limit 3)"));
  ASSERT_TRUE(dao_->ExecSQL("update sb_rycbjgxxb set yxbz = 'N' where id = (select max(id) from sb_rycbjgxxb)"));
  ASSERT_TRUE(
      dao_->ExecSQL("update sb_rycbxmb set ksjfyf = '2026-03', tzjfyf = '2026-05' where id = (select id "
                    "from sb_rycbxmb order by id limit 1 offset 4)"));  // an assessed item
  for (const std::string month : {"", "2026-04", "2026-06"}) {
    const std::string narrow = FromNarrowRows(month);
    EXPECT_EQ(narrow.rfind("refused", 0), std::string::npos) << month << ": " << narrow;
    EXPECT_EQ(narrow, FromUpdateView(month)) << month;
  }
  EXPECT_NE(FromNarrowRows("2026-04"), FromNarrowRows("2026-06")) << "the item of three months is in one only";
  EXPECT_EQ(FromNarrowRows("1990-01"), "refused: 花名册中没有应申报的参保项目");
  EXPECT_EQ(FromNarrowRows("1990-01"), FromUpdateView("1990-01"));
}

TEST_F(DeclarationRows, QuotesInThePayerAndTheMonthStayValues) {
  const std::string payer = "P'1";
  ASSERT_TRUE(
      dao_->ExecSQL("insert into sb_ryjbxxb (djxh, rydjxh, xm, zjlx, zjhm, fzid) values ('P''1', 'R1', "
                    "'张''三', '201', '110101199001010011', -1)"));
  ASSERT_TRUE(
      dao_->ExecSQL("insert into sb_rycbjgxxb (djxh, rydjxh, sbjbjgdm, rybh, yxbz) values ('P''1', 'R1', "
                    "'A', 'B', 'Y')"));
  ASSERT_TRUE(
      dao_->ExecSQL("insert into sb_rycbxmb (djxh, rydjxh, sbjbjgdm, rybh, xzid, zspmdm, yxbz, ksjfyf, "
                    "tzjfyf, yjfe) values ('P''1', 'R1', 'A', 'B', 'X1', '102101000', 'Y', '2026-01', "
                    "'2026-12', '300')"));
  const nlohmann::json rows = nlohmann::json::parse(dao_->getData(cli::DeclarationRowsSql(payer, "2026-02")));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0]["xm"], "张'三");
  EXPECT_EQ(rows[0]["xzid"], "X1");
  EXPECT_EQ(nlohmann::json::parse(dao_->getData(cli::DeclarationRowsSql(payer, "2026-0'2"))).size(), 0u)
      << "a month with a quote matches nothing and breaks nothing";
  EXPECT_EQ(nlohmann::json::parse(dao_->getData(cli::DeclarationRowsSql("P", ""))).size(), 0u);
}

}  // namespace
}  // namespace velmor::testing
