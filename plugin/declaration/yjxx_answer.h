// Reading the answer of a payable-information download ("0027"): the response text is Base64 of
// a gzip member holding a UTF-8 taxML document, read as it is unpacked (the answer can be large:
// neither its document nor its whole text is held; service/fast_answer.h).
//
// Plain function; any thread.
#pragma once

#include <string_view>

#include "service/fast_answer.h"

namespace velmor::declaration {

// The rows of `sbfWsbZjxxDetailList`, each handed as an object of its child elements' texts.
// Raises taxml::Failure "【code】message" (the message rendered) when the code is not "00000", and
// another exception when the text does not decode or parse.
service::FastList ReadYjxxAnswer(std::string_view responseText);
// The same list read once, for a store that can undo it (FastListOnce).
service::FastListOnce ReadYjxxAnswerOnce(std::string_view responseText);

}  // namespace velmor::declaration
