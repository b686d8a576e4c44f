// TYjxxServiceImpl: the download of payable information ("0027"), the store's listings for the
// current payer, the export and the residents' collected-information query ("0238").
#include "declaration/yjxx_service.h"

#include <nlohmann/json.hpp>

#include "business/debug_log.h"
#include "codec/json_parse.h"
#include "codec/taxml_exchange.h"
#include "declaration/yjxx_answer.h"
#include "declaration/yjxx_dao.h"
#include "framework/boundary.h"
#include "framework/host_access.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "service/server_call.h"
#include "service/taxml_json.h"
#include "velmor/response_taker.h"
#include "velmor/yjxx_dao.h"

namespace velmor {

namespace {

using Json = nlohmann::ordered_json;
using service::OpRefusal;

constexpr const char* kNoDao = "创建平台组件接口[IYjxxDao]失败！";
constexpr const char* kBusy = "后台任务正在运行，请稍候";
inline constexpr service::OpRow kCxjmzjxxCx{"TYjxxServiceImpl", "synCxjmzjxxCx", "0238", "查询异常：", "",
                                           "cxjmzjxxList", service::AnswerKind::kJson};

Ref<IYjxxDao> Dao() { return CreatePluginService<IYjxxDao>(kNoDao); }

// The condition with the current payer's djxh (a "djxh" of the caller is replaced).
std::string WithPayer(const std::string& qc) {
  Json c = qc.empty() ? Json::object() : ParseOutsideJson<Json>(qc);
  if (!c.is_object()) throw OpRefusal("查询条件不是JSON对象。");
  c["djxh"] = CurrentDjxh();
  return c.dump();
}

// Sends the request on `net`, synchronously or as a one-request batch, and answers the request
// holding the outcome.
Ref<IRequest> Send(INetCommIntf& net, IRequest& req, bool batch, IProgressView* progress) {
  if (!batch) {
    net.Execute(&req, progress, 50, 0, 0);
    return Ref<IRequest>(&req);
  }
  const int32_t b = net.BeginBatch();
  if (b <= 0 || !net.AddToBatch(b, &req)) {
    const std::string why = net.GetLastErrorText();
    if (b > 0) net.EndBatch(b);
    throw taxml::Failure("请求失败：" + why);
  }
  Ref<IRequest> done;
  bool more = false;
  const bool got = net.NextBatchResult(b, done, 0, more);
  const std::string why = net.GetLastErrorText();
  net.EndBatch(b);
  if (!got || !done) throw taxml::Failure("请求失败：" + why);
  if (progress) progress->SetPosition(progress->GetPosition() + 50);
  return done;
}

}  // namespace

bool TYjxxServiceImpl::Op(const char* op, bool bracketed, std::string& message, const std::function<void()>& body) {
  ErrorMessage.clear();
  message.clear();
  const bool ok = Attempt<OpRefusal, taxml::Failure>(
      {"TYjxxServiceImpl", op, bracketed ? LogForm::kBracketed : LogForm::kTrailing},
      {"系统异常：", true, UnknownText::kShown}, &message, body);
  ErrorMessage = message;
  return ok;
}

bool TYjxxServiceImpl::downloadData(const std::string& jfnd, const std::string& options, IProgressView* progress,
                                    int32_t& count, std::string& message) {
  count = 0;
  if (downloading_) {
    message = ErrorMessage = kBusy;
    return false;
  }
  downloading_ = true;
  const bool ok = Op("downloadData", true, message, [&] {
    const Json opts = options.empty() ? Json::object() : ParseOutsideJson<Json>(options);
    if (!opts.is_object()) throw OpRefusal("下载参数不是JSON对象。");
    const std::string djxh = CurrentDjxh();
    std::string office = opts.value("zgswjgDm", "");
    if (office.empty()) office = GetSyspzxx()->GetValue("zgswjgDm");
    if (!net_) net_ = GetNetComm()->CreateConnection();
    if (!net_) throw Exception("创建平台组件接口失败！");
    Ref<IRequest> req = net_->CreateRequest();
    const std::string yblsh = NewSerialNo();
    req->SetServiceCode("0027");
    req->SetSerialNo(yblsh);
    req->SetBody(Json{{"yblsh", yblsh}, {"djxh", djxh}, {"zgswjgDm", office}, {"jfnd", jfnd}}.dump());
    WriteBusinessLog("开始发起请求 [" + yblsh + "]");
    Ref<IRequest> done = Send(*net_, *req, opts.value("batch", false), progress);
    WriteBusinessLog("结束发起请求 [" + yblsh + "]");
    const int32_t status = done->GetStatus();
    if (status == -1) {
      const std::string why = done->GetErrorText().empty() ? net_->GetLastErrorText() : done->GetErrorText();
      throw taxml::Failure("请求失败：" + why);
    }
    const std::string data = done->GetResponseData();
    const std::string response = TakeResponse(*done);  // tens of MB, not copied
    // A refusal ("10042"), or an answer without a document ("null"), stores nothing.
    if (status != 2 || data == "10042" || response.empty()) {
      throw taxml::Failure("[" + data + "]" + done->GetReturnMessage());
    }
    Ref<IYjxxDao> dao = Dao();
    const bool zjyxrq = opts.value("zjyxrq_enabled", "") == "Y";
    bool stored = false;
    if (auto* own = dynamic_cast<TYjxxDaoImpl*>(dao.get())) {
      // The plug-in's own store takes the rows one at a time as the answer is read (never a tree
      // of them all, and no reading ahead only to check the answer): an answer refused at its end
      // keeps nothing of it. A text the streaming reader declines is read as a document instead.
      WriteBusinessLog("开始解析反馈");
      service::FastListOnce once = declaration::ReadYjxxAnswerOnce(response);
      WriteBusinessLog("结束解析反馈");
      service::FastListOnce::Read read = service::FastListOnce::Read::kDeclined;
      stored = own->updateRows(
          djxh,
          [&](const TYjxxDaoImpl::RowSink& store) {
            read = once.ForEach(store);
            return read == service::FastListOnce::Read::kAccepted;
          },
          zjyxrq);
      if (stored && read == service::FastListOnce::Read::kDeclined) {
        const service::FastList rows = declaration::ReadYjxxAnswer(response);
        stored = own->updateRows(
            djxh,
            [&](const TYjxxDaoImpl::RowSink& store) {
              rows.ForEach(store);
              return true;
            },
            zjyxrq);
        count = static_cast<int32_t>(rows.Count());
      } else if (stored) {
        once.Check();
        count = static_cast<int32_t>(once.Count());
      }
    } else {
      WriteBusinessLog("开始解析反馈");
      const service::FastList rows = declaration::ReadYjxxAnswer(response);
      WriteBusinessLog("结束解析反馈");
      Json all = Json::array();
      rows.ForEach([&](const Json& r) { all.push_back(r); });
      stored = dao->updateData(djxh, all.dump(), zjyxrq);
      count = static_cast<int32_t>(rows.Count());
    }
    if (!stored) {
      count = 0;
      throw OpRefusal(dao->GetErrorMessage());
    }
  });
  downloading_ = false;
  return ok;
}

std::string TYjxxServiceImpl::getData(const std::string& qc, int32_t page, int32_t pageSize) {
  std::string rows = "[]", message;
  Op("getData", false, message, [&] {
    Ref<IYjxxDao> dao = Dao();
    std::string out;
    if (!dao->getData(WithPayer(qc), page, pageSize, out)) throw OpRefusal(dao->GetErrorMessage());
    rows = out;
  });
  return rows;
}

int32_t TYjxxServiceImpl::getCount(const std::string& qc) {
  int32_t n = -1;
  std::string message;
  Op("getCount", false, message, [&] {
    Ref<IYjxxDao> dao = Dao();
    int32_t c = 0;
    if (!dao->getCount(WithPayer(qc), c)) throw OpRefusal(dao->GetErrorMessage());
    n = c;
  });
  return n;
}

std::string TYjxxServiceImpl::getStatistics() {
  std::string stats = "{}", message;
  Op("getStatistics", false, message, [&] {
    Ref<IYjxxDao> dao = Dao();
    std::string out;
    if (!dao->getStatistics(CurrentDjxh(), out)) throw OpRefusal(dao->GetErrorMessage());
    stats = out;
  });
  return stats;
}

std::string TYjxxServiceImpl::getJfnd() {
  std::string years = "[]", message;
  Op("getJfnd", false, message, [&] {
    Ref<IYjxxDao> dao = Dao();
    std::string out;
    if (!dao->getJfnd(CurrentDjxh(), out)) throw OpRefusal(dao->GetErrorMessage());
    years = out;
  });
  return years;
}

bool TYjxxServiceImpl::synCxjmzjxxCx(const std::string& params, std::string& rows, std::string& message) {
  rows = "[]";
  return Op("synCxjmzjxxCx", false, message, [&] {
    Json p = service::ParseParams(params);
    Json job = Json::object();
    for (const char* key : {"cxjmList", "cxjmDjxhList", "sbjbjgDmList", "sjlyList"}) {
      if (p.contains(key)) job[key] = p[key];
    }
    std::vector<Json> answers = service::ExchangeJobs(kCxjmzjxxCx, CurrentDjxh(), {job}, nullptr);
    Json list = answers.empty() ? Json::array() : answers.front().value("cxjmzjxxList", Json::array());
    rows = list.dump();
  });
}

bool TYjxxServiceImpl::synCxjmzjxxCxFk(const std::string& params, const std::string& wanted, std::string& rows,
                                       std::string& message) {
  rows = "[]";
  std::string found;
  if (!synCxjmzjxxCx(params, found, message)) return false;
  return Op("synCxjmzjxxCxFk", false, message, [&] {
    const Json want = ParseOutsideJson<Json>(wanted);
    if (!want.is_array()) throw OpRefusal("匹配条件不是JSON数组。");
    const Json have = ParseOutsideJson<Json>(found);
    Json out = Json::array();
    for (Json w : want) {
      if (!w.is_object()) throw OpRefusal("匹配条件不是JSON对象数组。");
      w["yjfe"] = "";
      w["cxjmsbbm"] = "";
      for (const Json& h : have) {
        bool same = true;
        for (const char* key : {"sbjbjgDm", "zsxmDm", "zspmDm", "zszmDm"}) {
          same = same && h.value(key, "") == w.value(key, "");
        }
        if (!same) continue;
        w["yjfe"] = h.value("yjfe", "");
        w["cxjmsbbm"] = h.value("cxjmsbbm", "");
        break;
      }
      out.push_back(std::move(w));
    }
    rows = out.dump();
  });
}

namespace {
void RegisterYjxxService() {
  RegisterServiceClass(ServiceRowAt(kRowTYjxxServiceImpl).iid, &ClassOf<TYjxxServiceImpl>::Instance());
}
void UnregisterYjxxService() { UnregisterServiceClass(ServiceRowAt(kRowTYjxxServiceImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(21, velmor::RegisterYjxxService, velmor::UnregisterYjxxService)
