// HostConfig: the host configuration file "velmor.conf" of a data directory (docs/host-config.md).
//
// An INI-like text: "[section]" headers, "key = value" entries, comment lines beginning with "#"
// or ";", blank lines. Section names and keys compare without regard to ASCII case; values are
// taken verbatim after trimming (no quoting, no inline comments, so "#" may appear in a value).
// Parsing is strict: a malformed line, a duplicate section or a duplicate key is an error naming
// the file and line. Comments and the order of lines survive Set and Save, so a file edited by hand
// keeps its notes. A HostConfig is a value; const operations are safe to share between threads.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmor::host {

class HostConfig {
 public:
  static constexpr const char* kFileName = "velmor.conf";

  // Well-known sections and keys. A module's platform settings live in a section named after the
  // module key ("[M8]").
  static constexpr const char* kServer = "server";      // url
  static constexpr const char* kPortal = "portal";      // djxh
  static constexpr const char* kDiffer = "differ";      // any key = value
  static constexpr const char* kLog = "log";            // level
  static constexpr const char* kPlatform = "platform";  // name

  HostConfig() = default;

  // Parses text; `origin` names the source in messages. Raises HostError
  // "<origin>:<line>: <problem>".
  static HostConfig Parse(std::string_view text, const std::string& origin);
  // Reads a file. A file that does not exist is an empty configuration; one that cannot be read
  // or is malformed raises HostError.
  static HostConfig Load(const std::string& path);
  // The commented skeleton that `velmor init` starts a new file from.
  static HostConfig Template();

  // Writes the whole file to a temporary name beside `path` and renames it, so a failed write
  // leaves the old file intact. Raises HostError.
  void Save(const std::string& path) const;
  std::string ToText() const;

  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  std::string Get(std::string_view section, std::string_view key, std::string_view fallback = {}) const;
  // The entries of a section in file order, keys as written; empty when there is no such section.
  std::vector<std::pair<std::string, std::string>> Section(std::string_view section) const;
  bool HasSection(std::string_view section) const;

  // Sets a value, adding the section and key when missing. Raises HostError for a name or value
  // that would not read back the same (line breaks, "=" or brackets in names, spaces at the ends).
  void Set(std::string_view section, std::string_view key, std::string_view value);

 private:
  enum class Kind { kOther, kSection, kEntry };
  struct Line {
    Kind kind = Kind::kOther;
    std::string text;     // as read; empty for an entry changed since (rendered afresh)
    std::string section;  // the section the line belongs to
    std::string key;
    std::string value;
  };

  const Line* FindEntry(std::string_view section, std::string_view key) const;

  std::vector<Line> lines_;
};

}  // namespace velmor::host
