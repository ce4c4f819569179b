#include "ProgressLine.h"

#include <unistd.h>

#include <cstdio>

namespace {
constexpr auto kRedrawInterval = std::chrono::milliseconds(250);
}  // namespace

ProgressLine::ProgressLine()
    : enabled_(isatty(STDERR_FILENO) != 0),
      start_(std::chrono::steady_clock::now()),
      lastDraw_(start_ - kRedrawInterval) {}  // the first line shows at once

ProgressLine::~ProgressLine() {
  if (!drawn_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
}

void ProgressLine::MaybeDraw() {
  auto now = std::chrono::steady_clock::now();
  if (now - lastDraw_ < kRedrawInterval) return;
  lastDraw_ = now;
  double seconds = std::chrono::duration<double>(now - start_).count();
  double rate = seconds > 0 ? static_cast<double>(rows_) / seconds : 0;
  std::fprintf(stderr, "\r\033[K%llu linhas mescladas, %.0f linhas/s", static_cast<unsigned long long>(rows_), rate);
  std::fflush(stderr);
  drawn_ = true;
}
