// The keyed data pack and its sorted key list on their own: the cursor and its flags, the index
// (created late, first entry wins, the third hook, taken over on delete) and the order hook.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/base_pack_data.h"
#include "store/str_order_list.h"
#include "velmor/exceptions.h"

namespace velmor::testing {
namespace {

using Data = TBasePackDataImp::Data;

class KeyedPack : public TBasePackDataImp {
 public:
  KeyedPack() : TBasePackDataImp("KeyedPack") {}
  std::string GetKey(const Data& d) const override {
    return d.contains("k") ? d["k"].get<std::string>() : std::string(kNullKey);
  }
  void OnDuplicateKey(Data& indexed, const Data& added) override {
    merges.push_back(indexed["v"].get<int>() * 100 + added["v"].get<int>());
    indexed["n"] = indexed.value("n", 1) + 1;
  }
  void FreeData(Data& d) override { freed.push_back(d["v"].get<int>()); }
  int CompareData(const Data& a, const Data& b) const override { return a["v"].get<int>() - b["v"].get<int>(); }
  std::vector<int> merges, freed;
};

class PlainPack : public TBasePackDataImp {
 public:
  PlainPack() : TBasePackDataImp("TPlainPack") {}
};

Data Item(int v, const char* k = nullptr) {
  Data d{{"v", v}};
  if (k) d["k"] = k;
  return d;
}

std::vector<int> Values(const TBasePackDataImp& p) {
  std::vector<int> out;
  for (int32_t i = 0; i < p.Count(); ++i) {
    EXPECT_EQ(p.At(i).position, i) << "positions are renumbered";
    EXPECT_EQ(p.At(i).owner, &p);
    out.push_back(p.At(i).data["v"].get<int>());
  }
  return out;
}

TEST(StrOrderList, KeepsKeysSortedAndFindsThemByBisection) {
  TStrOrderList<int> list;
  for (const char* k : {"m", "c", "x", "a", "q"}) EXPECT_TRUE(list.Add(k, k[0]));
  EXPECT_FALSE(list.Add("c", 0)) << "a key is held once";
  std::string keys;
  for (int32_t i = 0; i < list.Count(); ++i) keys += list.Key(i);
  EXPECT_EQ(keys, "acmqx");
  int32_t at = -1;
  EXPECT_TRUE(list.Find("q", at));
  EXPECT_EQ(at, 3);
  EXPECT_FALSE(list.Find("b", at));
  EXPECT_EQ(at, 1) << "where it would go";
  EXPECT_FALSE(list.Find("z", at));
  EXPECT_EQ(at, 5);
  ASSERT_NE(list.Value("c"), nullptr);
  EXPECT_EQ(*list.Value("c"), 'c');
  EXPECT_EQ(list.Value("C"), nullptr) << "case matters";
  EXPECT_TRUE(list.Remove("m"));
  EXPECT_FALSE(list.Remove("m"));
  EXPECT_EQ(list.Count(), 4);
}

TEST(BasePackData, AnEmptyPackHasNoCursorAndBothFlags) {
  PlainPack p;
  EXPECT_EQ(p.Position(), -1);
  EXPECT_TRUE(p.Bof());
  EXPECT_TRUE(p.Eof());
  EXPECT_EQ(p.Current(), nullptr);
  EXPECT_FALSE(p.MoveTo(0));
  EXPECT_FALSE(p.First());
  EXPECT_FALSE(p.Delete(0));
  EXPECT_THROW(p.At(0), EListError);
}

TEST(BasePackData, TheCursorStepsAndSetsItsFlagsAtTheEnds) {
  PlainPack p;
  for (int v : {1, 2, 3}) p.Add(Item(v));
  EXPECT_EQ(p.Position(), 0) << "the first entry brings the cursor onto it";
  EXPECT_FALSE(p.Bof());
  EXPECT_TRUE(p.Next());
  EXPECT_TRUE(p.Next());
  EXPECT_FALSE(p.Next());
  EXPECT_TRUE(p.Eof());
  EXPECT_EQ(p.Position(), 2) << "a step past the end leaves the cursor on the last";
  EXPECT_TRUE(p.Prior());
  EXPECT_FALSE(p.Eof());
  EXPECT_TRUE(p.First());
  EXPECT_FALSE(p.Prior());
  EXPECT_TRUE(p.Bof());
  EXPECT_FALSE(p.MoveTo(3));
  EXPECT_FALSE(p.MoveTo(-1));
  EXPECT_EQ(p.Position(), 0) << "a move outside the list leaves the cursor";
  EXPECT_TRUE(p.MoveTo(2));
  EXPECT_FALSE(p.Bof());
  EXPECT_EQ(p.Current()->data["v"], 3);
}

TEST(BasePackData, DeletingMovesTheCursorToTheSamePositionElseTheOneBeforeElseNone) {
  KeyedPack p;
  for (int v : {1, 2, 3, 4}) p.Add(Item(v));
  ASSERT_TRUE(p.MoveTo(1));
  ASSERT_TRUE(p.Delete(1));
  EXPECT_EQ(Values(p), (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(p.Position(), 1);
  EXPECT_EQ(p.Current()->data["v"], 3) << "the next entry moved into its place";
  ASSERT_TRUE(p.MoveTo(2));
  ASSERT_TRUE(p.Delete(2));
  EXPECT_EQ(p.Position(), 1) << "the last one went: the one before";
  ASSERT_TRUE(p.Delete(0));
  EXPECT_EQ(p.Position(), 0) << "a cursor after the deleted entry stays on its own entry";
  EXPECT_EQ(p.Current()->data["v"], 3);
  ASSERT_TRUE(p.Delete(0));
  EXPECT_EQ(p.Position(), -1);
  EXPECT_TRUE(p.Bof() && p.Eof());
  EXPECT_EQ(p.freed, (std::vector<int>{2, 4, 1, 3})) << "every deleted item is freed";
}

TEST(BasePackData, TheIndexComesWithTheFirstKeyedEntryAndKeepsTheFirstOfAKey) {
  KeyedPack p;
  p.Add(Item(1));
  EXPECT_FALSE(p.HasIndex()) << "__NULL_KEY__ entries are not indexed";
  EXPECT_EQ(p.Find(TBasePackDataImp::kNullKey), nullptr);
  p.Add(Item(2, "b"));
  EXPECT_TRUE(p.HasIndex());
  p.Add(Item(3, "a"));
  p.Add(Item(4, "b"));
  EXPECT_EQ(p.merges, (std::vector<int>{204})) << "the third hook gets the indexed data, then the new";
  EXPECT_EQ(p.Count(), 4) << "the duplicate is still appended";
  ASSERT_NE(p.Find("b"), nullptr);
  EXPECT_EQ(p.Find("b")->position, 1);
  EXPECT_EQ(p.Find("b")->data["n"], 2);
  EXPECT_EQ(p.Find("a")->data["v"], 3);
  EXPECT_EQ(p.Find("c"), nullptr);

  ASSERT_TRUE(p.Delete(1));
  ASSERT_NE(p.Find("b"), nullptr) << "the next entry of the key takes over";
  EXPECT_EQ(p.Find("b")->data["v"], 4);
  EXPECT_EQ(p.Find("b")->position, 2);
  ASSERT_TRUE(p.Delete(2));
  EXPECT_EQ(p.Find("b"), nullptr);
  EXPECT_EQ(p.Find("a")->position, 1);

  p.Clear();
  EXPECT_EQ(p.Count(), 0);
  EXPECT_FALSE(p.HasIndex());
  EXPECT_EQ(p.Position(), -1);
}

TEST(BasePackData, SortUsesTheOrderHookAndAPackWithoutOneSaysSo) {
  KeyedPack p;
  for (int v : {3, 1, 2}) p.Add(Item(v, std::to_string(v).c_str()));
  ASSERT_TRUE(p.MoveTo(0));
  p.Sort();
  EXPECT_EQ(Values(p), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(p.Current()->data["v"], 3) << "the cursor follows its entry";
  EXPECT_EQ(p.Find("1")->position, 0);

  PlainPack plain;
  plain.Add(Item(2));
  plain.Add(Item(1));
  try {
    plain.Sort();
    FAIL() << "no order";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "当前实例：TPlainPack 未实现CompareData方法");
  }
  EXPECT_EQ(Values(plain), (std::vector<int>{2, 1})) << "a failed sort keeps every entry in place";
}

}  // namespace
}  // namespace velmor::testing
