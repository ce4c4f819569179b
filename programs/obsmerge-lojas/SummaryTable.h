#pragma once
// The table printed at the end of a run: one line per store (status, rows before and after,
// seconds, the first line of the error) and a line of totals per status.

#include <string>
#include <vector>

#include "programs/obsmerge-lojas/StoreRecord.h"

using namespace morvanta;

std::string SummaryTable(const std::vector<StoreRecord>& records);
