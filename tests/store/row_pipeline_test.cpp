// Rows made on a worker and stored by the caller: every emitted row arrives, in order, on the
// calling thread; a row never emitted is not stored; a failure on either side comes out on the
// caller, after the rows before it, and leaves nothing running on the worker.
#include "store/row_pipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace velmor::testing {
namespace {

std::string TextOf(const BoundValues& v, size_t i) {
  const DBValue& d = v.Values()[i];
  return d.kind == DBValue::Kind::kInteger ? std::to_string(d.integer) : std::string(d.text);
}

void EmitNumbers(RowOut& out, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    out.Row().Int(static_cast<int64_t>(i)).Text("row " + std::to_string(i));
    out.Emit();
  }
}

TEST(RowPipeline, EveryRowArrivesInOrderOnTheCallingThread) {
  // Several batches and a partial one, and the sizes around one batch.
  for (size_t count : {size_t{0}, size_t{1}, kPipelinedRowsPerBatch - 1, kPipelinedRowsPerBatch,
                       kPipelinedRowsPerBatch + 1, 7 * kPipelinedRowsPerBatch + 17}) {
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<bool> madeElsewhere{false};
    std::vector<std::string> stored;
    bool storedHere = true;
    PipelineRows(
        [&](RowOut& out) {
          madeElsewhere = std::this_thread::get_id() != caller;
          EmitNumbers(out, count);
        },
        [&](const BoundValues& v) {
          storedHere = storedHere && std::this_thread::get_id() == caller;
          ASSERT_EQ(v.Values().size(), 2u);
          stored.push_back(TextOf(v, 0) + "|" + TextOf(v, 1));
        });
    ASSERT_EQ(stored.size(), count);
    for (size_t i = 0; i < count; ++i) EXPECT_EQ(stored[i], std::to_string(i) + "|row " + std::to_string(i));
    EXPECT_TRUE(madeElsewhere);
    EXPECT_TRUE(storedHere);
  }
}

TEST(RowPipeline, ARowNeverEmittedIsNotStoredAndRowsStartCleared) {
  std::vector<std::string> stored;
  PipelineRows(
      [](RowOut& out) {
        out.Row().Text("dropped").Text("too");
        out.Row().Text("kept");  // the same row again, cleared
        out.Emit();
        for (size_t i = 0; i < kPipelinedRowsPerBatch; ++i) {
          out.Row().Text("x");
          out.Emit();
        }
        out.Row().Text("left behind");  // make ends without emitting it
      },
      [&](const BoundValues& v) {
        ASSERT_EQ(v.Values().size(), 1u);  // rows reused from an earlier batch start empty too
        stored.push_back(TextOf(v, 0));
      });
  ASSERT_EQ(stored.size(), kPipelinedRowsPerBatch + 1);
  EXPECT_EQ(stored.front(), "kept");
  EXPECT_EQ(stored.back(), "x");
}

TEST(RowPipeline, AMakersFailureComesOutAfterTheRowsBeforeIt) {
  for (size_t before : {size_t{0}, size_t{5}, 3 * kPipelinedRowsPerBatch}) {
    size_t stored = 0;
    try {
      PipelineRows(
          [&](RowOut& out) {
            EmitNumbers(out, before);
            out.Row().Text("half made");
            throw std::runtime_error("金额不是数字");
          },
          [&](const BoundValues&) { ++stored; });
      FAIL() << "no failure";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "金额不是数字");
    }
    EXPECT_EQ(stored, before);
  }
}

TEST(RowPipeline, AStoresFailureStopsTheMakerBeforeItReturns) {
  constexpr size_t kMany = 10'000'000;
  std::atomic<size_t> emitted{0};
  std::atomic<bool> unwound{false};
  struct Unwind {
    std::atomic<bool>& flag;
    ~Unwind() { flag = true; }
  };
  size_t stored = 0;
  try {
    PipelineRows(
        [&](RowOut& out) {
          Unwind guard{unwound};
          for (size_t i = 0; i < kMany; ++i) {
            out.Row().Int(static_cast<int64_t>(i));
            out.Emit();
            ++emitted;
          }
        },
        [&](const BoundValues&) {
          if (++stored == 10) throw std::logic_error("数据库执行失败");
        });
    FAIL() << "no failure";
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "数据库执行失败");
  }
  EXPECT_EQ(stored, 10u);
  EXPECT_TRUE(unwound);              // the maker was unwound, and joined, before the call returned
  EXPECT_LT(emitted.load(), kMany);  // it stopped within the batches going round
  EXPECT_LE(emitted.load(), 8 * kPipelinedRowsPerBatch);
}

TEST(RowPipeline, AMakerThatSwallowsTheStopStillEnds) {
  size_t stored = 0;
  EXPECT_THROW(PipelineRows(
                   [](RowOut& out) {
                     for (size_t i = 0; i < 50 * kPipelinedRowsPerBatch; ++i) {
                       try {
                         out.Row().Int(1);
                         out.Emit();
                       } catch (...) {  // a reader that catches everything it calls
                       }
                     }
                   },
                   [&](const BoundValues&) {
                     if (++stored == 3) throw std::runtime_error("stop");
                   }),
               std::runtime_error);
  EXPECT_EQ(stored, 3u);
}

}  // namespace
}  // namespace velmor::testing
