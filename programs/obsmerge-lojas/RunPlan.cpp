#include "programs/obsmerge-lojas/RunPlan.h"

#include <map>

using namespace morvanta;

namespace {

StoreRecord Skipped(const StoreEntry& entry, const StoreRecord* earlier, AnsiString reason) {
  StoreRecord record;
  if (earlier) record = *earlier;  // the counts and the exit code of the run that merged it
  record.store = entry.store;
  record.database = entry.database;
  record.user = entry.user;
  record.status = StoreStatus::Skipped;
  record.seconds = 0;
  record.preview.clear();
  record.error = std::move(reason);
  return record;
}

}  // namespace

StoreRecord NotStarted(const PlannedStore& planned, AnsiString reason) {
  if (planned.earlier && planned.earlier->Done()) return Skipped(planned.entry, &*planned.earlier, AnsiString());
  return Skipped(planned.entry, nullptr, std::move(reason));
}

std::vector<PlannedStore> PlanRun(const std::vector<StoreEntry>& stores, const std::optional<Shard>& shard,
                                  Selection selection, const std::vector<StoreRecord>& earlier) {
  std::map<AnsiString, const StoreRecord*> before;
  for (const StoreRecord& record : earlier) before[record.store] = &record;
  std::vector<PlannedStore> plan;
  for (std::size_t i = 0; i < stores.size(); ++i) {
    if (shard && static_cast<int>(i % static_cast<std::size_t>(shard->count)) != shard->index - 1) continue;
    const StoreEntry& entry = stores[i];
    const auto found = before.find(entry.store);
    const StoreRecord* last = found == before.end() ? nullptr : found->second;
    PlannedStore planned{entry, std::nullopt, last ? std::optional<StoreRecord>(*last) : std::nullopt};
    if (selection == Selection::NotDone && last && last->Done()) {
      planned.skipped = Skipped(entry, last, AnsiString());
    } else if (selection == Selection::FailedBefore && !(last && last->Failure())) {
      if (last && last->Done()) planned.skipped = Skipped(entry, last, AnsiString());
      else planned.skipped = Skipped(entry, nullptr, "não falhou na última vez (--retry-failed)"_a);
    }
    plan.push_back(std::move(planned));
  }
  return plan;
}
