#include "programs/obsmerge-lojas/ProgressDisplay.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "programs/obsmerge/ProgressLine.h"
#include "programs/obsmerge-lojas/TextCell.h"

using namespace morvanta;

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(200);

// A line cut to the terminal's width, so that it never wraps (the redraw counts lines).
std::string Fitted(const std::string& line) {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col < 20) return line;
  return line.size() < size.ws_col ? line : line.substr(0, size.ws_col - 1);
}

std::string Clock(double seconds) { return ClockText(seconds, ClockRounding::Nearest); }

}  // namespace

std::string TotalLine(const RunTotals& t) {
  char text[200];
  std::snprintf(text, sizeof text, "%d prontas, %d com falha, %d esperando, %d rodando, %s passados, faltam %s", t.done,
                t.failed, t.waiting, t.running, Clock(t.seconds).c_str(),
                t.secondsLeft ? Clock(*t.secondsLeft).c_str() : "?");
  return text;
}

std::string RunningLine(const RunningStore& r) {
  const std::string rows = r.rows ? std::to_string(*r.rows) + " linhas" : std::string("? linhas");
  char text[300];
  std::snprintf(text, sizeof text, "  %s %-10s %6s  %s", TextCell(r.store, 24).c_str(), r.stage.c_str(),
                Clock(r.seconds).c_str(), rows.c_str());
  return text;
}

ProgressDisplay::ProgressDisplay(ProgressStyle style) : style_(style) {}

ProgressDisplay::~ProgressDisplay() { Clear(); }

ProgressStyle ProgressDisplay::StyleForStandardError() {
  return isatty(STDERR_FILENO) ? ProgressStyle::Terminal : ProgressStyle::PlainLines;
}

void ProgressDisplay::Write(const std::string& text) {
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
}

void ProgressDisplay::Started(const AnsiString& store, const RunTotals& totals) {
  if (style_ == ProgressStyle::PlainLines) Write("iniciada " + ToSystem(store) + " (" + TotalLine(totals) + ")\n");
}

void ProgressDisplay::Finished(const StoreRecord& record, const RunTotals& totals) {
  if (style_ != ProgressStyle::PlainLines) return;
  std::string line = std::string(StatusName(record.status)) + " " + ToSystem(record.store);
  if (!record.error.empty()) line += ": " + ToSystem(record.error);
  Write(line + " (" + TotalLine(totals) + ")\n");
}

void ProgressDisplay::Show(const std::vector<RunningStore>& running, const RunTotals& totals) {
  if (style_ != ProgressStyle::Terminal) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - lastDraw_ < kRedrawInterval) return;
  lastDraw_ = now;
  std::string text = linesShown_ > 0 ? "\033[" + std::to_string(linesShown_) + "F" : std::string();
  text += "\033[J";
  for (const RunningStore& r : running) text += Fitted(RunningLine(r)) + "\n";
  text += Fitted(TotalLine(totals)) + "\n";
  linesShown_ = static_cast<int>(running.size()) + 1;
  Write(text);
}

void ProgressDisplay::Clear() {
  if (style_ != ProgressStyle::Terminal || linesShown_ == 0) return;
  Write("\033[" + std::to_string(linesShown_) + "F\033[J");
  linesShown_ = 0;
}
