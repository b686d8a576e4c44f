// gzip packing of texts through zlib: one gzip member (header bytes 31, 139, 8; deflate at the
// default level with memory level 9 and the default strategy; CRC-32 and length trailer) and
// its inverse. Request documents are packed with it; responses and compressed JSON chunks are
// unpacked with it.
//
// Stateless functions; safe to call from any thread. Texts are byte strings.
#pragma once

#include <string>
#include <string_view>

namespace velmor {

// One gzip member holding data. Raises velmor::Exception only when zlib cannot get memory.
std::string GzipCompress(std::string_view data);

// The content of the one gzip member `member`. A member that is not gzip, is damaged (bad
// deflate data, CRC-32 or length mismatch), is cut short, or is followed by further bytes raises
// velmor::Exception with a message starting "gzip解压失败：" and naming the fault.
std::string GzipDecompress(std::string_view member);

}  // namespace velmor
