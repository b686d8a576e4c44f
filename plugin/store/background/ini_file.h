// IniFile: a reader and writer of INI text files (the task file "Task/TaskFile.ini"): sections
// "[name]" holding "key=value" lines, in file order.
//
// Section and key names compare without regard to ASCII case, as the classic INI routines do;
// blanks around names and values are trimmed; lines starting with ';' or '#' are comments and
// are kept where they stand. Values are single lines: WriteString refuses a value, key or section
// holding a line break (and a key holding '=' or a section holding ']'), raising
// velmor::Exception, so nothing written can change the file's structure.
//
// Changes are made in memory; Save writes the whole file to a temporary file beside it and
// renames it over the old one, so a crash leaves either the old or the new file, never a mix.
// A plain value: not locked (the task code serialises its file accesses).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmor {

class IniFile {
 public:
  // An empty file at `path`; call Load to read it.
  explicit IniFile(std::string path) : path_(std::move(path)) {}

  // Reads the file; a missing file reads as empty. False with *error when it cannot be read.
  bool Load(std::string* error);
  // Parses INI text (what Load does after reading).
  void Parse(std::string_view text);
  // Writes the file atomically; false with *error (the old file stays as it was).
  bool Save(std::string* error) const;
  // The text Save writes.
  std::string Text() const;

  const std::string& Path() const { return path_; }
  std::vector<std::string> Sections() const;
  bool SectionExists(std::string_view section) const;
  // The value, or `def` when the section or key is absent.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def = {}) const;
  // Sets the value, adding the section and key when missing.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Removes the section with its keys; nothing when absent.
  void EraseSection(std::string_view section);

 private:
  struct Line {
    std::string key, value;
    bool comment = false;  // key holds the whole line
  };
  struct Section {
    std::string name;
    std::vector<Line> lines;
  };

  Section* Find(std::string_view section);
  const Section* Find(std::string_view section) const;

  std::string path_;
  std::vector<Line> preamble_;  // comments before the first section
  std::vector<Section> sections_;
};

}  // namespace velmor
