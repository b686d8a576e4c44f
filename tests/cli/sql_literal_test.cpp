// The command line's SQL literals: a quote inside the value cannot end the literal.
#include "cli/sql_literal.h"

#include <gtest/gtest.h>

namespace velmor::cli {
namespace {

TEST(SqlLiteral, QuotesTheValueAndDoublesEachQuoteInside) {
  EXPECT_EQ(SqlLiteral("10000000000000000001"), "'10000000000000000001'");
  EXPECT_EQ(SqlLiteral(""), "''");
  EXPECT_EQ(SqlLiteral("1' or '1'='1"), "'1'' or ''1''=''1'");
  EXPECT_EQ(SqlLiteral("''"), "''''''");
  EXPECT_EQ(SqlLiteral("张三'"), "'张三'''");
}

}  // namespace
}  // namespace velmor::cli
