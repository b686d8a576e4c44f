// The current user's format settings, read from the process locale.
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <locale.h>

#include "velmor/platform.h"

namespace velmor::platform {
namespace {

// Translates a strftime pattern (%Y-%m-%d) into the classic pattern letters (yyyy-mm-dd).
std::string FromStrftime(const char* fmt, char* dateSep, char* timeSep) {
  std::string out;
  for (const char* p = fmt; *p; ++p) {
    if (*p != '%') {
      out.push_back(*p);
      continue;
    }
    ++p;
    if (!*p) break;
    if (*p == 'E' || *p == 'O') ++p;  // modifiers
    switch (*p) {
      case 'Y': out += "yyyy"; break;
      case 'y': out += "yy"; break;
      case 'm': out += "mm"; break;
      case 'd': out += "dd"; break;
      case 'e': out += "d"; break;
      case 'H': out += "hh"; break;
      case 'I': out += "hh"; break;
      case 'M': out += "nn"; break;
      case 'S': out += "ss"; break;
      case 'p': out += "AMPM"; break;
      case 'b': case 'h': out += "mmm"; break;
      case 'B': out += "mmmm"; break;
      case 'a': out += "ddd"; break;
      case 'A': out += "dddd"; break;
      case 'D': out += "mm/dd/yy"; break;
      case 'T': out += "hh:nn:ss"; break;
      case 'R': out += "hh:nn"; break;
      case 'F': out += "yyyy-mm-dd"; break;
      default: break;
    }
  }
  // The first non-letter between date parts is the separator.
  for (char c : out) {
    if (!std::strchr("ymdhnsAMPampM ", c) && c != ':' && dateSep && *dateSep == 0) *dateSep = c;
    if (c == ':' && timeSep) *timeSep = ':';
  }
  return out;
}

}  // namespace

FormatSettings GetUserLocaleSettings() {
  FormatSettings s;
  const char* name = std::getenv("LC_ALL");
  if (!name || !*name) name = std::getenv("LC_TIME");
  if (!name || !*name) name = std::getenv("LANG");
  locale_t loc = newlocale(LC_ALL_MASK, name && *name ? name : "C", static_cast<locale_t>(0));
  if (!loc) loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  if (!loc) return s;
  char dateSep = 0, timeSep = ':';
  std::string dfmt = FromStrftime(nl_langinfo_l(D_FMT, loc), &dateSep, nullptr);
  std::string tfmt = FromStrftime(nl_langinfo_l(T_FMT, loc), nullptr, &timeSep);
  if (!dfmt.empty()) {
    s.shortDateFormat = dfmt;
    s.longDateFormat = dfmt;
  }
  if (!tfmt.empty()) {
    s.longTimeFormat = tfmt;
    s.shortTimeFormat = tfmt;
  }
  if (dateSep) s.dateSeparator = dateSep;
  s.timeSeparator = timeSep;
  const char* dec = nl_langinfo_l(RADIXCHAR, loc);
  if (dec && *dec) s.decimalSeparator = *dec;
  const char* th = nl_langinfo_l(THOUSEP, loc);
  s.thousandSeparator = (th && *th) ? *th : ',';
  const char* am = nl_langinfo_l(AM_STR, loc);
  const char* pm = nl_langinfo_l(PM_STR, loc);
  s.timeAmString = am ? am : "";
  s.timePmString = pm ? pm : "";
  freelocale(loc);
  return s;
}

}  // namespace velmor::platform
