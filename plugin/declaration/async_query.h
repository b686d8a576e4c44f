// One asynchronous server call: the body is submitted (SubmitAsync) under a fresh serial, then
// polled (PollAsync) until the server answers. Polls start 20 ms apart and back off to 2000 ms,
// at most 150 of them, so a quick answer is taken at once and a slow server is not flooded.
//
// The call uses its own network object (CreateConnection), so the last error it reads is its
// own. While waiting it lets the host process its messages. One thread at a time; the host's
// components must have been obtained on the main thread first (taxml_host.h).
#pragma once

#include <string>

#include "codec/taxml_exchange.h"
#include "velmor/progress_view.h"

namespace velmor::declaration {

// The response text of the answered job. Raises taxml::Failure with the network's text when the
// server refuses the job or the job fails, and "等待反馈超时" when it never answers.
std::string CallAsync(const taxml::Call& call, IProgressView* progress);

}  // namespace velmor::declaration
