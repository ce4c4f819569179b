#pragma once
// A whole run of the runner: the report folder and its lock, the store list, the plan, the jobs,
// the report written after every store, and the summary. Returns the exit code: 0 when every
// store of the run succeeded (with --preview: could be read), 1 when any failed or the run was
// stopped, 2 when the command line, the store list or the report folder cannot be used. `stop`
// (StopOnSignal::Tell) stops the run on Ctrl+C and SIGTERM.

#include "programs/obsmerge-lojas/CommandLine.h"

using namespace morvanta;

namespace morvanta {
class StopSignals;
}  // namespace morvanta

struct ProgramPaths {
  std::string obsmerge;  // the merge program
  std::string self;      // the runner's executable
};

int RunStores(const RunnerOptions& options, const ProgramPaths& programs, StopSignals& stop);
