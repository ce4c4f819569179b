#include "morvanta/platform/firebird/detail/Blob.h"

#include <memory>

#include <algorithm>

#include "morvanta/platform/firebird/detail/Handles.h"

namespace morvanta::fb::detail {

namespace {

// A segment is at most 64 KB less one byte.
constexpr unsigned kMaxSegment = 65535;

}  // namespace

void ReadBlob(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction, ISC_QUAD id, std::string& out,
              std::size_t limit) {
  out.clear();  // keeps the storage of earlier rows
  Status status;
  BlobHandle blob(attachment->openBlob(&status, transaction, &id, 0, nullptr), false);
  // Segments land in a buffer kept for the thread: growing `out` by a whole segment for every
  // blob would clear 64 KB per row when most texts are short.
  thread_local std::unique_ptr<char[]> segment(new char[kMaxSegment]);
  std::size_t used = 0;
  for (;;) {
    std::size_t room = limit > 0 ? std::min<std::size_t>(limit - used, kMaxSegment) : kMaxSegment;
    if (room == 0) break;
    unsigned got = 0;
    int result = blob->getSegment(&status, static_cast<unsigned>(room), segment.get(), &got);
    if (result != Firebird::IStatus::RESULT_OK && result != Firebird::IStatus::RESULT_SEGMENT) break;
    out.append(segment.get(), got);
    used += got;
  }
  blob.Close();
}

ISC_QUAD WriteBlob(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction, std::string_view data) {
  ISC_QUAD id{};
  Status status;
  BlobHandle blob(attachment->createBlob(&status, transaction, &id, 0, nullptr), true);
  for (std::size_t at = 0; at < data.size(); at += kMaxSegment) {
    std::size_t length = std::min<std::size_t>(kMaxSegment, data.size() - at);
    blob->putSegment(&status, static_cast<unsigned>(length), data.data() + at);
  }
  blob.Close();
  return id;
}

}  // namespace morvanta::fb::detail
