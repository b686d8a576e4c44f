#include "host/terminal_progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "host/cancel.h"

namespace velmor::host {
namespace {

// Decodes one UTF-8 sequence at s[i]; advances i. Malformed bytes count as one narrow character.
char32_t NextCodePoint(std::string_view s, size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
  if (i + static_cast<size_t>(len) > s.size()) len = 1;
  char32_t cp = len == 1 ? c : c & (0xFF >> (len + 1));
  for (int k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<size_t>(k)]) & 0x3F);
  i += static_cast<size_t>(len);
  return cp;
}

int CodePointWidth(char32_t cp) {
  if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) return 0;
  if ((cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) || (cp >= 0xAC00 && cp <= 0xD7A3) ||
      (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
      (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x1F300 && cp <= 0x1FAFF) || (cp >= 0x20000 && cp <= 0x3FFFD))
    return 2;
  return 1;
}

// The longest prefix of text that fits in `width` columns, with "..." when cut.
std::string FitToWidth(std::string_view text, int width) {
  if (TerminalProgressView::DisplayWidth(text) <= width) return std::string(text);
  if (width < 4) return std::string();
  std::string out;
  int used = 0;
  for (size_t i = 0; i < text.size();) {
    size_t start = i;
    int w = CodePointWidth(NextCodePoint(text, i));
    if (used + w > width - 3) break;
    out.append(text.substr(start, i - start));
    used += w;
  }
  return out + "...";
}

int TerminalColumns(std::FILE* out) {
  winsize ws{};
  if (::ioctl(::fileno(out), TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
  if (const char* c = std::getenv("COLUMNS")) {
    int n = std::atoi(c);
    if (n > 0) return n;
  }
  return 80;
}

}  // namespace

int TerminalProgressView::DisplayWidth(std::string_view text) {
  int w = 0;
  for (size_t i = 0; i < text.size();) w += CodePointWidth(NextCodePoint(text, i));
  return w;
}

TerminalProgressView::TerminalProgressView(Options options)
    : out_(options.out ? options.out : stderr),
      terminal_(options.terminal < 0 ? ::isatty(::fileno(out_)) == 1 : options.terminal == 1),
      columns_(options.columns > 0 ? options.columns : (terminal_ ? TerminalColumns(out_) : 80)),
      interval_(options.interval),
      now_(std::move(options.now)) {}

TerminalProgressView::~TerminalProgressView() {
  try {
    EndProgress();
  } catch (...) {
  }
}

int32_t TerminalProgressView::GetPosition() {
  std::lock_guard lock(mutex_);
  return position_;
}

int32_t TerminalProgressView::GetMaximum() {
  std::lock_guard lock(mutex_);
  return maximum_;
}

bool TerminalProgressView::Running() const {
  std::lock_guard lock(mutex_);
  return running_;
}

bool TerminalProgressView::IsCancelled() { return CancelRequested(); }

int TerminalProgressView::Percent() const {
  if (maximum_ <= 0) return 0;
  return static_cast<int>(static_cast<int64_t>(position_) * 100 / maximum_);
}

void TerminalProgressView::StartProgress(const std::string& message, int32_t maximum, const std::string& caption) {
  std::lock_guard lock(mutex_);
  // A new step means the running one went through.
  if (running_) {
    CompleteLocked();
    if (terminal_ && drawnOnce_) std::fputs("\n", out_);  // keep the previous display's line
  }
  running_ = true;
  stepOpen_ = true;
  message_ = message;
  caption_ = caption;
  maximum_ = maximum;
  position_ = 0;
  lastTenth_ = -1;
  drawnOnce_ = false;
  cancelShown_ = false;
  counts_ = false;
  started_ = Now();
  if (!terminal_) {
    PlainLine(Label());
    lastTenth_ = 0;
    return;
  }
  DrawLocked(true);
}

void TerminalProgressView::SetPosition(int32_t position) {
  std::lock_guard lock(mutex_);
  if (maximum_ > 0 && position > maximum_) position = maximum_;
  if (position <= position_) return;  // never backwards
  position_ = position;
  if (!running_) return;
  if (!terminal_) {
    int tenth = Percent() / 10;
    if (tenth > lastTenth_) {
      lastTenth_ = tenth;
      PlainLine((caption_.empty() ? Label() : caption_) + ": " + std::to_string(tenth * 10) + "%");
    }
    return;
  }
  dirty_ = true;
  DrawLocked(maximum_ > 0 && position_ == maximum_);
}

void TerminalProgressView::SetMessage(const std::string& message) {
  std::lock_guard lock(mutex_);
  if (message == message_) return;
  message_ = message;
  if (!running_) return;
  if (!terminal_) {
    if (!message_.empty()) PlainLine(Label());
    return;
  }
  dirty_ = true;
  DrawLocked(false);
}

void TerminalProgressView::EndProgress() {
  std::lock_guard lock(mutex_);
  if (!running_) return;
  if (terminal_) {
    if (dirty_ || !drawnOnce_) DrawLocked(true);
    std::fputs("\n", out_);
    std::fflush(out_);
  }
  running_ = false;
}

void TerminalProgressView::Refresh() {
  std::lock_guard lock(mutex_);
  if (!running_ || !terminal_) return;
  if (CancelRequested() && !cancelShown_) dirty_ = true;
  if (dirty_) {
    DrawLocked(false);
  } else if (Now() - lastDraw_ >= interval_) {
    ++spin_;  // nothing moved: the spinner and the elapsed time show the command is alive
    DrawLocked(true);
  }
}

void TerminalProgressView::Complete() {
  std::lock_guard lock(mutex_);
  if (!stepOpen_) return;  // no step, or already completed
  CompleteLocked();
  if (terminal_) {
    std::fputs("\n", out_);
    std::fflush(out_);
  }
  running_ = false;
}

void TerminalProgressView::CompleteLocked() {
  stepOpen_ = false;
  if (maximum_ <= 0) {
    if (terminal_) DrawLocked(true);
    return;
  }
  if (position_ < maximum_) position_ = maximum_;
  if (!terminal_) {
    if (lastTenth_ < 10) PlainLine((caption_.empty() ? Label() : caption_) + ": 100%");
    lastTenth_ = 10;
    return;
  }
  DrawLocked(true);
}

void TerminalProgressView::ShowCounts(bool counts) {
  std::lock_guard lock(mutex_);
  counts_ = counts;
}

std::string TerminalProgressView::Grouped(int64_t n) {
  std::string digits = std::to_string(n < 0 ? -n : n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return n < 0 ? "-" + out : out;
}

std::string TerminalProgressView::Label() const {
  if (caption_.empty() && message_.empty()) return "处理中";
  if (caption_.empty()) return message_;
  if (message_.empty()) return caption_;
  return caption_ + ": " + message_;
}

void TerminalProgressView::PlainLine(const std::string& text) {
  std::fputs(text.c_str(), out_);
  std::fputs("\n", out_);
  std::fflush(out_);
}

void TerminalProgressView::DrawLocked(bool force) {
  Clock::time_point now = Now();
  if (!force && drawnOnce_ && now - lastDraw_ < interval_) {
    dirty_ = true;  // drawn later by Refresh or EndProgress
    return;
  }
  std::string tail;
  if (maximum_ > 0) {
    char pct[8];
    std::snprintf(pct, sizeof pct, " %3d%%", Percent());
    tail = pct;
    if (counts_) tail += " " + Grouped(position_) + " / " + Grouped(maximum_);
  } else {
    tail = " " + Grouped(position_);
  }
  static constexpr char kSpinner[] = "|/-\\";
  const double seconds = std::chrono::duration<double>(now - started_).count();
  char elapsed[32];
  std::snprintf(elapsed, sizeof elapsed, " %c %.1fs", kSpinner[spin_ % 4], seconds);
  tail += elapsed;
  bool cancelling = CancelRequested();
  if (cancelling) tail += " (正在取消)";
  std::string head = Label();
  // Room: head, " [", bar, "]", tail; the bar gets 10 .. 40 columns, the head what is left.
  int fixed = 3 + DisplayWidth(tail);
  int bar = std::clamp(columns_ - fixed - DisplayWidth(head) - 1, 10, 40);
  head = FitToWidth(head, std::max(0, columns_ - fixed - bar - 1));
  int filled = maximum_ > 0 ? static_cast<int>(static_cast<int64_t>(position_) * bar / maximum_) : 0;
  std::string line = "\r" + head + " [" + std::string(static_cast<size_t>(filled), '#') +
                     std::string(static_cast<size_t>(bar - filled), '-') + "]" + tail + "\x1b[K";
  std::fputs(line.c_str(), out_);
  std::fflush(out_);
  lastDraw_ = now;
  drawnOnce_ = true;
  dirty_ = false;
  cancelShown_ = cancelling;
}

}  // namespace velmor::host
