#include "programs/obsmerge-lojas/StoreRunner.h"

#include <cstdio>
#include <filesystem>

#include "programs/obsmerge-lojas/FolderLock.h"
#include "programs/obsmerge-lojas/ReportFiles.h"
#include "programs/obsmerge-lojas/RunPlan.h"
#include "programs/obsmerge-lojas/SummaryTable.h"

using namespace morvanta;

namespace {

namespace fs = std::filesystem;

int Refuse(const std::string& message) {
  std::fprintf(stderr, "obsmerge-lojas: %s\n", message.c_str());
  return 2;
}

// What the report says of a store that was to run and never started.
AnsiString NotStartedReason(RunEnd end) {
  if (end == RunEnd::StoppedAfterFailure) return "não iniciada: --stop-on-error depois de uma falha"_a;
  if (end == RunEnd::StoppedByRequest) return "não iniciada: execução interrompida"_a;
  return "não iniciada"_a;
}

// The records of the run in the order of the list, the stores to run holding their latest state.
class RunReport {
 public:
  RunReport(const fs::path& folder, const std::vector<PlannedStore>& plan) : folder_(folder) {
    for (const PlannedStore& planned : plan)
      records_.push_back(planned.skipped ? *planned.skipped : NotStarted(planned, NotStartedReason(RunEnd::Complete)));
  }
  void Update(std::size_t index, const StoreRecord& record) { records_[index] = record; }
  void Write() const { WriteReport(folder_, records_); }
  const std::vector<StoreRecord>& Records() const { return records_; }

 private:
  fs::path folder_;
  std::vector<StoreRecord> records_;
};

int ExitCodeOf(const std::vector<StoreRecord>& records, RunEnd end) {
  if (end != RunEnd::Complete) return 1;
  for (const StoreRecord& record : records)
    if (record.Failure()) return 1;
  return 0;
}

int RunPlanned(const RunnerOptions& options, const ProgramPaths& programs, const std::vector<PlannedStore>& plan,
               StopSignals& stop) {
  JobSettings settings;
  settings.mode = options.mode;
  settings.timeout = options.timeout;
  settings.obsmerge = programs.obsmerge;
  settings.self = programs.self;
  settings.logs = options.reportFolder / "logs";
  RunReport report(options.reportFolder, plan);
  std::vector<std::unique_ptr<StoreJob>> jobs;
  std::vector<std::size_t> recordOf;  // the report line of each job
  for (std::size_t i = 0; i < plan.size(); ++i) {
    if (plan[i].skipped) continue;
    jobs.push_back(std::make_unique<StoreJob>(plan[i].entry, settings));
    recordOf.push_back(i);
  }
  report.Write();
  ProgressDisplay progress(ProgressDisplay::StyleForStandardError());
  std::size_t finishedJob = 0;
  auto finished = [&](const StoreRecord& record) {
    for (finishedJob = 0; &jobs[finishedJob]->Record() != &record; ++finishedJob) {
    }
    report.Update(recordOf[finishedJob], record);
    report.Write();
  };
  const ScheduledRun run = RunJobs(jobs, options.scheduling, stop, progress, finished);
  for (std::size_t j = 0; j < jobs.size(); ++j)
    if (!run.started[j]) report.Update(recordOf[j], NotStarted(plan[recordOf[j]], NotStartedReason(run.end)));
  report.Write();
  std::fputs(SummaryTable(report.Records()).c_str(), stdout);
  std::fflush(stdout);
  if (run.end == RunEnd::StoppedByRequest) std::fputs("obsmerge-lojas: execução interrompida\n", stderr);
  return ExitCodeOf(report.Records(), run.end);
}

}  // namespace

int RunStores(const RunnerOptions& options, const ProgramPaths& programs, StopSignals& stop) {
  std::vector<StoreEntry> stores;
  try {
    stores = ReadStoreList(options.storeList);
  } catch (const StoreListError& error) {
    return Refuse(options.storeList + ": " + error.what());
  }
  std::error_code failed;
  fs::create_directories(options.reportFolder / "logs", failed);
  if (failed)
    return Refuse("não foi possível criar " + (options.reportFolder / "logs").string() + ": " + failed.message());
  const FolderLock lock(options.reportFolder);
  if (!lock.Held())
    return Refuse("outro obsmerge-lojas está usando a pasta " + options.reportFolder.string() +
                  "; espere ele terminar ou use outra pasta");
  std::vector<StoreRecord> earlier;
  try {
    earlier = ReadReport(options.reportFolder);
  } catch (const ReportUnreadable& error) {
    return Refuse(error.what());
  }
  const std::vector<PlannedStore> plan = PlanRun(stores, options.shard, options.selection, earlier);
  try {
    return RunPlanned(options, programs, plan, stop);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "obsmerge-lojas: %s\n", error.what());
    return 1;
  }
}
