#include "codec/taxml_exchange.h"
#include "codec/taxml_encoded_ahead.h"

#include <system_error>

#include "codec/json_out.h"
#include "framework/boundary.h"
#include "framework/host_access.h"
#include "framework/log.h"
#include "velmor/response_taker.h"

namespace velmor::taxml {

namespace {

std::string BuildBody(const Call& call, const std::string& yblsh, const std::string& djxh, const std::string& data) {
  nlohmann::ordered_json body = nlohmann::ordered_json::object(), tail = nlohmann::ordered_json::object();
  if (call.serial != Call::Serial::kNone) body["yblsh"] = yblsh;
  for (auto it = call.keys.begin(); it != call.keys.end(); ++it) body[it.key()] = it.value();
  // Without written keys the body is one object, so a key may take the place of one named later.
  nlohmann::ordered_json& rest = call.writtenKeys.empty() ? body : tail;
  if (call.djxh) rest["djxh"] = djxh;
  if (call.document) rest[std::string(call.document->Type().bodyKey)] = data;
  try {
    std::string text = body.dump();
    if (call.writtenKeys.empty()) return text;
    text.pop_back();  // '}'
    for (const auto& [name, value] : call.writtenKeys) {
      if (text.size() > 1) text += ',';
      AppendJsonString(text, name);
      text += ':';
      text += value;
    }
    const std::string after = tail.dump();
    if (after.size() > 2) text += ',';
    text.append(after, 1);
    return text;
  } catch (const nlohmann::json::type_error&) {
    throw Exception("请求报文含无效的UTF-8文本");
  }
}

// Runs one building step; its failure reaches the user as kBuildFailed, the log as its cause.
template <class F>
std::string Built(F&& step) {
  try {
    return step();
  } catch (const Failure&) {
    throw;
  } catch (const std::exception& e) {
    throw Failure(kBuildFailed, e.what());
  }
}

std::string EncodedDocument(const Call& call) {
  return Built([&] { return call.document ? EncodeData(*call.document) : std::string(); });
}

}  // namespace

std::string BodyText(const Call& call, const std::string& yblsh, const std::string& djxh) {
  const std::string data = EncodedDocument(call);
  return Built([&] { return BuildBody(call, yblsh, djxh, data); });
}

std::string Reply::RefusalCode() const { return Refused() && request ? request->GetResponseData() : std::string(); }

void Reply::RequireSuccess() const {
  if (!Succeeded()) throw Failure(error);
}

std::string Reply::TakeResponse() {
  if (!request) return {};
  Ref<IRequest> held = std::move(request);
  return velmor::TakeResponse(*held);
}

namespace {

// Sends the call with its document already encoded (`data`).
Reply SendEncoded(const Call& call, const std::string& data) {
  std::string djxh = call.djxh ? CurrentDjxh() : std::string();
  Ref<INetCommIntf> net = call.net ? Ref<INetCommIntf>(call.net) : GetNetComm();

  Reply reply;
  reply.successStatus = call.successStatus;
  reply.request = net->CreateRequest();
  if (!reply.request) throw Exception("创建网络请求失败");
  reply.request->SetServiceCode(call.serviceCode);
  if (call.serial == Call::Serial::kFresh) {
    reply.request->SetSerialNo(NewSerialNo());
    reply.yblsh = reply.request->GetSerialNo();
  } else if (call.serial == Call::Serial::kGiven) {
    reply.yblsh = call.yblsh;
  }
  reply.request->SetBody(Built([&] { return BuildBody(call, reply.yblsh, djxh, data); }));

  reply.status = net->Execute(reply.request.get(), call.progress, call.progressValue, 0, 0);
  if (reply.Succeeded()) return reply;
  if (reply.status == -1) {
    reply.error = net->GetLastErrorText();
  } else if (reply.status == -2) {
    reply.error = reply.request->GetReturnMessage();
  } else {
    reply.error = "服务端应答状态异常：" + std::to_string(reply.status);
  }
  if (reply.error.empty()) reply.error = "网络请求失败，状态：" + std::to_string(reply.status);
  return reply;
}

}  // namespace

Reply Send(const Call& call) {
  // Everything that can fail while building runs before the network is touched.
  return SendEncoded(call, EncodedDocument(call));
}

namespace {

std::string PreparedAndEncoded(const Call& call, const std::function<void()>& prepare) {
  if (prepare) Built([&] {
      prepare();
      return std::string();
    });
  return EncodedDocument(call);
}

}  // namespace

EncodedAhead::EncodedAhead(const Call& call, std::function<void()> prepare)
    : call_(call), prepare_(std::move(prepare)) {
  try {
    data_ = std::async(std::launch::async, [&call, this] { return PreparedAndEncoded(call, prepare_); });
  } catch (const std::system_error&) {
    // No thread: Data() prepares and encodes.
  }
}

std::string& EncodedAhead::Data() {
  if (failed_) std::rethrow_exception(failed_);
  if (!ready_) {
    try {
      ready_ = data_.valid() ? data_.get() : PreparedAndEncoded(call_, prepare_);
    } catch (...) {
      failed_ = std::current_exception();
      throw;
    }
  }
  return *ready_;
}

void EncodedAhead::Wait() { (void)Data(); }

Reply Send(const Call& call, EncodedAhead& encoded) {
  if (&call != &encoded.call_) throw Exception("EncodedAhead belongs to another call");
  const std::string data = std::move(encoded.Data());  // goes with the sending, not the EncodedAhead
  encoded.ready_ = std::string();
  return SendEncoded(call, data);
}

bool Guard(std::string_view where, const std::string& userMessage, std::string& error,
           const std::function<void()>& body) {
  return Attempt<Failure>({where}, {userMessage, false, UnknownText::kShown}, &error, body);
}

}  // namespace velmor::taxml
