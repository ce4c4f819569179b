#pragma once
// The values of one message buffer (a fetched row, a procedure's outputs), decoded on demand.
// Text is read in place from the buffer; blobs are read whole the first time a row's value is
// asked for, into one buffer per column that the next rows reuse.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "morvanta/platform/firebird/detail/MessageColumns.h"
#include "morvanta/platform/core/Variant.h"

namespace morvanta::fb::detail {

class RowValues {
 public:
  // Reads a blob by id into the given buffer.
  using BlobReader = std::function<void(ISC_QUAD, std::string&)>;

  RowValues(std::vector<Column> columns, unsigned messageLength, bool trimChar, BlobReader blobReader);

  const std::vector<Column>& Columns() const { return columns_; }
  int Count() const { return static_cast<int>(columns_.size()); }
  unsigned char* Buffer() { return buffer_.data(); }
  // The buffer holds a new row: values decoded for the last one are stale.
  void NewRow() { ++row_; }
  // No row: every value reads as null.
  void SetEmpty(bool empty) { empty_ = empty; }

  bool IsNull(int index) const;
  // Text of text and blob columns without a copy where the bytes can be used as they are; any
  // other type as its text. Valid until the next row.
  std::string_view Text(int index) const;
  AnsiString AsString(int index) const { return AnsiString(Text(index)); }
  std::int64_t AsInteger(int index) const;
  double AsFloat(int index) const;
  TDateTime AsDateTime(int index) const;
  bool AsBoolean(int index) const;
  TVariant Value(int index) const;

 private:
  struct Cache {
    std::uint64_t row = ~std::uint64_t(0);
    std::string text;
  };
  const unsigned char* At(const Column& c) const { return buffer_.data() + c.offset; }
  std::int64_t RawInteger(const Column& c) const;
  double Scaled(const Column& c) const;
  std::string_view RawText(const Column& c) const;
  template <class Fill>
  std::string_view Cached(int index, Fill fill) const;

  std::vector<Column> columns_;
  std::vector<unsigned char> buffer_;
  bool trimChar_;
  BlobReader blobReader_;
  bool empty_ = false;
  std::uint64_t row_ = 0;
  mutable std::vector<Cache> caches_;
};

// Exact decimal text of a scaled integer ("12.3" for 1230 at scale -2).
AnsiString ScaledToText(std::int64_t value, int scale);

}  // namespace morvanta::fb::detail
