#pragma once
// Runs the stores' jobs, at most N at a time, in the order of the list, until every job has
// finished or the run is stopped: by a stop request (Ctrl+C, SIGTERM), after which no job starts
// and the running ones are interrupted, or, with ErrorPolicy::StopStarting, by the first failure,
// after which no job starts and the running ones finish.

#include <functional>
#include <memory>
#include <vector>

#include "programs/obsmerge-lojas/ProgressDisplay.h"
#include "programs/obsmerge-lojas/StoreJob.h"

using namespace morvanta;

namespace morvanta {
class StopSignals;
}  // namespace morvanta

enum class ErrorPolicy { GoOn, StopStarting };

struct SchedulerOptions {
  int jobs = 4;
  ErrorPolicy onError = ErrorPolicy::GoOn;
};

enum class RunEnd { Complete, StoppedByRequest, StoppedAfterFailure };

struct ScheduledRun {
  RunEnd end = RunEnd::Complete;
  std::vector<bool> started;  // per job
};

// `stop` (StopOnSignal::Tell) makes the stop request. `finished` is called once per finished job,
// in the order they finish.
ScheduledRun RunJobs(std::vector<std::unique_ptr<StoreJob>>& jobs, const SchedulerOptions& options, StopSignals& stop,
                     ProgressDisplay& progress, const std::function<void(const StoreRecord&)>& finished);
