// The two-step queries of the status service: approved declarations of natural persons ("0108")
// and residents' declaration-and-payment states ("0270"). Each submits an asynchronous job and
// hands back its serial; the second operation asks once for the answer ("not yet" is no failure).
#include "residents/sbzt_query_service.h"
#include "service/server_call.h"
#include "store/json_text.h"

namespace velmor {

using sbzt::Json;

namespace {

inline constexpr service::OpRow kHdsbzt{kSbztClass, "synHdsbztCx", "0108", kSbztShownPrefix, "", "",
                                        service::AnswerKind::kJson};
inline constexpr service::OpRow kHdsbztFk{kSbztClass, "synHdsbztCxFk", "0108", kSbztShownPrefix, "", "sbztList",
                                          service::AnswerKind::kJson};
inline constexpr service::OpRow kSbjfzt{kSbztClass, "synCxjmzzSbjfztCx", "0270", kSbztShownPrefix, "", "",
                                        service::AnswerKind::kJson};
inline constexpr service::OpRow kSbjfztFk{kSbztClass, "synCxjmzzSbjfztCxFk", "0270", kSbztShownPrefix, "",
                                          "sbjfztList", service::AnswerKind::kJson};

// One collect: ready with the answer as text, or not ready yet.
bool CollectOnce(const service::OpRow& row, std::string& message, const std::string& serial, bool& ready,
                 std::string& result) {
  ready = false;
  result.clear();
  return service::RunOp(row, message, [&] {
    if (serial.empty()) throw service::OpRefusal("查询流水号为空。");
    if (std::optional<Json> answer = service::CollectJson(row, serial)) {
      ready = true;
      result = JsonText(*answer);
    }
  });
}

}  // namespace

bool TCXJMSBStatusQueryService::synHdsbztCx(const std::string& djxh, const std::string& params,
                                            std::string& serial) {
  serial.clear();
  return service::RunOp(kHdsbzt, ErrorMessage, [&] {
    const Json p = service::ParseParams(params);
    const Json persons = p.value("zrrDjxhList", Json::array());
    if (!persons.is_array()) throw service::OpRefusal("zrrDjxhList不是JSON数组。");
    Json keys = Json::object();
    keys["isQueryCount"] = "N";
    keys["recBeginNo"] = service::Text(p, "recBeginNo").empty() ? "1" : service::Text(p, "recBeginNo");
    keys["recEndNo"] = service::Text(p, "recEndNo").empty() ? "2000" : service::Text(p, "recEndNo");
    keys["zrrDjxhList"] = persons;
    service::OpCall call;
    call.djxh = djxh;
    call.params = std::move(keys);
    serial = service::Submit(kHdsbzt, call);
  });
}

bool TCXJMSBStatusQueryService::synHdsbztCxFk(const std::string& serial, bool& ready, std::string& result) {
  return CollectOnce(kHdsbztFk, ErrorMessage, serial, ready, result);
}

bool TCXJMSBStatusQueryService::synCxjmzzSbjfztCx(const std::string& djxh, const std::string& cxjmList,
                                                  std::string& serial) {
  serial.clear();
  return service::RunOp(kSbjfzt, ErrorMessage, [&] {
    const Json list = Json::parse(cxjmList, nullptr, false);
    if (!list.is_array() || list.empty()) throw service::OpRefusal("查询的城乡居民列表为空。");
    service::OpCall call;
    call.djxh = djxh;
    call.params = Json{{"cxjmList", list}};
    serial = service::Submit(kSbjfzt, call);
  });
}

bool TCXJMSBStatusQueryService::synCxjmzzSbjfztCxFk(const std::string& serial, bool& ready, std::string& result) {
  return CollectOnce(kSbjfztFk, ErrorMessage, serial, ready, result);
}

}  // namespace velmor
