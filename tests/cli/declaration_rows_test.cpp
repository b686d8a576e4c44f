// The roster rows the demo's declaration reads through the store's query service, against the
// update view of the employee service: on a roster downloaded from the simulator, with items and
// enrolments made invalid, months in and out of the items' fee months, the two give the same
// declaration text; payer and month values with quotes stay values. Read a page of persons at a
// time, they give the whole listing's rows and declaration.
#include "cli/declaration_rows.h"

#include <map>
#include <stdexcept>
#include <vector>

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

// Read a page of persons at a time, whatever the page's size (one person, a few, more than the
// roster), the rows and the declaration are those of the whole listing, refusals included.
TEST_F(DeclarationRows, PagesGiveTheWholeListingsRowsAndDeclaration) {
  FullSync();
  Assess();
  ASSERT_TRUE(
      dao_->ExecSQL("update sb_rycbxmb set yxbz = 'N' where id in (select id from sb_rycbxmb order by id "
                    "limit 3)"));
  ASSERT_TRUE(
      dao_->ExecSQL("update sb_rycbxmb set ksjfyf = '2026-03', tzjfyf = '2026-05' where id = (select id "
                    "from sb_rycbxmb order by id limit 1 offset 4)"));
  auto paged = [&](const std::string& month, int64_t pagePersons, nlohmann::json* rows) {
    try {
      return cli::DeclarationFromStore(
                 *dao_, kPayer, month, amounts_, "S1", 2026,
                 [&](std::string_view page) {
                   for (auto& row : nlohmann::json::parse(page)) rows->push_back(row);
                 },
                 pagePersons)
          .text;
    } catch (const std::invalid_argument& e) {
      return std::string("refused: ") + e.what();
    }
  };
  for (const std::string month : {"", "2026-04", "1990-01"}) {
    const std::string whole = FromNarrowRows(month);
    const nlohmann::json wholeRows = nlohmann::json::parse(dao_->getData(cli::DeclarationRowsSql(kPayer, month)));
    for (const int64_t pagePersons : {1, 3, 7, 1000}) {
      nlohmann::json rows = nlohmann::json::array();
      EXPECT_EQ(paged(month, pagePersons, &rows), whole) << month << " / " << pagePersons;
      EXPECT_EQ(rows, wholeRows) << month << " / " << pagePersons;
    }
  }
  nlohmann::json none = nlohmann::json::array();
  EXPECT_EQ(cli::DeclarationFromStore(*dao_, kPayer, "2026-04", amounts_, "S1", 2026, {}).text,
            FromNarrowRows("2026-04"))
      << "pages of the default size";
  try {
    cli::DeclarationFromStore(*dao_, "P", "", amounts_, "S1", 2026, [&](std::string_view) { none.push_back(1); });
    ADD_FAILURE() << "a payer without persons declares nothing";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "花名册中没有应申报的参保项目");
  }
  EXPECT_TRUE(none.empty()) << "no id range: the whole listing, no pages";
}

// A page the row reader does not take leaves the builder unusable: the caller reads the whole
// listing instead. A good page then another builds what the whole text builds.
TEST(RosterDeclarationBuilder, BuildsFromPagesAndRefusesOtherShapes) {
  const std::string row1 =
      R"({"rydjxh":"R1","xm":"甲","zjlx":"201","zjhm":"1","sbjbjgdm":"A","rybh":"B","cbjgyxbz":"Y","xzid":"X1",)"
      R"("zsxmdm":"1","zspmdm":"2","zszmdm":"3","xzjddm":"","sqhczdm":"","xmyxbz":"Y","pmlx":"","yjfe":"300"})";
  const std::string row2 =
      R"({"rydjxh":"R2","xm":"乙","zjlx":"201","zjhm":"2","sbjbjgdm":"A","rybh":"C","cbjgyxbz":"Y","xzid":"X2",)"
      R"("zsxmdm":"1","zspmdm":"2","zszmdm":"3","xzjddm":"","sqhczdm":"","xmyxbz":"Y","pmlx":"","yjfe":"200"})";
  const std::map<std::string, double> amounts{{"X2", 250}};
  cli::RosterDeclarationBuilder builder(amounts, 2026);
  ASSERT_TRUE(builder.AddPage("[" + row1 + "]"));
  ASSERT_TRUE(builder.AddPage("[]"));
  ASSERT_TRUE(builder.AddPage("[" + row2 + "]"));
  EXPECT_EQ(builder.Finish("S1").text,
            cli::DeclarationFromRosterText("[" + row1 + "," + row2 + "]", amounts, "S1", 2026).text);
  for (const std::string& other : std::vector<std::string>{"{}", "[1]", "[" + row1 + ",", "not json"}) {
    cli::RosterDeclarationBuilder refused(amounts, 2026);
    EXPECT_FALSE(refused.AddPage(other)) << other;
  }
  cli::RosterDeclarationBuilder empty(amounts, 2026);
  ASSERT_TRUE(empty.AddPage("[]"));
  EXPECT_THROW(empty.Finish("S1"), std::invalid_argument);
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
