#pragma once
// One store's work in a run, as a series of child processes: the count of the rows to merge, the
// obsmerge run itself, and the count of the rows still waiting after it (or, for a preview, one
// reading run). Each child has the store's time limit; a child past it is sent SIGTERM, and
// SIGKILL when it has not ended after a grace period. The job fills the store's report record.

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "programs/obsmerge-lojas/ChildProcess.h"
#include "programs/obsmerge-lojas/StoreList.h"
#include "programs/obsmerge-lojas/StoreRecord.h"

using namespace morvanta;

enum class RunMode { Merge, Preview };

// What every job of a run shares.
struct JobSettings {
  RunMode mode = RunMode::Merge;
  std::optional<std::chrono::seconds> timeout;
  std::chrono::milliseconds grace{5000};  // between SIGTERM and SIGKILL
  std::string obsmerge;                   // the merge program
  std::string self;                       // the runner's own executable, for the reading runs
  std::filesystem::path logs;             // DIR/logs
  int sampleRows = 3;
};

class StoreJob {
 public:
  using Clock = std::chrono::steady_clock;

  StoreJob(const StoreEntry& entry, const JobSettings& settings);
  ~StoreJob();
  StoreJob(const StoreJob&) = delete;
  StoreJob& operator=(const StoreJob&) = delete;

  void Start();
  // Looks after the running child: moves on when it has ended, stops it when it is late. True once
  // the job is finished (Record() is then final).
  bool Poll(Clock::time_point now);
  // The run is being stopped: the child gets SIGTERM (its transaction rolls back), and the store
  // is reported as not done.
  void Interrupt(Clock::time_point now);

  const StoreRecord& Record() const { return record_; }
  double Elapsed(Clock::time_point now) const { return std::chrono::duration<double>(now - started_).count(); }
  const char* StageName() const;

 private:
  enum class Stage { CountBefore, Merge, CountAfter, Preview, Finished };
  void Launch(Stage stage);
  void StageEnded(const ChildEnd& end);
  void MergeEnded(const ChildEnd& end);
  std::optional<MergePreview> ReadingResult(const ChildEnd& end);
  AnsiString FirstErrorText(const ChildEnd& end) const;
  // Asks the child to stop (SIGTERM); SIGKILL follows once the grace time is over.
  void SendStop(Clock::time_point now);
  void Finish();
  // The store's log, and the file a reading run writes its result to.
  std::filesystem::path LogFile() const { return settings_.logs / (fileName_ + ".log"); }
  std::filesystem::path OutputFile() const { return settings_.logs / (fileName_ + ".out"); }

  const JobSettings& settings_;
  StoreRecord record_;
  std::string fileName_;
  Stage stage_ = Stage::CountBefore;
  std::unique_ptr<ChildProcess> child_;
  std::uintmax_t logOffset_ = 0;  // where the running child's part of the log begins
  Clock::time_point started_, deadline_, killAt_;
  bool stopSent_ = false, timedOut_ = false, interrupted_ = false;
};
