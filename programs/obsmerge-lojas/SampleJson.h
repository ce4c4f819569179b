#pragma once
// A preview's row in JSON, the same in the reading run's output and in the report:
// {"lja_codigo": 1, "cpe_codigo": 10, "before": "...", "after": "..."} (texts in UTF-8).

#include <nlohmann/json.hpp>

#include "programs/obsmerge-lojas/StoreReading.h"

using namespace morvanta;

nlohmann::ordered_json SamplesToJson(const std::vector<MergeSample>& samples);
// Raises nlohmann::json::exception when it is not such a list.
std::vector<MergeSample> SamplesFromJson(const nlohmann::ordered_json& samples);
