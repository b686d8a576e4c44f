#include "host/host_config.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "host/host_error.h"
#include "host/text_util.h"

namespace velmor::host {
namespace {

constexpr std::string_view kTemplate = R"(# Velmor host configuration (docs/host-config.md).
# "key = value" lines under a [section]; lines beginning with # or ; are comments.

[server]
# Address of the tax administration's server.
url =

[portal]
# Registration serial number (djxh) of the current payer.
djxh =

[functions]
# Function codes enabled for this client (Y). The two below raise the home-page notices of arrears.
M8300-01-05-01-00 = Y
NONFUNCTION004 = Y

[differ]
# Regional differences, one key = value per line, for example
# cbxzDjNf_YANGL = 1

# Online payment (docs/onlinepay.md) reads two more sections; add them when it is used:
# [https]
# ca_file = trusted CA certificates (PEM) of the bank platform; unset: the system's trust store
# allow_http = no
# [M8]
# ccb_key = 64 hex digits, the key of the enciphered bank key file

[log]
# Highest level written to velmor.log (0 error, 1 warning, 2 info, 3 debug), or "off".
# Without a level every record is written.
# level = 3
)";

std::string Quote(std::string_view s) {
  if (s.size() > 40) return "\"" + std::string(s.substr(0, 40)) + "...\"";
  return "\"" + std::string(s) + "\"";
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

HostConfig HostConfig::Parse(std::string_view text, const std::string& origin) {
  HostConfig config;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a BOM left by an editor
  std::string section;
  int number = 0;
  auto fail = [&](const std::string& problem) { throw HostError(origin + ":" + std::to_string(number) + ": " + problem); };
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(pos, end - pos);
    pos = end + 1;
    ++number;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    std::string_view t = Trim(raw);
    Line line;
    line.text = std::string(raw);
    line.section = section;
    if (t.empty() || t[0] == '#' || t[0] == ';') {
      line.kind = Kind::kOther;
    } else if (t[0] == '[') {
      if (t.back() != ']') fail("unterminated section header " + Quote(t));
      std::string_view name = Trim(t.substr(1, t.size() - 2));
      if (name.empty()) fail("empty section name");
      if (name.find_first_of("[]") != std::string_view::npos) fail("bad section name " + Quote(name));
      if (config.HasSection(name)) fail("duplicate section [" + std::string(name) + "]");
      section = std::string(name);
      line.kind = Kind::kSection;
      line.section = section;
    } else {
      size_t eq = t.find('=');
      if (eq == std::string_view::npos) fail("expected \"key = value\", \"[section]\" or a comment, got " + Quote(t));
      if (section.empty()) fail("\"key = value\" before any [section]");
      std::string_view key = Trim(t.substr(0, eq));
      if (key.empty()) fail("empty key");
      if (config.FindEntry(section, key)) fail("duplicate key \"" + std::string(key) + "\" in [" + section + "]");
      line.kind = Kind::kEntry;
      line.key = std::string(key);
      line.value = std::string(Trim(t.substr(eq + 1)));
    }
    config.lines_.push_back(std::move(line));
  }
  return config;
}

HostConfig HostConfig::Load(const std::string& path) {
  std::error_code ec;
  auto status = std::filesystem::status(path, ec);
  if (status.type() == std::filesystem::file_type::not_found) return HostConfig();
  if (!ec && status.type() != std::filesystem::file_type::regular) throw HostError("cannot read " + path + ": not a file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw HostError("cannot read " + path + ": " + std::strerror(errno));
  std::ostringstream ss;
  ss << in.rdbuf();
  if (in.bad()) throw HostError("cannot read " + path);
  return Parse(ss.str(), path);
}

HostConfig HostConfig::Template() { return Parse(kTemplate, "template"); }

std::string HostConfig::ToText() const {
  std::string out;
  for (const Line& line : lines_) {
    if (line.kind == Kind::kEntry && line.text.empty())
      out += line.key + " = " + line.value;
    else
      out += line.text;
    out += '\n';
  }
  return out;
}

void HostConfig::Save(const std::string& path) const {
  std::string temp = path + ".tmp" + std::to_string(::getpid());
  std::string text = ToText();
  auto fail = [&](int err) {
    std::remove(temp.c_str());
    throw HostError("cannot write " + path + ": " + std::strerror(err));
  };
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) fail(errno);
  int err = 0;
  if (std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fflush(f) != 0 || ::fsync(::fileno(f)) != 0)
    err = errno ? errno : EIO;
  if (std::fclose(f) != 0 && !err) err = errno ? errno : EIO;
  if (err) fail(err);
  if (std::rename(temp.c_str(), path.c_str()) != 0) fail(errno);
}

const HostConfig::Line* HostConfig::FindEntry(std::string_view section, std::string_view key) const {
  for (const Line& line : lines_)
    if (line.kind == Kind::kEntry && EqualsIgnoreCase(line.section, section) && EqualsIgnoreCase(line.key, key))
      return &line;
  return nullptr;
}

std::optional<std::string> HostConfig::Find(std::string_view section, std::string_view key) const {
  const Line* line = FindEntry(section, key);
  if (!line) return std::nullopt;
  return line->value;
}

std::string HostConfig::Get(std::string_view section, std::string_view key, std::string_view fallback) const {
  auto v = Find(section, key);
  return v ? *v : std::string(fallback);
}

std::vector<std::pair<std::string, std::string>> HostConfig::Section(std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> out;
  for (const Line& line : lines_)
    if (line.kind == Kind::kEntry && EqualsIgnoreCase(line.section, section)) out.emplace_back(line.key, line.value);
  return out;
}

bool HostConfig::HasSection(std::string_view section) const {
  for (const Line& line : lines_)
    if (line.kind == Kind::kSection && EqualsIgnoreCase(line.section, section)) return true;
  return false;
}

void HostConfig::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (section.empty() || Trim(section) != section || HasLineBreak(section) ||
      section.find_first_of("[]") != std::string_view::npos)
    throw HostError("bad configuration section name " + Quote(section));
  if (key.empty() || Trim(key) != key || HasLineBreak(key) || key.find('=') != std::string_view::npos ||
      key[0] == '#' || key[0] == ';' || key[0] == '[')
    throw HostError("bad configuration key " + Quote(key));
  if (HasLineBreak(value) || Trim(value) != value)
    throw HostError("bad value for [" + std::string(section) + "] " + std::string(key) +
                    ": line breaks and spaces at the ends cannot be stored");
  if (const Line* found = FindEntry(section, key)) {
    Line& line = const_cast<Line&>(*found);
    line.value = std::string(value);
    line.text.clear();
    return;
  }
  Line entry;
  entry.kind = Kind::kEntry;
  entry.key = std::string(key);
  entry.value = std::string(value);
  // After the last entry of the section, or right after its header.
  size_t at = lines_.size();
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (!EqualsIgnoreCase(lines_[i].section, section)) continue;
    if (lines_[i].kind == Kind::kSection || lines_[i].kind == Kind::kEntry) at = i + 1;
    entry.section = lines_[i].section;
  }
  if (at == lines_.size() && !HasSection(section)) {
    if (!lines_.empty()) lines_.push_back(Line{Kind::kOther, "", lines_.back().section, "", ""});
    lines_.push_back(Line{Kind::kSection, "[" + std::string(section) + "]", std::string(section), "", ""});
    entry.section = std::string(section);
    at = lines_.size();
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
}

}  // namespace velmor::host
