// Value types of the roster store's interface (IEmployeeDao): the filters of its queries and the
// entries of its writes. Plain values, copied freely; empty text and -1 mean "not given".
#pragma once

#include <cstdint>
#include <string>

namespace velmor {

// Which persons by origin: all, entered locally (ly = "1"), or from the server (ly "0" or empty).
enum class RyOrigin : int32_t { kAll = 0, kLocal = 1, kServer = 2 };
// Which persons by registration at the server: all, not registered (djzt "0"), registered.
enum class RyDjzt : int32_t { kAll = 0, kUnregistered = 1, kRegistered = 2 };
// Which insured items by validity in a month: all, valid (item and enrolment "Y", running in or
// after the month), invalid (the others).
enum class XmValidity : int32_t { kAll = 0, kValid = 1, kInvalid = 2 };

// The roster page (queryRyList).
struct RyListFilter {
  std::string xm, zjlx, zjhm, hh;  // name, ID number and household: substrings; ID type: equal
  int32_t fzid = -1;               // a group: its persons and those of the groups below it
  RyOrigin ly = RyOrigin::kAll;
  RyDjzt djzt = RyDjzt::kAll;
  std::string cbzt;  // summary state "1", "2", "3"
  std::string djnd;  // persons with an insured item of this year
};

// The update view (getUpdateData): persons with their enrolments and items.
struct RyUpdateFilter {
  std::string month;  // items running in this month ("yyyy-mm")
  std::string pmlx;   // sub-item type "00", "01"
  int32_t fzid = -1;
  RyOrigin ly = RyOrigin::kAll;
  std::string cbzt;
  std::string djnd;
};

// Person x enrolment x item rows (getCount_V2 / getData_V2 and their sub-item-type forms).
struct CbxmFilter {
  std::string xzjddm, sqhczdm;          // town, community
  std::string zsxmdm, zspmdm, zszmdm;   // levy item, sub-item, detail
  std::string xm, zjlx, zjhm;           // name and ID number: substrings; ID type: equal
  XmValidity validity = XmValidity::kAll;
  std::string month;                    // for validity; empty: the current month
  std::string pmlx;                     // the sub-item-type forms only
};

// Payment states joined with persons (GetRyjfztData).
struct RyjfztFilter {
  std::string jfnd, zspmdm, xzjddm, sqczdm, jfzt;
  std::string xm, zjlx, zjhm;
  int32_t fzid = -1;
};

// One outside person to store (saveWbry). state "1" (recognised by the server, with its
// household number) or "2" (not recognised) stores it as a local, unregistered person; an entry
// whose response is a registration document stores the persons of that document.
struct WbryEntry {
  std::string xm, zjlx, zjhm;
  int32_t fzid = -1;
  std::string fullpath, bzxx, hh;
  std::string state;
  std::string response;
};

// One payment state of a year (SaveRyjfztxx).
struct RyjfztEntry {
  std::string rydjxh, xzid, sbsj, jfzt, sbjbjgdm, rybh, zsxmdm, zspmdm, zszmdm, xzjddm, sqczdm, cbrytslbdm;
};

}  // namespace velmor
