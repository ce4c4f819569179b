#pragma once
// The runner's own reading of a store, run as a child process of the runner (the runner starts
// its own executable with a first argument of its own), so that the stores are read in parallel,
// each in a process of its own, like the merge runs:
//
//   obsmerge-lojas --count-rows DATABASE USER
//   obsmerge-lojas --preview-rows DATABASE USER SAMPLES
//
// Writes one JSON object to the standard output ({"rows": N, "samples": [...]}) and exits with 0;
// after an error its class and message go to the standard error stream and the exit code is 1.

#include <optional>
#include <string>
#include <vector>

#include "programs/obsmerge-lojas/StoreReading.h"

using namespace morvanta;

inline constexpr const char* kCountRowsOption = "--count-rows";
inline constexpr const char* kPreviewRowsOption = "--preview-rows";

// Whether the command line asks for a reading run.
bool IsReadingHelperCall(const std::vector<std::string>& arguments);
// Runs it (arguments without the program name); the exit code.
int RunReadingHelper(const std::vector<std::string>& arguments);
// What a reading run wrote; none when it is not a result.
std::optional<MergePreview> ParseReadingOutput(const std::string& output);
