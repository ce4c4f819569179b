#pragma once
// The input message of a statement, laid out from the parameters' values and data types. Firebird
// converts the message we describe to the statement's own parameter types, so the layout follows
// the values: text as VARYING, integers as BIGINT, numbers as DOUBLE, date-times as TIMESTAMP,
// Booleans as BOOLEAN. A blob value of up to kMaxInlineBlob bytes travels as text that the server
// turns into the blob (no blob round trips); a longer one is written as a real blob first.

#include <string>
#include <vector>

#include "FbHandles.h"
#include "Params.h"

namespace fb {

// The longest text a VARYING of the message can carry.
inline constexpr std::size_t kMaxInlineBlob = 32765;

class InputMessage {
 public:
  // Lays out and fills the message for `params`, in order. Long blob values are created in
  // `transaction`. With `utf8Text` text values are converted to UTF-8.
  void Build(const std::vector<const TParam*>& params, Firebird::IAttachment* attachment,
             Firebird::ITransaction* transaction, bool utf8Text, bool hasCharSet);

  // nullptr for a statement without parameters.
  Firebird::IMessageMetadata* Metadata() const { return metadata_.Get(); }
  unsigned char* Buffer() { return buffer_.empty() ? nullptr : buffer_.data(); }

 private:
  struct Slot {
    unsigned type = 0;
    unsigned length = 0;
    unsigned charSet = 0;
    bool operator==(const Slot&) const = default;
  };
  void Layout(const std::vector<Slot>& slots);

  std::vector<Slot> layout_;
  MetadataRef metadata_;
  std::vector<unsigned> offsets_, nullOffsets_;
  std::vector<unsigned char> buffer_;
  std::vector<std::string> converted_;  // UTF-8 copies of text values, while the message is built
};

}  // namespace fb
