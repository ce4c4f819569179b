#pragma once
// One store's line of the report: what the run did with it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "programs/obsmerge-lojas/StoreReading.h"
#include "morvanta/platform/core/Text.h"

using namespace morvanta;

enum class StoreStatus { Ok, Failed, Timeout, Skipped, Preview };

// "ok", "failed", "timeout", "skipped", "preview".
const char* StatusName(StoreStatus status);
std::optional<StoreStatus> StatusNamed(std::string_view name);

struct StoreRecord {
  AnsiString store, database, user;         // code page 1252
  std::optional<std::uint64_t> rowsBefore;  // rows the merge would change, counted before its run
  std::optional<std::uint64_t> rowsAfter;   // rows still waiting after it (0 after a committed run)
  std::optional<int> exitCode;              // obsmerge's exit code; none when it did not run or end
  double seconds = 0;
  StoreStatus status = StoreStatus::Skipped;
  AnsiString error;                  // the first line of the store's error; empty when none
  std::vector<MergeSample> preview;  // with --preview: the first rows as the merge would write them

  // Done: merged by an earlier run (a run is not needed again). A store skipped because it was
  // done keeps an empty error; one that was left out for another reason says why.
  bool Done() const { return status == StoreStatus::Ok || (status == StoreStatus::Skipped && error.empty()); }
  bool Failure() const { return status == StoreStatus::Failed || status == StoreStatus::Timeout; }
};
