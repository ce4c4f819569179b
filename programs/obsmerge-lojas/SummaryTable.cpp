#include "programs/obsmerge-lojas/SummaryTable.h"

#include <cstdio>
#include <map>

#include "programs/obsmerge-lojas/TextCell.h"

using namespace morvanta;

namespace {

template <typename T>
std::string Number(const std::optional<T>& value) {
  return value ? std::to_string(*value) : std::string("-");
}

}  // namespace

std::string SummaryTable(const std::vector<StoreRecord>& records) {
  std::size_t width = 4;
  for (const StoreRecord& r : records) width = std::max(width, r.store.size());
  width = std::min<std::size_t>(width, 30);
  std::string table;
  char line[512];
  std::snprintf(line, sizeof line, "%s  %-8s %10s %10s %9s  %s\n", TextCell("loja"_a, width).c_str(), "status", "antes",
                "depois", "segundos", "erro");
  table += line;
  std::map<StoreStatus, int> perStatus;
  for (const StoreRecord& r : records) {
    std::snprintf(line, sizeof line, "%s  %-8s %10s %10s %9.1f  %s", TextCell(r.store, width).c_str(),
                  StatusName(r.status), Number(r.rowsBefore).c_str(), Number(r.rowsAfter).c_str(), r.seconds,
                  TextCell(r.error, 100).c_str());
    table += TrimRight(line) + "\n";
    ++perStatus[r.status];
  }
  table += std::to_string(records.size()) + " lojas:";
  for (const auto& [status, count] : perStatus) table += " " + std::to_string(count) + " " + StatusName(status);
  return table + "\n";
}
