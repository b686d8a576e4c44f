// The server operations of the employee service from slot 13 on, one row each: name, service
// code, failure prefix, taxML request type (none: the parameters travel as body keys) and the
// list the answer must hold. docs/employee-service.md describes parameters and answers.
#pragma once

#include "roster/server_op.h"

namespace velmor::roster {

inline constexpr const char* kZrrDjxxPrefix = "自然人登记信息查询异常：";
inline constexpr const char* kJfztPrefix = "城乡居民缴费状态查询异常：";
inline constexpr const char* kJfjePrefix = "城乡居民缴费金额查询异常：";

// Person queries.
inline constexpr OpRow kZrrDjxxCx{"ZrrDjxxCx", "0032", kZrrDjxxPrefix, "", "zrrDjxxList"};
inline constexpr OpRow kZrrDjxxCxEx{"ZrrDjxxCxEx", "0032", kZrrDjxxPrefix, "", "zrrDjxxList"};
inline constexpr OpRow kZrrJfdjxxCx{"ZrrJfdjxxCx", "0033", kZrrDjxxPrefix, "", "jfdjxxList"};
inline constexpr OpRow kDgCxjmZjxxCx{"DgCxjmZjxxCx", "0036", "查询异常：", "", "zjxxList"};
inline constexpr OpRow kZrrJfbzcx{"ZrrJfbzcx", "0042", kJfjePrefix, "SbfCxjmJfdcRequest", "jfdcList"};
inline constexpr OpRow kSynCxYhzhxx{"synCxYhzhxx", "0060", "银行账户信息查询异常：", "", "yhzhList"};
inline constexpr OpRow kSynYjfeCx{"synYjfeCx", "0061", kJfjePrefix, "SbfCxjmYjfeCxRequest", "yjfeList"};
inline constexpr OpRow kJfrxxYz{"jfrxxYz", "0063", "缴费人信息验证异常：", "", ""};
inline constexpr OpRow kSynSbfjfqdCx{"synSbfjfqdCx", "0080", "查询异常：", "", "jfqdList"};
inline constexpr OpRow kSynZrrJfdjxxcx{"synZrrJfdjxxcx", "0086", kZrrDjxxPrefix, "SbfZrrJfDjxxCxRequest", "jfdjxxList"};
inline constexpr OpRow kSynZrrJfdjxxcxEx{"synZrrJfdjxxcxEx", "0086", kZrrDjxxPrefix, "SbfZrrJfDjxxCxRequest",
                                         "jfdjxxList"};
inline constexpr OpRow kSynLhjyryyclxxCx{"synLhjyryyclxxCx", "0122", "查询异常：", "SbfLhjyryHdxxCxRequest",
                                         "hdxxList"};

// Payment states, amounts due and batch deductions.
inline constexpr OpRow kSynJfztCx{"synJfztCx", "0065", kJfztPrefix, "", "jfztList"};
inline constexpr OpRow kSynJfztCxV2{"synJfztCx_V2", "0065", kJfztPrefix, "", "jfztList"};
inline constexpr OpRow kSynJfztCxAll{"synJfztCx_All", "0065", kJfztPrefix, "", "jfztList"};
inline constexpr OpRow kSynYjfeZf{"synYjfeZf", "0082", "城乡居民应缴费额作废异常：", "SbfCxjmYjfeZfRequest",
                                  "zfjgList"};
inline constexpr OpRow kSynDpkqcCx{"synDpkqcCx", "0095", "查询异常：", "CxjmPlkkQcCxRequest", "plkkqcList"};
inline constexpr OpRow kSynDpkqcZf{"synDpkqcZf", "0096", "作废异常：", "DpkqcZfRequest", ""};

// Requests answered later under their serial, and their feedback.
inline constexpr OpRow kSynCxjmxxbc{"synCxjmxxbc", "0149", "添加异常：", "SbfCxjmxnhDrCxjmxxBcGzRequest", ""};
inline constexpr OpRow kSynCxjmxxjghq{"synCxjmxxjghq", "0150", "反馈报文异常：", "SbfCxjmxnhDrJgCxGzRequest", "jgList"};
inline constexpr OpRow kRyUpdateCount{"synQueryCxjmRyUpdateCount", "0204", "查询异常：", "", ""};
inline constexpr OpRow kRyUpdateCountFk{"synQueryCxjmRyUpdateCountFk", "0205", "反馈数据异常：", "", ""};
inline constexpr OpRow kRyUpdateData{"synQueryCxjmRyUpdateData", "0206", "查询异常：", "", ""};
inline constexpr OpRow kRyUpdateDataFk{"synQueryCxjmRyUpdateDataFk", "0207", "反馈数据异常：", "", "cxjmxxList"};
inline constexpr OpRow kPlCbryJfDjxxCx{"synPlCbryJfDjxxCx_4403", "0212", "查询异常：", "SbfPlCbryJfDjxxCxRequest", ""};
inline constexpr OpRow kPlCbryJfDjxxCxFk{"synPlCbryJfDjxxCxFk_4403", "0213", "反馈数据异常：", "", "jfdjxxList"};
inline constexpr OpRow kSynGxjfjlCx{"synGxjfjlCx", "0324", "查询异常：", "", ""};
inline constexpr OpRow kSynGxjfjlCxFk{"synGxjfjlCxFk", "0324", "反馈数据异常：", "", "jfjlList"};
inline constexpr OpRow kYbgrzhdjRsCx{"synYbgrzhdjcxjmrsCx", "0187", "查询异常：", "SbfYbGrzhDjcxjmxxCxRequest", ""};
inline constexpr OpRow kYbgrzhdjXxCx{"synYbgrzhdjcxjmxxCx", "0187", "查询异常：", "SbfYbGrzhDjcxjmxxCxRequest",
                                     "djcxjmxxList"};

// Operations that store what they learn.
inline constexpr OpRow kQueryWbryDataByIntf{"queryWbryDataByIntf", "0057", "同步异常：", "SbfPlCbryJfDjxxCxRequest",
                                            ""};
inline constexpr OpRow kSaveCxjmcbxzgxsj{"saveCxjmcbxzgxsj", "0271", "同步异常：", "", ""};
inline constexpr OpRow kYbgrzhdjGxsjCx{"synYbgrzhdjcxjmgxsjCx", "0359", "查询异常：", "", ""};
inline constexpr OpRow kYbgrzhdjGxsjBc{"synYbgrzhdjcxjmgxsjbc", "0360", "同步异常：", "", ""};
inline constexpr OpRow kSynWbryDjzt{"synWbryDjzt", "", "同步异常：", "", ""};

inline constexpr const char* kNoJmxx = "未查询到该居民信息。";
inline constexpr const char* kEmptyRybhList = "人员编号列表为空。";
inline constexpr const char* kEmptyPlCbryList = "城乡居民申报缴费状态查询名单为空";
inline constexpr const char* kNoValidSbjbjg = "当前虚拟户不存在有效社保经办机构";
inline constexpr const char* kNoZspmDz = "城乡居民社保经办机构征收品目对照表缺少配置";
inline constexpr const char* kNoYblsh = "缺少请求流水号（yblsh）。";

// Parameter keys of the stored times.
inline constexpr const char* kCxjmcbxzGxsjKey = "cxjmcbxzgxsj";
inline constexpr const char* kYbgrzhdjGxsjKey = "ybgrzhdjcxjm_gxsj";

}  // namespace velmor::roster
