#pragma once
// Which stores of the list this run takes: its share of the list (--shard K/N: the stores at
// positions K, K + N, K + 2N, ... counted from 1), and of those, by the report the earlier runs
// left in the folder, the ones the selection asks for. A store left out keeps a record that says
// why: "skipped" with no error when an earlier run merged it, with the reason otherwise.

#include <optional>
#include <vector>

#include "programs/obsmerge-lojas/CommandLine.h"
#include "programs/obsmerge-lojas/StoreList.h"
#include "programs/obsmerge-lojas/StoreRecord.h"

using namespace morvanta;

struct PlannedStore {
  StoreEntry entry;
  std::optional<StoreRecord> skipped;  // none: the store runs
  std::optional<StoreRecord> earlier;  // its record in the earlier report
};

// The record of a store that was to run and did not start (the run stopped first): "skipped",
// done when an earlier run had merged it, with `reason` otherwise.
StoreRecord NotStarted(const PlannedStore& planned, AnsiString reason);

std::vector<PlannedStore> PlanRun(const std::vector<StoreEntry>& stores, const std::optional<Shard>& shard,
                                  Selection selection, const std::vector<StoreRecord>& earlier);
