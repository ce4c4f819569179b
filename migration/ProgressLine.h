#pragma once
// One line of progress on the standard error stream while rows are merged: the rows done and the
// rows a second, redrawn at most a few times a second and erased at the end. Nothing is shown
// when the standard error stream is not a terminal.

#include <chrono>
#include <cstdint>

class ProgressLine {
 public:
  ProgressLine();
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void Step() {
    ++rows_;
    if (enabled_ && (rows_ & 63) == 0) MaybeDraw();
  }

 private:
  void MaybeDraw();

  bool enabled_;
  bool drawn_ = false;
  std::uint64_t rows_ = 0;
  std::chrono::steady_clock::time_point start_, lastDraw_;
};
