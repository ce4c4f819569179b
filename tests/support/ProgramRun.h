#pragma once
// Runs a program of the build as a separate process and captures its exit code and output:
// either with no standard input and both output streams in files, or with its standard input and
// standard error stream on a pseudo-terminal of the test.

#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
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

// A program started in a session of its own with a pseudo-terminal of the test as its controlling
// terminal, standard input, output and error stream: what the test types reaches it as from a
// keyboard (Ctrl+C, "\x03", sends SIGINT to it). Killed when the object goes, if still running.
class TerminalSession {
 public:
  TerminalSession(const std::string& program, const std::vector<std::string>& arguments);
  ~TerminalSession();
  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;

  bool Started() const { return pid_ > 0; }
  // Reads what the program writes until `text` shows (true) or the time is up (false).
  bool WaitForText(const std::string& text, std::chrono::milliseconds limit);
  void Type(const std::string& keys);
  void Signal(int signalNumber);
  // Waits for the end (killed after `limit`); `out` holds everything the terminal got.
  ProgramResult Wait(std::chrono::milliseconds limit);

 private:
  int master_ = -1;
  pid_t pid_ = 0;
  std::string received_;
  bool ended_ = false;
  int status_ = 0;
  void Read(std::chrono::milliseconds limit, const std::function<bool()>& more);
};

// The obsmerge program of this build.
std::string ObsmergePath();
// The obsmerge-lojas program of this build.
std::string StoreRunnerPath();
