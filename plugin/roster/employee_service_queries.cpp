// The person queries of the employee service: registrations ("0032", "0086"), payment
// registrations ("0033"), collection information ("0036"), payment grades ("0042"), bank
// accounts ("0060"), amounts due ("0061"), verification ("0063"), fees paid ("0080") and the
// assessment data of flexibly employed persons ("0122"). Each is one row of employee_ops.h.
#include "roster/employee_ops.h"
#include "roster/employee_service.h"
#include "codec/json_parse.h"

namespace velmor {

using service::Json;

bool TEmployeeServiceImpl::Op(const service::OpRow& row, std::string& message, const std::function<void()>& body) {
  ErrorMessage.clear();
  const bool ok = service::RunOp(row, message, body);
  ErrorMessage = message;
  return ok;
}

bool TEmployeeServiceImpl::Query(const service::OpRow& row, const std::string& djxh, const std::string& params,
                                 IProgressView* progress, std::string& result, std::string& message) {
  result.clear();
  return Op(row, message, [&] {
    service::OpCall call{djxh, service::ParseParams(params), progress, {}};
    result = service::Exchange(row, call).dump();
  });
}

namespace {

// The Ex forms: an empty answer list is a refusal the user reads as it stands.
bool RequireFound(bool ok, const std::string& result, const char* list, std::string& message) {
  if (!ok) return false;
  Json answer = ParseOutsideJson<Json>(result, false);
  if (answer.is_object() && answer.contains(list) && !answer[list].empty()) return true;
  message = roster::kNoJmxx;
  return false;
}

}  // namespace

bool TEmployeeServiceImpl::ZrrDjxxCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                                     std::string& result, std::string& message) {
  return Query(roster::kZrrDjxxCx, djxh, params, progress, result, message);
}

bool TEmployeeServiceImpl::ZrrDjxxCxEx(const std::string& djxh, const std::string& params, IProgressView* progress,
                                       std::string& result, std::string& message) {
  const bool ok = Query(roster::kZrrDjxxCxEx, djxh, params, progress, result, message);
  if (RequireFound(ok, result, roster::kZrrDjxxCxEx.list, message)) return true;
  ErrorMessage = message;
  return false;
}

bool TEmployeeServiceImpl::ZrrJfdjxxCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                                       std::string& result, std::string& message) {
  return Query(roster::kZrrJfdjxxCx, djxh, params, progress, result, message);
}

bool TEmployeeServiceImpl::DgCxjmZjxxCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                                        std::string& result, std::string& message) {
  return Query(roster::kDgCxjmZjxxCx, djxh, params, progress, result, message);
}

bool TEmployeeServiceImpl::ZrrJfbzcx(const std::string& djxh, const std::string& params, IProgressView* progress,
                                     std::string& result, std::string& message) {
  return Query(roster::kZrrJfbzcx, djxh, params, progress, result, message);
}

bool TEmployeeServiceImpl::synCxYhzhxx(const std::string& djxh, const std::string& params, IProgressView* progress,
                                       std::string& result, std::string& message) {
  return Query(roster::kSynCxYhzhxx, djxh, params, progress, result, message);
}

bool TEmployeeServiceImpl::synYjfeCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                                     std::string& result, std::string& message) {
  return Query(roster::kSynYjfeCx, djxh, params, progress, result, message);
}

bool TEmployeeServiceImpl::jfrxxYz(const std::string& djxh, const std::string& params, IProgressView* progress,
                                   std::string& result, std::string& message) {
  return Query(roster::kJfrxxYz, djxh, params, progress, result, message);
}

bool TEmployeeServiceImpl::synSbfjfqdCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                                        std::string& result, std::string& message) {
  result.clear();
  return Op(roster::kSynSbfjfqdCx, message, [&] {
    service::OpCall call{djxh, service::ParseParams(params), progress, {}};
    const Json* list = call.params.contains("rybhList") ? &call.params["rybhList"] : nullptr;
    if (!list || !list->is_array() || list->empty()) throw service::OpRefusal(roster::kEmptyRybhList);
    result = service::Exchange(roster::kSynSbfjfqdCx, call).dump();
  });
}

bool TEmployeeServiceImpl::synZrrJfdjxxcx(const std::string& djxh, const std::string& params, IProgressView* progress,
                                          std::string& result, std::string& message) {
  return Query(roster::kSynZrrJfdjxxcx, djxh, params, progress, result, message);
}

bool TEmployeeServiceImpl::synZrrJfdjxxcxEx(const std::string& djxh, const std::string& params, IProgressView* progress,
                                            std::string& result, std::string& message) {
  const bool ok = Query(roster::kSynZrrJfdjxxcxEx, djxh, params, progress, result, message);
  if (RequireFound(ok, result, roster::kSynZrrJfdjxxcxEx.list, message)) return true;
  ErrorMessage = message;
  return false;
}

bool TEmployeeServiceImpl::synLhjyryyclxxCx(const std::string& djxh, const std::string& params, IProgressView* progress,
                                            std::string& result, std::string& message) {
  return Query(roster::kSynLhjyryyclxxCx, djxh, params, progress, result, message);
}

}  // namespace velmor
