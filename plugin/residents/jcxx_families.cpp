#include "residents/jcxx_families.h"

namespace velmor {

namespace {

constexpr std::string_view kRy[] = {
    "id",        "djxh",      "czlx",   "rydjxh", "xm",     "sjgghdqDm", "zjlxDm", "zjhm",   "xbDm",
    "csrq",      "mzDm",      "cbdxzqhDm", "cbdJdxzDm", "cbdSqczDm", "hjszd", "czddz",  "yzbm",   "lxrDzyj",
    "lxdh",      "sjhm",      "grsfDm", "grztDm", "ygxsDm", "hjlxDm",    "hjszdxzqhDm", "tzsj", "tzyyDm",
    "tjsj",      "rycode",    "rymessage"};
constexpr std::string_view kXz[] = {"id",     "zbid",   "czlx",   "sbjbjgDm", "rybh",   "xzlxDm",
                                    "cbsf",   "ksjfny", "tzjfny", "jfje",     "jdxzDm", "sqczDm",
                                    "bccbsj", "sccbsj", "cbrytslbDm", "xzcode", "xzmessage", "xzId"};

}  // namespace

const JfdjFamily kCxjmjcxxRyFamily{"Cxjmjcxx_Ry", "TCxjmjcxx_Ry_Item", "TCxjmjcxx_Ry_Items",
                                   "TCxjmjcxx_Ry_QueryCondition", kRy};
const JfdjFamily kCxjmjcxxXzFamily{"Cxjmjcxx_Xz", "TCxjmjcxx_Xz_Item", "TCxjmjcxx_Xz_Items",
                                   "TCxjmjcxx_Xz_QueryCondition", kXz};

}  // namespace velmor
