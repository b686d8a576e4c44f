#include "store/background/ini_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include "codec/file_utils.h"
#include "velmor/exceptions.h"

namespace velmor {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

void RequireSingleLine(std::string_view what, std::string_view text) {
  if (text.find_first_of("\r\n") != std::string_view::npos) throw Exception("INI" + std::string(what) + "不能包含换行符");
}

}  // namespace

bool IniFile::Load(std::string* error) {
  preamble_.clear();
  sections_.clear();
  int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return true;  // missing: empty
    *error = "无法读取文件" + path_;
    return false;
  }
  std::string text;
  char buf[65536];
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    text.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  if (!ok) {
    *error = "无法读取文件" + path_;
    return false;
  }
  Parse(text);
  return true;
}

void IniFile::Parse(std::string_view text) {
  preamble_.clear();
  sections_.clear();
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a UTF-8 byte-order mark
  size_t current = SIZE_MAX;  // index of the section being read; SIZE_MAX: the preamble
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty()) continue;
    std::vector<Line>& target = current == SIZE_MAX ? preamble_ : sections_[current].lines;
    if (line.front() == ';' || line.front() == '#' || (current == SIZE_MAX && line.front() != '[')) {
      target.push_back({std::string(line), {}, true});  // comments, and text before any section
    } else if (line.front() == '[' && line.back() == ']') {
      std::string name(Trim(line.substr(1, line.size() - 2)));
      current = SIZE_MAX;
      for (size_t i = 0; i < sections_.size(); ++i)
        if (SameName(sections_[i].name, name)) current = i;  // a repeated header continues its section
      if (current == SIZE_MAX) {
        sections_.push_back({std::move(name), {}});
        current = sections_.size() - 1;
      }
    } else {
      size_t eq = line.find('=');
      std::string key(Trim(line.substr(0, eq)));
      std::string value = eq == std::string_view::npos ? std::string() : std::string(Trim(line.substr(eq + 1)));
      bool found = false;
      for (const Line& l : target) found = found || (!l.comment && SameName(l.key, key));
      if (!found) target.push_back({std::move(key), std::move(value), false});  // the first occurrence wins
    }
  }
}

std::string IniFile::Text() const {
  std::string out;
  for (const Line& l : preamble_) out += l.key + "\r\n";
  for (const Section& s : sections_) {
    out += "[" + s.name + "]\r\n";
    for (const Line& l : s.lines) out += l.comment ? l.key + "\r\n" : l.key + "=" + l.value + "\r\n";
  }
  return out;
}

bool IniFile::Save(std::string* error) const {
  std::string reason;
  if (WriteFileAtomically(path_, Text(), reason)) return true;
  *error = "无法写入文件" + path_;
  return false;
}

IniFile::Section* IniFile::Find(std::string_view section) {
  for (Section& s : sections_)
    if (SameName(s.name, section)) return &s;
  return nullptr;
}

const IniFile::Section* IniFile::Find(std::string_view section) const {
  for (const Section& s : sections_)
    if (SameName(s.name, section)) return &s;
  return nullptr;
}

std::vector<std::string> IniFile::Sections() const {
  std::vector<std::string> names;
  for (const Section& s : sections_) names.push_back(s.name);
  return names;
}

bool IniFile::SectionExists(std::string_view section) const { return Find(section) != nullptr; }

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  if (const Section* s = Find(section)) {
    for (const Line& l : s->lines)
      if (!l.comment && SameName(l.key, key)) return l.value;
  }
  return std::string(def);
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  RequireSingleLine("节名", section);
  RequireSingleLine("键名", key);
  RequireSingleLine("值", value);
  std::string_view name = Trim(section), k = Trim(key);
  if (name.empty() || name.find(']') != std::string_view::npos) throw Exception("INI节名无效：" + std::string(section));
  if (k.empty() || k.find('=') != std::string_view::npos || k.front() == '[' || k.front() == ';' || k.front() == '#')
    throw Exception("INI键名无效：" + std::string(key));
  Section* s = Find(name);
  if (!s) {
    sections_.push_back({std::string(name), {}});
    s = &sections_.back();
  }
  for (Line& l : s->lines) {
    if (!l.comment && SameName(l.key, k)) {
      l.value = std::string(Trim(value));
      return;
    }
  }
  s->lines.push_back({std::string(k), std::string(Trim(value)), false});
}

void IniFile::EraseSection(std::string_view section) {
  std::erase_if(sections_, [&](const Section& s) { return SameName(s.name, section); });
}

}  // namespace velmor
