// Value types of the scheme-account store (IXnhDAO) and manager (IXnhMgr): the downloaded account
// (offices, participating units, insured items), filters of the lookups and collection modes.
// Plain values, copied freely; an empty text means "not given" unless a field says otherwise.
#pragma once

#include <string>
#include <vector>

namespace velmor {

// One insured item of a participating unit (sb_xnhcbxmb). dsXzqhDm: the region of payment
// (the registration download names it; the account download gives the unit's region).
struct XnhCbxm {
  std::string xzid, xzlxDm, zsxmdm, zspmdm, zszmdm, tcqdm, xzjddm, sqhczdm, dwcbtslbdm, ksjfyf, tzjfyf;
  std::string dsXzqhDm;
};

// One participating unit (sb_xnhcbjgxxb) with its items.
// sshydlDm, lxdzyx, jdxzDm come with the registration download only.
struct XnhCbjg {
  std::string yxbz, sbjbjgdm, dwbh, xzqhdm, lxrxm, lxdh, lxdz, dwcbztdm, tsdwlbdm, djzclxdm;
  std::string sshydlDm, lxdzyx, jdxzDm;
  std::vector<XnhCbxm> items;
};

// The account with one office (sb_xnhjbxxb) with its units.
struct XnhJbxx {
  std::string swjgdm, jfrztdm, zgswksDm, zgswksMc, glbz, flbsdm;
  std::vector<XnhCbjg> units;
};

// Which download an account came from: the scheme account ("0001") or the residents'
// registration ("0160"). Both write the same rows; each keeps what only the other carries.
enum class XnhSource { kAccount, kRegistration };

// The filter of the distinct combinations of valid units (queryXnhCbxxItems). The community is
// matched only when sqhczdmGiven is set, and then also when it is empty.
struct XnhCbxxFilter {
  std::string swjgdm, sbjbjgdm, xzjddm, sqhczdm, zsxmdm, zspmdm, zszmdm;
  bool sqhczdmGiven = false;
};

// One answered collection mode (the server's code, translated when stored).
struct XnhZjmsEntry {
  std::string sbjbjgdm, zsxmdm, zspmdm, zszmdm, zjms;
};

// The payer-type marks of getAllJfrZsxmList / getAllDwbhList: "5" unit, "8" and "9" group accounts.
inline constexpr const char* kJfrlxUnit = "5";

}  // namespace velmor
