// The storing of one answered batch of the declaration-state query on the host's real database.
#include <gtest/gtest.h>

#include "business/date_time.h"
#include "residents/sbzt_query_service.h"
#include "store/store_env.h"

namespace velmor::testing {
namespace {

class SbztStoreBatch : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = env_.Db();
    // Lines 1 and 2 are one item on two local lines (a person enrolled twice), 3 and 4 others.
    ASSERT_TRUE(
        db_->ExecSQL("insert into sb_rycbxmb (id, djxh, xzid, sbzt) values (1, 'D1', 'x1', 5), "
                     "(2, 'D1', 'x1', 5), (3, 'D1', 'x3', 5), (4, 'D1', 'x4', 5), (5, 'D1', 'x5', 5)"));
  }
  std::string States() {
    return Scalar(*db_,
                  "select group_concat(id || ':' || sbzt || ':' || ifnull(jfnd, '-'), ' ') "
                  "from (select * from sb_rycbxmb order by id)");
  }

  StoreEnv env_;
  Ref<IDBMechanism> db_;
  const std::vector<sbzt::Line> batch_ = {{"x1", "1"}, {"x1", "2"}, {"x3", "3"}, {"x4", "4"}};
};

TEST_F(SbztStoreBatch, EveryLineOfAnAnsweredItemTakesItsStateAndTheOthersAreNotDeclared) {
  // x1 answered twice (the last state stands), x3 declared, x4 left out, x9 not in the batch.
  const int32_t n =
      sbzt::StoreBatch(*db_, "D1", "2026", batch_, {{"x1", "N"}, {"x3", "Y"}, {"x9", "Y"}, {"x1", "Y"}}, true);
  EXPECT_EQ(n, 3);  // lines 1, 2 and 3, each counted once
  EXPECT_EQ(States(), "1:1:2026 2:1:2026 3:1:2026 4:0:2026 5:5:-");
  EXPECT_EQ(Scalar(*db_, "select count(*) from sb_rycbxmb where xzsj = '" + Today() + "'"), "4");
}

TEST_F(SbztStoreBatch, WithoutMarkingTheLinesLeftOutKeepTheirState) {
  EXPECT_EQ(sbzt::StoreBatch(*db_, "D1", "2026", std::span(batch_).subspan(2), {{"x3", "N"}, {"x1", "Y"}}, false), 1);
  EXPECT_EQ(States(), "1:5:- 2:5:- 3:0:2026 4:5:- 5:5:-");
}

}  // namespace
}  // namespace velmor::testing
