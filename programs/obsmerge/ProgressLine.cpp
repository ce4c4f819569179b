#include "programs/obsmerge/ProgressLine.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(250);

}  // namespace

std::string ClockText(double seconds, ClockRounding rounding) {
  const double positive = std::max(seconds, 0.0);
  const auto whole =
      static_cast<unsigned long long>(rounding == ClockRounding::Up ? std::ceil(positive) : std::llround(positive));
  char text[48];
  if (whole >= 3600) std::snprintf(text, sizeof text, "%lluh%02llu", whole / 3600, whole % 3600 / 60);
  else std::snprintf(text, sizeof text, "%llu:%02llu", whole / 60, whole % 60);
  return text;
}

std::string ProgressText(std::uint64_t rows, std::optional<std::uint64_t> total, double seconds) {
  const double rate = seconds > 0 ? static_cast<double>(rows) / seconds : 0;
  char text[160];
  if (!total) {
    std::snprintf(text, sizeof text, "%llu linhas mescladas, %.0f linhas/s", static_cast<unsigned long long>(rows),
                  rate);
    return text;
  }
  // Rows changed since the count may make the run longer than the total said.
  const std::uint64_t all = std::max(*total, rows);
  const std::string left =
      rate > 0 ? ClockText(static_cast<double>(all - rows) / rate, ClockRounding::Up) : std::string("?");
  std::snprintf(text, sizeof text, "%llu de %llu linhas mescladas, %.0f linhas/s, faltam %s",
                static_cast<unsigned long long>(rows), static_cast<unsigned long long>(all), rate, left.c_str());
  return text;
}

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
  const double seconds = std::chrono::duration<double>(now - start_).count();
  std::fprintf(stderr, "\r\033[K%s", ProgressText(rows_, total_, seconds).c_str());
  std::fflush(stderr);
  drawn_ = true;
}
