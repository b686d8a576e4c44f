// The nesting bound of JSON read from outside (server answers and envelopes, the rule file,
// scenario files, texts handed in by a host): a text that nests arrays and objects deeper than
// kMaxJsonDepth is refused before it is parsed, so no recursive walk over a parsed value (copy,
// dump, comparison, destruction) can exhaust the stack. Shared by the plug-in, the host, the
// simulator and the command line.
//
// Stateless functions; any thread. Depends on nothing, so the simulator includes it too.
#pragma once

#include <string>
#include <string_view>


namespace velmor {

inline constexpr int kMaxJsonDepth = 512;

// True when `text` nests arrays and objects at most `limit` deep; brackets inside strings do not
// count. Malformed text is measured as far as it goes (the parser reports what is wrong with it).
inline bool JsonDepthWithin(std::string_view text, int limit = kMaxJsonDepth) noexcept {
  int depth = 0;
  bool inString = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) return false;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return true;
}

// The message of a refused text: "JSON嵌套超过512层".
inline std::string JsonTooDeepText(int limit = kMaxJsonDepth) {
  return "JSON嵌套超过" + std::to_string(limit) + "层";
}

}  // namespace velmor
