#pragma once
// Compact row storage of the in-memory record set, and the edit buffer a record is built in.
//
// A stored row is one slice of a block arena: a null bitmap, an 8-byte slot for every number,
// date-time or Boolean, a 4-byte end offset for every text, then the text bytes. Rows only grow in
// number while a query result is read, so appending must cost no allocation of its own beyond
// the arena and the row index.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "morvanta/platform/core/FieldTypes.h"

namespace morvanta {

// How a field's value is held: text kinds as bytes (any byte value), integer kinds as int64,
// float kinds and date-times as double, Boolean as a number 0 or 1.
enum class ValueKind : std::uint8_t { Text, Integer, Float, DateTime, Boolean };
ValueKind ValueKindOf(TFieldType type);

// One field's value as the storage holds it. `text` points into the storage: valid until the
// record it was read from changes.
struct FieldValue {
  bool isNull = true;
  std::int64_t integer = 0;  // Integer and Boolean kinds
  double real = 0;           // Float and DateTime kinds
  std::string_view text;     // Text kind

  static FieldValue Null() { return {}; }
  static FieldValue OfInteger(std::int64_t v) { return {false, v, 0, {}}; }
  static FieldValue OfReal(double v) { return {false, 0, v, {}}; }
  static FieldValue OfText(std::string_view v) { return {false, 0, 0, v}; }
};

// The record being inserted or edited: one value per field. Its text capacity is kept from one
// record to the next, so filling it row after row allocates nothing once it has grown.
class RecordBuffer {
 public:
  void Reset(const std::vector<ValueKind>& kinds);  // every field null
  void Release();                                   // gives back the text capacity
  int FieldCount() const { return static_cast<int>(cells_.size()); }
  FieldValue Read(int field) const;
  void Write(int field, const FieldValue& value);

 private:
  friend class RecordStore;
  struct Cell {
    bool isNull = true;
    std::int64_t integer = 0;
    double real = 0;
    std::string text;
  };
  std::vector<Cell> cells_;
};

class RecordStore {
 public:
  explicit RecordStore(std::vector<ValueKind> kinds);
  ~RecordStore();
  RecordStore(const RecordStore&) = delete;
  RecordStore& operator=(const RecordStore&) = delete;

  const std::vector<ValueKind>& Kinds() const { return kinds_; }
  int Count() const { return static_cast<int>(rows_.size()); }
  FieldValue Read(int row, int field) const;
  void Load(int row, RecordBuffer& buffer) const;  // copies a stored row into the buffer

  void Insert(int row, const RecordBuffer& buffer);  // row == Count() appends
  void Replace(int row, const RecordBuffer& buffer);
  void Delete(int row);
  void Clear();

  // Bytes held by the arena and the row index (for measurements).
  std::size_t BytesReserved() const;

 private:
  struct Layout {
    std::uint32_t slot;     // offset of the 8-byte value or the 4-byte text end
    std::int32_t prevText;  // slot of the previous text field's end, -1 for the first text
  };

  // Blocks of row slices, freed all at once.
  struct Arena {
    std::vector<std::unique_ptr<std::byte[]>> blocks;
    std::byte* free = nullptr;  // unused tail of the newest block
    std::size_t freeSize = 0;
    std::size_t bytes = 0;  // total size of the blocks
    std::byte* Allocate(std::size_t size);
    std::size_t Used() const { return bytes - freeSize; }
  };

  std::size_t EncodedSize(const RecordBuffer& buffer) const;
  void Encode(const RecordBuffer& buffer, std::byte* row) const;
  std::size_t RowSize(const std::byte* row) const;
  void NoteGarbage(std::size_t bytes);
  void Compact();

  std::vector<ValueKind> kinds_;
  std::vector<Layout> layout_;
  std::uint32_t fixedSize_ = 0;  // bitmap and slots; the text bytes follow
  std::int32_t lastTextSlot_ = -1;

  std::vector<std::byte*> rows_;
  Arena arena_;
  std::size_t garbage_ = 0;  // bytes of replaced or deleted rows still in the arena
};

}  // namespace morvanta
