// The pure parts of the residents' services: the "0160" answer as the scheme account, the
// statements of the registration's reads and of the street changes, and the record families.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "residents/cxjmjfdjxxgl.h"
#include "residents/jdczbg_dao.h"
#include "residents/jfdj_store.h"

namespace velmor {
namespace {

TEST(JfdjAccount, ClosedOfficesLeftOutEntriesGroupedIntoUnits) {
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(R"(<cxjmXnhJbxxList>
      <cxjmXnhJbxxDTO><zgswjgDm>S1</zgswjgDm><jfrztDm>03</jfrztDm><cxjmxnhJfDjxxList>
        <cxjmxnhJfDjxxDTO><sbjbjgDm>A</sbjbjgDm><zzbh>U1</zzbh><dsXzqhDm>R</dsXzqhDm><lxr2>L</lxr2>
          <xzlxDm>110</xzlxDm><dsSqczDm>null</dsSqczDm><dsJdszDm>J</dsJdszDm><sshydlDm>H</sshydlDm></cxjmxnhJfDjxxDTO>
        <cxjmxnhJfDjxxDTO><sbjbjgDm>A</sbjbjgDm><zzbh>U1</zzbh><xzlxDm>310</xzlxDm><dsSqczDm>Q</dsSqczDm></cxjmxnhJfDjxxDTO>
        <cxjmxnhJfDjxxDTO><sbjbjgDm>A</sbjbjgDm><zzbh>U2</zzbh><xzlxDm>410</xzlxDm></cxjmxnhJfDjxxDTO>
      </cxjmxnhJfDjxxList></cxjmXnhJbxxDTO>
      <cxjmXnhJbxxDTO><zgswjgDm>S9</zgswjgDm><jfrztDm>07</jfrztDm><cxjmxnhJfDjxxList>
        <cxjmxnhJfDjxxDTO><sbjbjgDm>A</sbjbjgDm><zzbh>U9</zzbh></cxjmxnhJfDjxxDTO></cxjmxnhJfDjxxList></cxjmXnhJbxxDTO>
    </cxjmXnhJbxxList>)"));
  std::vector<XnhJbxx> offices = ParseJfdjAccount(doc.document_element());
  ASSERT_EQ(offices.size(), 1u) << "the closed office is left out";
  ASSERT_EQ(offices[0].units.size(), 2u);
  const XnhCbjg& u1 = offices[0].units[0];
  EXPECT_EQ(u1.dwbh, "U1");
  EXPECT_EQ(u1.yxbz, "Y");
  EXPECT_EQ(u1.xzqhdm, "R");
  EXPECT_EQ(u1.lxrxm, "L");
  EXPECT_EQ(u1.sshydlDm, "H");
  ASSERT_EQ(u1.items.size(), 2u);
  EXPECT_EQ(u1.items[0].sqhczdm, "") << "\"null\" is no community";
  EXPECT_EQ(u1.items[0].xzjddm, "J");
  EXPECT_EQ(u1.items[0].dsXzqhDm, "R");
  EXPECT_EQ(u1.items[1].sqhczdm, "Q");
  EXPECT_EQ(offices[0].units[1].items.size(), 1u);
}

TEST(JfdjReads, EveryReadIsScopedToThePayerAndQuotesItsValues) {
  Ref<IJfdjQueryCondition> qc = NewJfdjCondition(kJfdjRyFamily);
  qc->SetXm("O'Neil");
  qc->SetZjlxDm("201");
  EXPECT_EQ(jfdj::CountSql(kJfdjRyFamily, "D1", qc.get()),
            " select count(1) as zs from ds_jfdjryb where djxh = 'D1'  and xm like '%O''Neil%' escape '\\' and "
            "zjlxDm = '201' ");
  EXPECT_EQ(jfdj::PageSql(kJfdjRyFamily, "D'1", nullptr, 2, 10),
            " select * from ds_jfdjryb where djxh = 'D''1'   order by id desc  limit 10, 10 ");
  for (const JfdjFamily* lines : {&kJfdjXzFamily, &kJfdjjlXzFamily}) {
    const std::string sql = jfdj::PageSql(*lines, "D1", nullptr, -1, 0);
    EXPECT_NE(sql.find("djxh = 'D1'"), std::string::npos) << sql;
  }
  Ref<IJfdjQueryCondition> result = NewJfdjCondition(kJfdjjlRyFamily);
  result->SetField("jgbz", "2");
  EXPECT_NE(jfdj::CountSql(kJfdjjlRyFamily, "D1", result.get())
                .find(" and code <> '00000' and code <> '' and code is not null "),
            std::string::npos);
  result->SetField("zbid", "7; drop table x");
  EXPECT_THROW(jfdj::CountSql(kJfdjjlRyFamily, "D1", result.get()), service::OpRefusal);
  EXPECT_NE(jfdj::PageSql(kRyjbxxFamily, "D1", nullptr, -1, 0).find("select a.*, b.fullname"), std::string::npos)
      << "the group's id must not hide the person's";
}

TEST(JfdjRecords, ColumnsOfTheFamilyOnly) {
  Ref<IJfdjItem> r = NewJfdjRecord(kJfdjXzFamily);
  EXPECT_TRUE(r->Set("xzlxDm", "110"));
  EXPECT_FALSE(r->Set("xm", "A")) << "a person's column on a line";
  EXPECT_EQ(r->Get("xm"), "");
  EXPECT_EQ(r->GetId(), 0);
  r->SetId(12);
  EXPECT_EQ(r->Get("id"), "12");
  auto* record = dynamic_cast<TJfdjRecord*>(r.get());
  ASSERT_NE(record, nullptr);
  record->FromRow(nlohmann::ordered_json{{"XZLXDM", "310"}, {"other", "x"}, {"jfbz", "380.5"}});
  EXPECT_EQ(r->Get("xzlxDm"), "310") << "columns match without regard to case";
  EXPECT_EQ(r->Get("jfbz"), "380.5");
  EXPECT_THROW(RequireRecord(r.get(), kJfdjRyFamily), service::OpRefusal);
  EXPECT_THROW(RequireRecord(nullptr, kJfdjXzFamily), service::OpRefusal);
}

TEST(JdczbgStatements, FreeTextIsQuotedAndFiltersKeepTheirOrder) {
  JdczbgEntity e;
  e.djxh = "D1";
  e.xm = "O'Brien";
  e.lxdz = "路'1";
  e.sjlx = kJdczbgDownloaded;
  const std::string sql = JdczbgInsertSql(e);
  EXPECT_NE(sql.find("'O''Brien'"), std::string::npos) << sql;
  EXPECT_NE(sql.find("'路''1'"), std::string::npos) << sql;
  EXPECT_NE(sql.find(",1,''"), std::string::npos) << "sjlx then hh: " << sql;
  JdczbgFilter f;
  f.sjlx = 1;
  f.xzjddm = "X";
  f.bgsjz = "2025-03-31";
  EXPECT_EQ(JdczbgConditions(f).str(),
            " and sjlx = 1  and xzjddm = 'X' and substr(bgsj,1,10) <= '2025-03-31'");
}

}  // namespace
}  // namespace velmor
