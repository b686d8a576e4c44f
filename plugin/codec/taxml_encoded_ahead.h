// EncodedAhead: a call's request document encoded on a second thread while the caller does what
// must come before the call is sent.
//
// A declaration is journaled before it is sent, and the journal of 200,000 persons is a store of
// its own; encoding the document (its text to GBK, gzip, Base64) meanwhile takes that part off
// the sending. The constructor starts the encoding of `call.document`; Send(call, encoded) waits
// for it and sends the encoded text, exactly the body Send(call) would have sent. A failure to
// encode is raised by that Send, as Send(call) raises it (Failure with kBuildFailed), before
// anything is sent. Where no thread can be started, Send encodes the document itself.
//
// With `prepare`, that thread first runs it to fill the call's document: a submission's document
// is then built beside the journal too. A failure of `prepare` is raised as an encoding failure.
// Wait waits for the encoding and raises its failure, so that a caller can tell, before sending,
// that nothing will be sent.
//
// Ownership: the caller owns both; the call and its document (and what `prepare` reads) must
// outlive the EncodedAhead, whose destructor waits for the encoding. Thread rule: the encoding
// only reads the document; the caller must not touch the call's document (nor what `prepare`
// reads, but for reading) until Wait or Send has returned. One Send per EncodedAhead.
#pragma once

#include <exception>
#include <functional>
#include <future>
#include <optional>
#include <string>

#include "codec/taxml_exchange.h"

namespace velmor::taxml {

class EncodedAhead {
 public:
  explicit EncodedAhead(const Call& call, std::function<void()> prepare = nullptr);
  EncodedAhead(const EncodedAhead&) = delete;
  EncodedAhead& operator=(const EncodedAhead&) = delete;

  // Waits for the document to be prepared and encoded; raises the failure Send would raise.
  void Wait();

 private:
  friend Reply Send(const Call& call, EncodedAhead& encoded);
  std::string& Data();

  const Call& call_;
  std::function<void()> prepare_;  // run by the thread, or by Data() when there was none
  std::future<std::string> data_;  // not valid: encoded by Data()
  std::optional<std::string> ready_;
  std::exception_ptr failed_;
};

Reply Send(const Call& call, EncodedAhead& encoded);

}  // namespace velmor::taxml
