// The records of the street and community changes (jdczbg: 街道村组变更): one change of the
// street, community and contact data under which a resident is insured (JdczbgEntity, a row of
// sb_jdczbgb), the filter of the change list, and a change the server refused. Plain values;
// safe to copy between threads.
#pragma once

#include <cstdint>
#include <string>

namespace velmor {

// sjlx: where a row came from. Downloaded rows (1) are replaced by the next download of their
// period; rows the host stores itself keep another value.
inline constexpr int32_t kJdczbgDownloaded = 1;
inline constexpr int32_t kJdczbgLocal = 0;

struct JdczbgEntity {
  int64_t id = 0;
  std::string djxh, xm, zjlx, zjhm;
  std::string xzjddm, sqhczdm;  // the new street and community
  std::string xzlxdm, sbjbjgdm, rybh, lxdh, lxdz, hjszd;
  std::string bgid, bgsj, bgzt, cxbz;  // change identity, time, state, cancelled flag
  int32_t sjlx = kJdczbgLocal;
  std::string hh;  // household number
};

// Each non-empty field filters; sjlx filters when not negative. Dates "yyyy-mm-dd".
struct JdczbgFilter {
  int32_t sjlx = -1;
  std::string xm, zjlx, zjhm, xzlxdm, xzjddm, sqhczdm, bgsjq, bgsjz;
};

// An entry the server refused: its key (the position "1", "2", ... of a submitted change, or the
// bgid of a cancelled one) and the reason.
struct JdczbgRefusal {
  std::string key;
  std::string sbyy;
};

}  // namespace velmor
