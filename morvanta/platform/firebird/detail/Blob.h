#pragma once
// Reading and writing whole blobs.

#include <string>

#include <firebird/Interface.h>

namespace morvanta::fb::detail {

// Reads the blob into `out` (replacing its content, reusing its storage), in large segments;
// with `limit` above 0 at most that many bytes.
void ReadBlob(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction, ISC_QUAD id, std::string& out,
              std::size_t limit = 0);

// Creates a blob holding `data` and returns its id.
ISC_QUAD WriteBlob(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction, std::string_view data);

}  // namespace morvanta::fb::detail
