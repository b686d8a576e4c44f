// The server operations of the employee service from slot 13 on, one row each: class, name, service
// code, failure prefix, taxML request type (none: the parameters travel as body keys) and the
// list the answer must hold. docs/employee-service.md describes parameters and answers.
#pragma once

#include "service/server_call.h"

namespace velmor::roster {

// The class every row logs under.
inline constexpr const char* kEmployeeService = "TEmployeeServiceImpl";

inline constexpr const char* kZrrDjxxPrefix = "自然人登记信息查询异常：";
inline constexpr const char* kJfztPrefix = "城乡居民缴费状态查询异常：";
inline constexpr const char* kJfjePrefix = "城乡居民缴费金额查询异常：";

// Person queries.
inline constexpr service::OpRow kZrrDjxxCx{kEmployeeService, "ZrrDjxxCx", "0032", kZrrDjxxPrefix, "", "zrrDjxxList"};
inline constexpr service::OpRow kZrrDjxxCxEx{kEmployeeService, "ZrrDjxxCxEx", "0032", kZrrDjxxPrefix, "",
                                             "zrrDjxxList"};
inline constexpr service::OpRow kZrrJfdjxxCx{kEmployeeService, "ZrrJfdjxxCx", "0033", kZrrDjxxPrefix, "", "jfdjxxList"};
inline constexpr service::OpRow kDgCxjmZjxxCx{kEmployeeService, "DgCxjmZjxxCx", "0036", "查询异常：", "", "zjxxList"};
inline constexpr service::OpRow kZrrJfbzcx{kEmployeeService, "ZrrJfbzcx",          "0042",
                                           kJfjePrefix,      "SbfCxjmJfdcRequest", "jfdcList"};
inline constexpr service::OpRow kSynCxYhzhxx{kEmployeeService, "synCxYhzhxx", "0060", "银行账户信息查询异常：", "",
                                             "yhzhList"};
inline constexpr service::OpRow kSynYjfeCx{kEmployeeService,       "synYjfeCx", "0061", kJfjePrefix,
                                           "SbfCxjmYjfeCxRequest", "yjfeList"};
inline constexpr service::OpRow kJfrxxYz{kEmployeeService, "jfrxxYz", "0063", "缴费人信息验证异常：", "", ""};
inline constexpr service::OpRow kSynSbfjfqdCx{kEmployeeService, "synSbfjfqdCx", "0080", "查询异常：", "", "jfqdList"};
inline constexpr service::OpRow kSynZrrJfdjxxcx{kEmployeeService, "synZrrJfdjxxcx",        "0086",
                                                kZrrDjxxPrefix,   "SbfZrrJfDjxxCxRequest", "jfdjxxList"};
inline constexpr service::OpRow kSynZrrJfdjxxcxEx{kEmployeeService, "synZrrJfdjxxcxEx",      "0086",
                                                  kZrrDjxxPrefix,   "SbfZrrJfDjxxCxRequest", "jfdjxxList"};
inline constexpr service::OpRow kSynLhjyryyclxxCx{kEmployeeService, "synLhjyryyclxxCx",       "0122",
                                                  "查询异常：",     "SbfLhjyryHdxxCxRequest", "hdxxList"};

// Payment states, amounts due and batch deductions.
inline constexpr service::OpRow kSynJfztCx{kEmployeeService, "synJfztCx", "0065", kJfztPrefix, "", "jfztList"};
inline constexpr service::OpRow kSynJfztCxV2{kEmployeeService, "synJfztCx_V2", "0065", kJfztPrefix, "", "jfztList"};
inline constexpr service::OpRow kSynJfztCxAll{kEmployeeService, "synJfztCx_All", "0065", kJfztPrefix, "", "jfztList"};
inline constexpr service::OpRow kSynYjfeZf{kEmployeeService,       "synYjfeZf", "0082", "城乡居民应缴费额作废异常：",
                                           "SbfCxjmYjfeZfRequest", "zfjgList"};
inline constexpr service::OpRow kSynDpkqcCx{kEmployeeService, "synDpkqcCx",          "0095",
                                            "查询异常：",     "CxjmPlkkQcCxRequest", "plkkqcList"};
inline constexpr service::OpRow kSynDpkqcZf{kEmployeeService, "synDpkqcZf", "0096", "作废异常：", "DpkqcZfRequest", ""};

// Requests answered later under their serial, and their feedback.
inline constexpr service::OpRow kSynCxjmxxbc{
    kEmployeeService, "synCxjmxxbc", "0149", "添加异常：", "SbfCxjmxnhDrCxjmxxBcGzRequest", ""};
inline constexpr service::OpRow kSynCxjmxxjghq{
    kEmployeeService, "synCxjmxxjghq", "0150", "反馈报文异常：", "SbfCxjmxnhDrJgCxGzRequest", "jgList"};
inline constexpr service::OpRow kRyUpdateCount{
    kEmployeeService, "synQueryCxjmRyUpdateCount", "0204", "查询异常：", "", ""};
inline constexpr service::OpRow kRyUpdateCountFk{
    kEmployeeService, "synQueryCxjmRyUpdateCountFk", "0205", "反馈数据异常：", "", ""};
inline constexpr service::OpRow kRyUpdateData{
    kEmployeeService, "synQueryCxjmRyUpdateData", "0206", "查询异常：", "", ""};
inline constexpr service::OpRow kRyUpdateDataFk{
    kEmployeeService, "synQueryCxjmRyUpdateDataFk", "0207", "反馈数据异常：", "", "cxjmxxList"};
inline constexpr service::OpRow kPlCbryJfDjxxCx{kEmployeeService, "synPlCbryJfDjxxCx_4403",   "0212",
                                                "查询异常：",     "SbfPlCbryJfDjxxCxRequest", ""};
inline constexpr service::OpRow kPlCbryJfDjxxCxFk{
    kEmployeeService, "synPlCbryJfDjxxCxFk_4403", "0213", "反馈数据异常：", "", "jfdjxxList"};
inline constexpr service::OpRow kSynGxjfjlCx{kEmployeeService, "synGxjfjlCx", "0324", "查询异常：", "", ""};
inline constexpr service::OpRow kSynGxjfjlCxFk{kEmployeeService, "synGxjfjlCxFk", "0324", "反馈数据异常：", "",
                                               "jfjlList"};
inline constexpr service::OpRow kYbgrzhdjRsCx{kEmployeeService, "synYbgrzhdjcxjmrsCx",        "0187",
                                              "查询异常：",     "SbfYbGrzhDjcxjmxxCxRequest", ""};
inline constexpr service::OpRow kYbgrzhdjXxCx{kEmployeeService, "synYbgrzhdjcxjmxxCx",        "0187",
                                              "查询异常：",     "SbfYbGrzhDjcxjmxxCxRequest", "cxjmDjxxList"};

// Operations that store what they learn.
inline constexpr service::OpRow kQueryWbryDataByIntf{kEmployeeService, "queryWbryDataByIntf",      "0057",
                                                     "同步异常：",     "SbfPlCbryJfDjxxCxRequest", ""};
inline constexpr service::OpRow kSaveCxjmcbxzgxsj{kEmployeeService, "saveCxjmcbxzgxsj", "0271", "同步异常：", "", ""};
inline constexpr service::OpRow kYbgrzhdjGxsjCx{
    kEmployeeService, "synYbgrzhdjcxjmgxsjCx", "0359", "查询异常：", "", ""};
inline constexpr service::OpRow kYbgrzhdjGxsjBc{
    kEmployeeService, "synYbgrzhdjcxjmgxsjbc", "0360", "同步异常：", "", ""};
inline constexpr service::OpRow kSynWbryDjzt{kEmployeeService, "synWbryDjzt", "", "同步异常：", "", ""};

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
