#pragma once
// Runs a program of the build as a separate process and captures its exit code and output:
// either with no standard input and both output streams in files, or with its standard input and
// standard error stream on a pseudo-terminal of the test.

#include <signal.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

struct ProgramResult {
  int exitCode = -1;  // -1 when it ended by a signal
  int signal = 0;
  std::string out;  // the standard output
  std::string err;  // the standard error stream
};

// A signal sent to the process once `after` has passed, if it is still running by then.
struct StopSignal {
  std::chrono::milliseconds after;
  int signal = SIGKILL;
};

// Arguments are in the system's encoding (UTF-8). Standard input is /dev/null.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         std::optional<StopSignal> stop = std::nullopt);

// A run with its standard input and standard error stream on a terminal (a pseudo-terminal of the
// test) and its standard output in a file.
struct TerminalRun {
  int exitCode = -1;
  bool waitedForEnter = false;
  std::string terminal;  // everything the program wrote to the terminal, as the terminal got it
  std::string out;
};

// Waits (up to 20 s) until the terminal shows `prompt`, makes sure the program then really waits
// (it is still running 300 ms later), answers with Enter and lets it finish (killed after 60 s).
// Failures to set the run up are test failures.
TerminalRun RunOnTerminal(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& prompt);

// A run in the background, with no standard input and both output streams in files, for a test
// that acts while it runs (signals it, looks at what it writes). Killed when the object goes
// before it was waited for.
class BackgroundRun {
 public:
  BackgroundRun(const std::string& program, const std::vector<std::string>& arguments);
  ~BackgroundRun();
  BackgroundRun(const BackgroundRun&) = delete;
  BackgroundRun& operator=(const BackgroundRun&) = delete;
  bool Running();
  void Signal(int signalNumber);
  // Waits (killed after `limit`) and collects the result.
  ProgramResult Wait(std::chrono::milliseconds limit = std::chrono::seconds(60));

 private:
  std::string folder_;
  pid_t pid_ = 0;
  bool ended_ = false;
  int status_ = 0;
};

// The obsmerge program of this build.
std::string ObsmergePath();
// The obsmerge-lojas program of this build.
std::string StoreRunnerPath();
