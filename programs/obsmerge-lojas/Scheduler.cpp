#include "programs/obsmerge-lojas/Scheduler.h"

#include <poll.h>

#include <algorithm>

#include "morvanta/platform/core/StopSignals.h"

using namespace morvanta;

namespace {

using Clock = StoreJob::Clock;
constexpr int kPollMilliseconds = 50;

class Run {
 public:
  Run(std::vector<std::unique_ptr<StoreJob>>& jobs, const SchedulerOptions& options, StopSignals& stop,
      ProgressDisplay& progress, const std::function<void(const StoreRecord&)>& finished)
      : jobs_(jobs), options_(options), stop_(stop), progress_(progress), finished_(finished), start_(Clock::now()) {
    result_.started.assign(jobs.size(), false);
  }

  ScheduledRun Go() {
    while (next_ < jobs_.size() || !running_.empty()) {
      if (StopAsked() && result_.end != RunEnd::StoppedByRequest) StopAll();
      StartWhatFits();
      if (running_.empty()) break;
      Wait();
      PollRunning();
      progress_.Show(RunningView(), Totals());
    }
    progress_.Clear();
    return result_;
  }

 private:
  bool Starting() const { return result_.end == RunEnd::Complete; }

  // Whether a stop signal came during the run; kept once seen, since waking up forgets it.
  bool StopAsked() {
    if (stop_.Received() != 0) stopAsked_ = true;
    return stopAsked_;
  }

  void StopAll() {
    result_.end = RunEnd::StoppedByRequest;
    for (std::size_t i : running_) jobs_[i]->Interrupt(Clock::now());
  }

  void StartWhatFits() {
    while (Starting() && next_ < jobs_.size() && static_cast<int>(running_.size()) < options_.jobs) {
      const std::size_t i = next_++;
      result_.started[i] = true;
      running_.push_back(i);
      progress_.Started(jobs_[i]->Record().store, Totals());
      jobs_[i]->Start();
    }
  }

  void Wait() {
    pollfd wake{stop_.Descriptor(), POLLIN, 0};
    if (poll(&wake, wake.fd >= 0 ? 1 : 0, kPollMilliseconds) > 0) {
      StopAsked();
      stop_.Acknowledge();  // the descriptor readable no more: the next waits sleep again
    }
  }

  void PollRunning() {
    const auto now = Clock::now();
    for (auto it = running_.begin(); it != running_.end();) {
      StoreJob& job = *jobs_[*it];
      if (!job.Poll(now)) {
        ++it;
        continue;
      }
      it = running_.erase(it);
      const StoreRecord& record = job.Record();
      if (record.Failure()) ++failed_;
      else ++done_;
      finishedSeconds_ += record.seconds;
      if (record.Failure() && options_.onError == ErrorPolicy::StopStarting && Starting())
        result_.end = RunEnd::StoppedAfterFailure;
      progress_.Finished(record, Totals());
      finished_(record);
    }
  }

  std::vector<RunningStore> RunningView() const {
    std::vector<RunningStore> view;
    const auto now = Clock::now();
    for (std::size_t i : running_) {
      const StoreJob& job = *jobs_[i];
      view.push_back({job.Record().store, job.StageName(), job.Elapsed(now), job.Record().rowsBefore});
    }
    return view;
  }

  RunTotals Totals() const {
    RunTotals totals;
    totals.done = done_;
    totals.failed = failed_;
    totals.running = static_cast<int>(running_.size());
    totals.waiting = Starting() ? static_cast<int>(jobs_.size() - next_) : 0;
    totals.seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    const int finished = done_ + failed_;
    const int left = totals.waiting + totals.running;
    if (finished > 0 && left > 0) {
      // The work left at the pace of the stores finished so far, spread over the stores at a time.
      double work = finishedSeconds_ / finished * left;
      for (std::size_t i : running_) work -= jobs_[i]->Elapsed(Clock::now());
      totals.secondsLeft = std::max(0.0, work) / std::min(left, options_.jobs);
    } else if (finished > 0) {
      totals.secondsLeft = 0;
    }
    return totals;
  }

  std::vector<std::unique_ptr<StoreJob>>& jobs_;
  const SchedulerOptions& options_;
  StopSignals& stop_;
  bool stopAsked_ = false;
  ProgressDisplay& progress_;
  const std::function<void(const StoreRecord&)>& finished_;
  Clock::time_point start_;
  ScheduledRun result_;
  std::size_t next_ = 0;
  std::vector<std::size_t> running_;
  int done_ = 0, failed_ = 0;
  double finishedSeconds_ = 0;
};

}  // namespace

ScheduledRun RunJobs(std::vector<std::unique_ptr<StoreJob>>& jobs, const SchedulerOptions& options, StopSignals& stop,
                     ProgressDisplay& progress, const std::function<void(const StoreRecord&)>& finished) {
  return Run(jobs, options, stop, progress, finished).Go();
}
