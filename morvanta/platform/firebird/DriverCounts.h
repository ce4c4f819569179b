#pragma once
// What the driver did on one connection, counted so that a fast path that fell back shows it:
// the blobs a bulk read carried and the ones read one by one (and why), the batches of held-back
// writes and the statements they carried, and the writes that were meant to be held back and ran
// one at a time instead (and why). Nothing here shows the client library.

#include <cstdint>

namespace morvanta::fb {

struct DriverCounts {
  // Reading: executions of the bulk blob block and the blobs they returned.
  std::int64_t bulkReads = 0;
  std::int64_t bulkBlobs = 0;
  // Blobs read by themselves (two round trips each on a server), by reason.
  std::int64_t blobsAloneNoReadAhead =
      0;  // the cursor read one row at a time, on the embedded engine, or under a size limit
  std::int64_t blobsAloneMissed = 0;  // the bulk read could not carry them (refused, failed, did not parse)

  // Writing held back: the blocks that ran and the statements they carried.
  std::int64_t writeBatches = 0;
  std::int64_t batchedStatements = 0;
  // Blocks the server would not prepare (too large for it): the batch was then split.
  std::int64_t blockRefusals = 0;
  // Writes meant to be held back that ran one at a time instead, by reason.
  std::int64_t writesAloneNoPipeline =
      0;  // no explicit transaction, the embedded engine, or a connection character set
  std::int64_t writesAloneNotBatchable = 0;  // the statement or one of its values cannot stand in a block
  std::int64_t writesAloneSingle = 0;        // the batch held one statement only
  std::int64_t writesAloneCounted = 0;       // run by itself so that the server counts its rows

  std::int64_t BlobsAlone() const { return blobsAloneNoReadAhead + blobsAloneMissed; }
  std::int64_t WritesAlone() const {
    return writesAloneNoPipeline + writesAloneNotBatchable + writesAloneSingle + writesAloneCounted;
  }
};

}  // namespace morvanta::fb
