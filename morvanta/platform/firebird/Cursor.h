#pragma once
// An open select as the framework reads it: forward only, one row at a time. The values of the
// current row are decoded when asked for; a null reads as the empty text, 0 or the zero
// date-time. The cursor holds its transaction: an implicit one ends when the cursor reaches the
// end or closes.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "morvanta/platform/firebird/Columns.h"
#include "morvanta/platform/core/Variant.h"

namespace morvanta::fb {

namespace detail {
class Cursor;  // the client library's result set (detail/Cursor.h)
}

class Cursor {
 public:
  explicit Cursor(std::unique_ptr<detail::Cursor> cursor);
  ~Cursor();
  Cursor(const Cursor&) = delete;
  Cursor& operator=(const Cursor&) = delete;

  // Fetches the next row; false, and closed, at the end.
  bool Next();
  bool Eof() const;
  void Close();
  // The rows fetched at once from now on (1, the default: one at a time). On a server connection
  // the blobs of such a window are read in a few round trips instead of two per blob.
  void SetReadAhead(unsigned rows);

  // The columns of the rows, in select order.
  const std::vector<fb::Column>& Columns() const;
  bool IsNull(int index) const;
  // Text of text and blob columns without a copy where possible; valid until the next row.
  std::string_view Text(int index) const;
  AnsiString AsString(int index) const;
  std::int64_t AsInteger(int index) const;
  double AsFloat(int index) const;
  TDateTime AsDateTime(int index) const;
  bool AsBoolean(int index) const;
  TVariant Value(int index) const;

 private:
  std::unique_ptr<detail::Cursor> cursor_;
};

}  // namespace morvanta::fb
