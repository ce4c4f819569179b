#pragma once
// A program started by the runner: standard input /dev/null (no terminal, so nothing waits for
// Enter), standard output into a file, standard error appended to the store's log, and a process
// group of its own, so that a Ctrl+C on the terminal reaches the runner alone and the runner
// decides what its children get.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

struct ChildEnd {
  int exitCode = -1;  // -1 when it ended by a signal
  int signal = 0;
};

class ChildProcess {
 public:
  // Starts the program; raises std::runtime_error when it cannot be started.
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments, const std::string& outputFile,
               const std::string& logFile);
  // A child still running when its object goes is killed and waited for.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Whether it has ended (without waiting); the end once it has.
  std::optional<ChildEnd> Poll();
  // Sends `signalNumber` to the child, once it is still running.
  void Send(int signalNumber);
  // Waits until it ends.
  ChildEnd Wait();
  std::chrono::steady_clock::time_point Started() const { return started_; }

 private:
  pid_t pid_ = 0;
  std::optional<ChildEnd> end_;
  std::chrono::steady_clock::time_point started_;
};
