#pragma once
// What the runner reads from a store itself, through the component layer and never writing: the
// rows the merge would change (its own select, as a count) and, for a preview, the first few of
// them with their main observation before and after the merge.
//
// The connection is the merge's own (driver profile "Interbase", the program's fixed password),
// with every write permission of the store switched off, so that the layer refuses any write; the
// selects run outside any transaction of the run, in read-only transactions of their own.

#include <cstdint>
#include <vector>

#include "morvanta/platform/core/Text.h"

using namespace morvanta;

struct MergeSample {
  std::int64_t store = 0;  // lja_codigo
  std::int64_t order = 0;  // cpe_codigo
  AnsiString before;       // obs_observ as it is
  AnsiString after;        // the text the merge writes: obs_observ + " " + obs_temp
};

struct MergePreview {
  std::uint64_t rows = 0;
  std::vector<MergeSample> samples;
};

// Raise the database's error (the component layer's exceptions) when the store cannot be read.
std::uint64_t CountRowsToMerge(const AnsiString& database, const AnsiString& user);
MergePreview PreviewMerge(const AnsiString& database, const AnsiString& user, int sampleRows);
