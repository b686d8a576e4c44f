// TerminalProgressView: the command line's IProgressView.
//
// On a terminal it draws one line, "<caption>: <message> [#####-----]  42% | 2.1s", rewritten in
// place, at most once per interval (five times a second by default) plus always at the start, at
// the maximum and at the end; changes in between are drawn by Refresh, which the message pump
// calls. While nothing moves (a slow server) Refresh still redraws once per interval, turning the
// spinner and the elapsed time, so a waiting command never looks hung. A step whose maximum is a
// number of items may show "43,000 / 100,000" as well (ShowCounts).
// When the output is not a terminal it writes plain lines instead: the caption and message at the
// start and whenever the message changes, and one line per ten percent reached.
// The position never goes backwards within a step, and a step that ends because the next one
// starts or because Complete is called is shown at 100%. The label is never empty. IsCancelled
// answers whether Ctrl-C was pressed (host/cancel.h). Texts are UTF-8; wide (CJK) characters
// count two columns. Calls are serialised by a mutex, but the view belongs to the main thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "velmor/object.h"
#include "velmor/progress_view.h"

namespace velmor::host {

class TerminalProgressView final : public Object<IProgressView> {
 public:
  using Clock = std::chrono::steady_clock;
  struct Options {
    std::FILE* out = stderr;
    int terminal = -1;  // -1: isatty(out); 0: plain lines; 1: draw in place
    int columns = 0;    // 0: the terminal's width, else $COLUMNS, else 80
    std::chrono::milliseconds interval{200};
    std::function<Clock::time_point()> now;  // empty: the steady clock (tests pass a fake one)
  };

  explicit TerminalProgressView(Options options);
  TerminalProgressView() : TerminalProgressView(Options{}) {}
  ~TerminalProgressView() override;  // ends a display that is still running

  int32_t GetPosition() override;
  // Clamped to the current position .. maximum (when the maximum is positive): never backwards.
  void SetPosition(int32_t position) override;
  void StartProgress(const std::string& message, int32_t maximum, const std::string& caption) override;
  void EndProgress() override;
  void SetMessage(const std::string& message) override;
  int32_t GetMaximum() override;
  int32_t GetHandle() override { return -1; }
  bool IsCancelled() override;

  // Draws a pending change, or the spinner and elapsed time, once the interval has passed since
  // the last drawing.
  void Refresh();
  // The current step went through: shown at 100% (its maximum) and ended.
  void Complete();
  // Whether the current step shows "position / maximum" besides the percentage.
  void ShowCounts(bool counts);
  // 1234567 as "1,234,567".
  static std::string Grouped(int64_t n);
  bool IsTerminal() const { return terminal_; }
  bool Running() const;

  // Columns taken by UTF-8 text on a terminal (East Asian wide characters count two).
  static int DisplayWidth(std::string_view text);

 private:
  Clock::time_point Now() const { return now_ ? now_() : Clock::now(); }
  int Percent() const;
  std::string Label() const;
  void CompleteLocked();
  void DrawLocked(bool force);
  void PlainLine(const std::string& text);

  mutable std::mutex mutex_;
  std::FILE* out_;
  bool terminal_;
  int columns_;
  std::chrono::milliseconds interval_;
  std::function<Clock::time_point()> now_;

  bool running_ = false;
  bool stepOpen_ = false;  // started and not yet completed (it may have been ended)
  bool dirty_ = false;
  bool drawnOnce_ = false;
  Clock::time_point lastDraw_{};
  Clock::time_point started_{};
  bool counts_ = false;
  int spin_ = 0;
  std::string message_, caption_;
  int32_t position_ = 0, maximum_ = 0;
  int lastTenth_ = -1;  // plain lines: the last ten-percent step written
  bool cancelShown_ = false;
};

}  // namespace velmor::host
