// Asynchronous server jobs, one at a time: the body is submitted (SubmitAsync) under a fresh
// serial and its answer asked for (PollAsync). The steps alone serve the two-step operations
// (submit now, collect later: server_call.h); CallAsync runs both, polling until the server
// answers: polls start 20 ms apart and back off to 2000 ms, at most 150 of them, so a quick
// answer is taken at once and a slow server is not flooded.
//
// CallAsync uses its own network object (CreateConnection), so the last error it reads is its
// own; while waiting it lets the host process its messages. One thread at a time; the host's
// components must have been obtained on the main thread first (framework/host_access.h).
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "codec/taxml_exchange.h"
#include "velmor/net_comm.h"
#include "velmor/progress_view.h"

namespace velmor::service {

// Submits the body of `call` under a fresh serial and returns the serial. Raises taxml::Failure
// with the network's text when the server refuses the job.
std::string SubmitJob(INetCommIntf& net, const taxml::Call& call, const std::string& djxh);

// Asks once for the answer of the job `serial` of `serviceCode`: std::nullopt while it is still
// pending, its response text once answered. Raises taxml::Failure with the network's text when
// the job failed (or the server does not know it).
std::optional<std::string> PollJob(INetCommIntf& net, const std::string& serviceCode, const std::string& serial);

// Polls the job `serial` until it answers or `patience` has passed since the call: its response
// text, or std::nullopt when the time ran out with the job still pending (the caller decides
// whether to wait again). Polls start 20 ms apart and back off to `longestWait`; the progress view
// steps meanwhile. Raises taxml::Failure like PollJob.
std::optional<std::string> AwaitJob(INetCommIntf& net, const std::string& serviceCode, const std::string& serial,
                                    std::chrono::milliseconds patience, std::chrono::milliseconds longestWait,
                                    IProgressView* progress);

// Submits and waits: the response text of the answered job. Raises taxml::Failure with the
// network's text when the server refuses the job or the job fails, and "等待反馈超时" when it
// never answers.
std::string CallAsync(const taxml::Call& call, IProgressView* progress);

}  // namespace velmor::service
