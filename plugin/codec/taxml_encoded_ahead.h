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
// Ownership: the caller owns both; the call and its document must outlive the EncodedAhead,
// whose destructor waits for the encoding. Thread rule: the encoding only reads the document;
// the caller must not change the call's document until Send has returned. One Send per
// EncodedAhead.
#pragma once

#include <future>
#include <string>

#include "codec/taxml_exchange.h"

namespace velmor::taxml {

class EncodedAhead {
 public:
  explicit EncodedAhead(const Call& call);
  EncodedAhead(const EncodedAhead&) = delete;
  EncodedAhead& operator=(const EncodedAhead&) = delete;

 private:
  friend Reply Send(const Call& call, EncodedAhead& encoded);
  const Call& call_;
  std::future<std::string> data_;  // not valid: encoded by Send
};

Reply Send(const Call& call, EncodedAhead& encoded);

}  // namespace velmor::taxml
