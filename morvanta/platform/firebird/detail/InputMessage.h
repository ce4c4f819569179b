#pragma once
// The input message of a statement, laid out from the parameters' values and data types. Firebird
// converts the message we describe to the statement's own parameter types, so the layout follows
// the values: text as VARYING, integers as BIGINT, numbers as DOUBLE, date-times as TIMESTAMP,
// Booleans as BOOLEAN. A blob value of up to kMaxInlineBlob bytes travels as text that the server
// turns into the blob (no blob round trips); a longer one is written as a real blob first.

#include <string>
#include <string_view>
#include <vector>

#include "morvanta/platform/firebird/detail/Handles.h"
#include "morvanta/platform/core/Params.h"

namespace morvanta::fb::detail {

// The longest text a VARYING of the message can carry.
inline constexpr std::size_t kMaxInlineBlob = 32765;

// The length of the VARYING place a text of `length` bytes travels in: places are sized in steps,
// so that a statement run row after row with texts of varying length keeps one layout.
unsigned TextSlotLength(std::size_t length);

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
  enum class Kind { Null, Text, Integer, Float, Timestamp, Boolean, BlobId };
  // One place of the message: its SQL type, length and character set.
  struct Slot {
    unsigned type = 0;
    unsigned length = 0;
    unsigned charSet = 0;
    bool operator==(const Slot&) const = default;
  };
  // One value as it travels.
  struct Encoded {
    Kind kind = Kind::Null;
    std::string_view text;
    std::int64_t integer = 0;
    double number = 0;
    ISC_TIMESTAMP timestamp{};
    bool boolean = false;
    ISC_QUAD blob{};
  };
  // Where long values are written as blobs, and how text travels.
  struct Target {
    Firebird::IAttachment* attachment;
    Firebird::ITransaction* transaction;
    bool utf8Text;
    unsigned textCharSet;
  };

  // The kind a value travels as: by its declared type, or, without one, by its variant kind.
  static Kind KindOf(const TParam& param);
  static Kind KindOfVariant(const TVariant& value);
  void Encode(const TParam& param, const Target& target, Encoded& value, Slot& slot);
  void EncodeText(const TParam& param, const Target& target, Encoded& value, Slot& slot);
  void Layout(const std::vector<Slot>& slots);
  void Fill();

  std::vector<Slot> layout_;
  MetadataRef metadata_;
  std::vector<unsigned> offsets_, nullOffsets_;
  std::vector<unsigned char> buffer_;
  // Kept between builds so that a statement run row after row allocates nothing for them.
  std::vector<Encoded> values_;
  std::vector<Slot> slots_;
  std::vector<std::string> converted_;  // UTF-8 copies of text values, while the message is built
};

// The parameters of a list, in order, as the message takes them.
std::vector<const TParam*> ValuesOf(const TParams& params);

}  // namespace morvanta::fb::detail
