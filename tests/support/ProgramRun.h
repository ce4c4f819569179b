#pragma once
// Runs a program of the build as a separate process, with no standard input, and captures its
// exit code and both output streams.

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

// Arguments are in the system's encoding (UTF-8). With killAfter, the process is killed (SIGKILL)
// once that time has passed, if it is still running.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         std::optional<std::chrono::milliseconds> killAfter = std::nullopt);

// The obsmerge program of this build.
std::string ObsmergePath();
