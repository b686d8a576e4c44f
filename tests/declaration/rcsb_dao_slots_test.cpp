// IRcsbDAO's operations are matched by position, not by name: this lists every slot of the
// interface in its documented order (docs/declaration.md) and checks where each one sits.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "velmor/rcsb_dao.h"

namespace velmor::testing {
namespace {

#if defined(__GNUC__) || defined(__clang__)
// Under the Itanium C++ ABI a pointer to a virtual member function holds 1 + the byte offset of
// its entry in the vtable.
template <class F>
std::ptrdiff_t Slot(F pmf) {
  static_assert(sizeof(F) == 2 * sizeof(std::ptrdiff_t));
  std::ptrdiff_t raw[2];
  std::memcpy(raw, &pmf, sizeof raw);
  EXPECT_EQ(raw[0] % static_cast<std::ptrdiff_t>(sizeof(void*)), 1) << "not a virtual function";
  return (raw[0] - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

using S = std::string;
using I = IRcsbDAO;

TEST(RcsbDaoSlots, EveryOperationSitsAtItsPosition) {
  const std::vector<std::pair<const char*, std::ptrdiff_t>> slots = {
      {"GetErrorMessage", Slot(&I::GetErrorMessage)},
      {"SetErrorMessage", Slot(&I::SetErrorMessage)},
      {"UpdateJkzt", Slot(&I::UpdateJkzt)},
      {"UpdateSbzt", Slot(&I::UpdateSbzt)},
      {"UpdateZfFk (first form)", Slot(static_cast<bool (I::*)(int32_t, int32_t, const S&)>(&I::UpdateZfFk))},
      {"GetSbmxData", Slot(&I::GetSbmxData)},
      {"GetExistsJfndLb", Slot(&I::GetExistsJfndLb)},
      {"DelJfrydjxx", Slot(&I::DelJfrydjxx)},
      {"GetSbzbData", Slot(&I::GetSbzbData)},
      {"GetSbzbCount", Slot(&I::GetSbzbCount)},
      {"GetStatsData", Slot(&I::GetStatsData)},
      {"UpdateSbFk", Slot(&I::UpdateSbFk)},
      {"GetWjkDataLb", Slot(&I::GetWjkDataLb)},
      {"UpdateZfFk (second form)", Slot(static_cast<bool (I::*)(int32_t, const S&)>(&I::UpdateZfFk))},
      {"GetJfrydjxxData", Slot(&I::GetJfrydjxxData)},
      {"GetJfrydjxxCount", Slot(&I::GetJfrydjxxCount)},
      {"SaveSbData", Slot(&I::SaveSbData)},
      {"GetDtjJfndLb", Slot(&I::GetDtjJfndLb)},
      {"GetSbrymxLb (first pair)",
       Slot(static_cast<bool (I::*)(int32_t, const S&, int32_t, int32_t, int32_t, S&)>(&I::GetSbrymxLb))},
      {"GetSbrymxCount (first pair)",
       Slot(static_cast<bool (I::*)(int32_t, const S&, int32_t, int32_t&)>(&I::GetSbrymxCount))},
      {"GetSbrymxLb (second pair)", Slot(static_cast<bool (I::*)(int32_t, int32_t, int32_t, S&)>(&I::GetSbrymxLb))},
      {"GetSbrymxCount (second pair)", Slot(static_cast<bool (I::*)(int32_t, int32_t&)>(&I::GetSbrymxCount))},
      {"GetJfdjStatistics", Slot(&I::GetJfdjStatistics)},
      {"SaveSbfysbqd", Slot(&I::SaveSbfysbqd)},
      {"saveSbqdCxSjjk", Slot(&I::saveSbqdCxSjjk)},
      {"GetYzpzxhLb", Slot(&I::GetYzpzxhLb)},
      {"SaveSbrymxb", Slot(&I::SaveSbrymxb)},
      {"UpdateSbxmbMisc", Slot(&I::UpdateSbxmbMisc)},
      {"GetWxzrymxData", Slot(&I::GetWxzrymxData)},
      {"DealNullXm", Slot(&I::DealNullXm)},
      {"GetSbRymxData", Slot(&I::GetSbRymxData)},
      {"QuerySbzbDatas", Slot(&I::QuerySbzbDatas)},
      {"GetSbzbByYblsh (first unlabelled)", Slot(&I::GetSbzbByYblsh)},
      {"UpdateSbyyFk (second unlabelled)", Slot(&I::UpdateSbyyFk)},
      {"UpdateZzsbJfje", Slot(&I::UpdateZzsbJfje)},
      {"getAllJfrlxYzmxList", Slot(&I::getAllJfrlxYzmxList)},
      // This store's own operations, after the common ones.
      {"CleanSbWithoutFkssq", Slot(&I::CleanSbWithoutFkssq)},
      {"SaveSbDataFk", Slot(&I::SaveSbDataFk)},
      {"FillNullFkssq", Slot(&I::FillNullFkssq)},
      {"UpdateSbztFk", Slot(&I::UpdateSbztFk)},
      {"DeleteSbData", Slot(&I::DeleteSbData)},
  };
  const std::ptrdiff_t first = slots.front().second;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    EXPECT_EQ(slots[i].second, first + static_cast<std::ptrdiff_t>(i)) << slots[i].first << " is out of place";
  }
}
#endif

}  // namespace
}  // namespace velmor::testing
