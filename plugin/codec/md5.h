// MD5 digests in lower-case hexadecimal, for identities of records (never for security).
// Pure functions; safe on any thread.
#pragma once

#include <string>
#include <string_view>

namespace velmor {

// The 32 hexadecimal digits of the MD5 digest of the bytes. Raises velmor::Exception when the
// crypto library fails.
std::string Md5Hex(std::string_view bytes);

}  // namespace velmor
