#pragma once
// One line of progress on the standard error stream while rows are merged: the rows done, of the
// rows selected when that total is known, the rows a second and the time left, redrawn at most a
// few times a second and erased at the end. Nothing is shown when the standard error stream is
// not a terminal.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

class ProgressLine {
 public:
  ProgressLine();
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Whether the line is shown at all (the standard error stream is a terminal).
  bool Shown() const { return enabled_; }
  // The rows the run is expected to merge; the line then shows the rows left and the time left.
  void SetTotal(std::uint64_t total) { total_ = total; }

  void Step() {
    ++rows_;
    if (enabled_ && (rows_ & 63) == 0) MaybeDraw();
  }

 private:
  void MaybeDraw();

  bool enabled_;
  bool drawn_ = false;
  std::uint64_t rows_ = 0;
  std::optional<std::uint64_t> total_;
  std::chrono::steady_clock::time_point start_, lastDraw_;
};

// The text of the line: "120 linhas mescladas, 850 linhas/s", or with a total
// "120 de 1500 linhas mescladas, 850 linhas/s, faltam 0:02" (minutes and seconds, or hours).
std::string ProgressText(std::uint64_t rows, std::optional<std::uint64_t> total, double seconds);

// How a clock text treats a fraction of a second: a time left is rounded up (it never shows 0:00
// while something is left), an elapsed time to the nearest second.
enum class ClockRounding { Nearest, Up };
// Minutes and seconds ("1:05"), or hours and minutes ("2h05").
std::string ClockText(double seconds, ClockRounding rounding);
