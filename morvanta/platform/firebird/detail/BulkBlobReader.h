#pragma once
// Reads the contents of many blobs in a few round trips: one selectable EXECUTE BLOCK takes a
// batch of blob ids as parameters and returns their bytes as a stream of long binary strings,
// each blob preceded by its length. Over a network link this replaces two round trips per blob
// (open, read) by a few per batch.
//
// The block runs in the transaction that fetched the ids (the server lets a transaction read the
// blobs it fetched). The ids are taken as binary blobs, so the bytes come back as they are
// stored, whatever the blob's sub-type and character set. A value the block cannot return (the
// statement fails, the stream does not parse) is left out: the caller reads it by itself.

#include <optional>
#include <string>
#include <vector>

#include "morvanta/platform/firebird/DriverCounts.h"
#include "morvanta/platform/firebird/detail/Handles.h"

namespace morvanta::fb::detail {

class BulkBlobReader {
 public:
  // Counts its executions and the blobs they returned in `counts`.
  BulkBlobReader(FbRef<Firebird::IAttachment> attachment, unsigned dialect, DriverCounts& counts);
  ~BulkBlobReader();
  BulkBlobReader(const BulkBlobReader&) = delete;
  BulkBlobReader& operator=(const BulkBlobReader&) = delete;

  // The blob ids one execution takes.
  static constexpr unsigned kBatch = 1024;

  // Fills out[i] with the bytes of ids[i] for every id it could read; leaves the others empty.
  void Read(Firebird::ITransaction* transaction, const std::vector<ISC_QUAD>& ids,
            std::vector<std::optional<std::string>>& out);

  // The statement text for `count` ids (exposed for the tests).
  static std::string BlockText(unsigned count);

 private:
  bool Prepare(Firebird::ITransaction* transaction);
  bool ReadBatch(Firebird::ITransaction* transaction, const ISC_QUAD* ids, unsigned count,
                 std::optional<std::string>* out);

  FbRef<Firebird::IAttachment> attachment_;
  unsigned dialect_;
  DriverCounts& counts_;
  bool refused_ = false;  // the server would not prepare the block: always read one by one
  StatementHandle statement_;
  MetadataRef input_, output_;
  std::vector<unsigned char> inBuffer_, outBuffer_;
};

}  // namespace morvanta::fb::detail
