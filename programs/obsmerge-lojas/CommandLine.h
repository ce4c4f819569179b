#pragma once
// The runner's command line:
//
//   obsmerge-lojas [--jobs N] [--preview] [--again | --retry-failed] [--timeout SECONDS]
//                  [--stop-on-error] [--shard K/N] --report DIR STORES.csv
//
// A value may also follow its option after '=' (--jobs=8).

#include <chrono>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "programs/obsmerge-lojas/Scheduler.h"
#include "programs/obsmerge-lojas/StoreJob.h"

using namespace morvanta;

// Which stores of the list a run takes, given the report of the earlier runs in the folder.
enum class Selection {
  NotDone,      // every store not merged yet (the default: resume)
  All,          // --again
  FailedBefore  // --retry-failed: only those that failed or timed out last time
};

struct Shard {
  int index = 1;  // K, from 1
  int count = 1;  // N
};

struct RunnerOptions {
  SchedulerOptions scheduling;
  RunMode mode = RunMode::Merge;
  Selection selection = Selection::NotDone;
  std::optional<std::chrono::seconds> timeout;
  std::optional<Shard> shard;
  std::filesystem::path reportFolder;
  std::string storeList;
  bool help = false;
};

class CommandLineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raises CommandLineError with what is wrong.
RunnerOptions ParseCommandLine(const std::vector<std::string>& arguments);
const char* UsageText();
