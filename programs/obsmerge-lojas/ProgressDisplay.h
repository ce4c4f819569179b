#pragma once
// The run's progress on the standard error stream. On a terminal: one line per store running
// (name, what it is doing, elapsed time, rows to merge) and one total line (done, failed,
// waiting, elapsed, time left), redrawn in place a few times a second and erased at the end.
// Otherwise (a log file, a pipe): one plain line when a store starts and when it ends.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "programs/obsmerge-lojas/StoreRecord.h"

using namespace morvanta;

struct RunningStore {
  AnsiString store;
  std::string stage;
  double seconds = 0;
  std::optional<std::uint64_t> rows;
};

struct RunTotals {
  int done = 0, failed = 0, waiting = 0, running = 0;
  double seconds = 0;
  std::optional<double> secondsLeft;  // known once a store has finished
};

enum class ProgressStyle { Terminal, PlainLines };

class ProgressDisplay {
 public:
  explicit ProgressDisplay(ProgressStyle style);
  ~ProgressDisplay();
  ProgressDisplay(const ProgressDisplay&) = delete;
  ProgressDisplay& operator=(const ProgressDisplay&) = delete;

  // Terminal when the standard error stream is one.
  static ProgressStyle StyleForStandardError();

  void Started(const AnsiString& store, const RunTotals& totals);
  void Finished(const StoreRecord& record, const RunTotals& totals);
  // Redraws the terminal lines (at most every 200 ms); nothing for plain lines.
  void Show(const std::vector<RunningStore>& running, const RunTotals& totals);
  // Erases the terminal lines.
  void Clear();

 private:
  void Write(const std::string& text);
  ProgressStyle style_;
  int linesShown_ = 0;
  std::chrono::steady_clock::time_point lastDraw_{};
};

// "12 prontas, 1 com falha, 20 esperando, 4 rodando, 0:42 passados, faltam 1:10"
std::string TotalLine(const RunTotals& totals);
// "  loja-007   mesclando   0:03   1.234 linhas"
std::string RunningLine(const RunningStore& running);
