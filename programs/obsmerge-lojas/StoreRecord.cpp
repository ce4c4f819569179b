#include "programs/obsmerge-lojas/StoreRecord.h"

using namespace morvanta;

namespace {

constexpr std::pair<StoreStatus, const char*> kNames[] = {{StoreStatus::Ok, "ok"},
                                                          {StoreStatus::Failed, "failed"},
                                                          {StoreStatus::Timeout, "timeout"},
                                                          {StoreStatus::Skipped, "skipped"},
                                                          {StoreStatus::Preview, "preview"}};

}  // namespace

const char* StatusName(StoreStatus status) {
  for (const auto& [value, name] : kNames)
    if (value == status) return name;
  return "?";
}

std::optional<StoreStatus> StatusNamed(std::string_view name) {
  for (const auto& [value, text] : kNames)
    if (name == text) return value;
  return std::nullopt;
}
