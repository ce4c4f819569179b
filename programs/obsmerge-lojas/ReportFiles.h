#pragma once
// The report folder: report.csv and report.json, one record per store with the fields store,
// database, user, rows_before, rows_after, exit_code, seconds, status and error (texts in UTF-8;
// a number that is not known is empty in the CSV file and null in the JSON file). A preview adds
// to each store's JSON record a "preview" list of its first rows (lja_codigo, cpe_codigo, before,
// after), and writes the same rows to preview.csv.
//
// Each file is written whole to a temporary name and renamed, so that a reader (or a runner
// killed while writing) never sees half a report.

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "programs/obsmerge-lojas/StoreRecord.h"

using namespace morvanta;

void WriteReport(const std::filesystem::path& folder, const std::vector<StoreRecord>& records);

// The records of report.json in `folder`; none when there is no report yet. Raises
// ReportUnreadable when the file is there but is not a report.
std::vector<StoreRecord> ReadReport(const std::filesystem::path& folder);

class ReportUnreadable : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
