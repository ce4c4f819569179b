#include "morvanta/platform/framework/RecordStore.h"

#include <cstring>
#include <limits>

#include "morvanta/platform/core/Exceptions.h"

namespace morvanta {

namespace {

constexpr std::size_t kBlockSize = 256 * 1024;
// Rows bigger than this get a block of their own instead of cutting the current one short.
constexpr std::size_t kOwnBlockRow = kBlockSize / 4;
// Replaced and deleted rows are reclaimed once they outweigh the live rows by this much.
constexpr std::size_t kCompactThreshold = 4 * 1024 * 1024;

std::uint32_t Load32(const std::byte* p) {
  std::uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void Store32(std::byte* p, std::uint32_t v) { std::memcpy(p, &v, sizeof v); }

}  // namespace

ValueKind ValueKindOf(TFieldType type) {
  switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
      return ValueKind::Integer;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
      return ValueKind::Float;
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
    case ftOraTimeStamp:
      return ValueKind::DateTime;
    case ftBoolean:
      return ValueKind::Boolean;
    default:
      return ValueKind::Text;
  }
}

// ---- RecordBuffer ----

void RecordBuffer::Reset(const std::vector<ValueKind>& kinds) {
  if (cells_.size() != kinds.size()) cells_.resize(kinds.size());
  for (Cell& c : cells_) {
    c.isNull = true;
    c.integer = 0;
    c.real = 0;
    c.text.clear();  // keeps the capacity for the next record
  }
}

void RecordBuffer::Release() { std::vector<Cell>().swap(cells_); }

FieldValue RecordBuffer::Read(int field) const {
  const Cell& c = cells_[static_cast<std::size_t>(field)];
  if (c.isNull) return FieldValue::Null();
  return {false, c.integer, c.real, c.text};
}

void RecordBuffer::Write(int field, const FieldValue& value) {
  Cell& c = cells_[static_cast<std::size_t>(field)];
  c.isNull = value.isNull;
  c.integer = value.isNull ? 0 : value.integer;
  c.real = value.isNull ? 0 : value.real;
  if (value.isNull) c.text.clear();
  else c.text.assign(value.text.data(), value.text.size());
}

// ---- RecordStore ----

RecordStore::RecordStore(std::vector<ValueKind> kinds) : kinds_(std::move(kinds)) {
  const std::uint32_t bitmap = static_cast<std::uint32_t>((kinds_.size() + 7) / 8);
  std::uint32_t offset = bitmap;
  layout_.reserve(kinds_.size());
  for (ValueKind k : kinds_) {
    Layout l{offset, lastTextSlot_};
    if (k == ValueKind::Text) {
      lastTextSlot_ = static_cast<std::int32_t>(offset);
      offset += 4;
    } else {
      l.prevText = -1;
      offset += 8;
    }
    layout_.push_back(l);
  }
  fixedSize_ = offset;
}

RecordStore::~RecordStore() = default;

std::size_t RecordStore::RowSize(const std::byte* row) const {
  return lastTextSlot_ < 0 ? fixedSize_ : Load32(row + lastTextSlot_);
}

FieldValue RecordStore::Read(int row, int field) const {
  const std::byte* r = rows_[static_cast<std::size_t>(row)];
  const auto f = static_cast<std::size_t>(field);
  if ((static_cast<unsigned>(r[f / 8]) >> (f % 8)) & 1u) return FieldValue::Null();
  const Layout& l = layout_[f];
  switch (kinds_[f]) {
    case ValueKind::Text: {
      std::uint32_t end = Load32(r + l.slot);
      std::uint32_t begin = l.prevText < 0 ? fixedSize_ : Load32(r + l.prevText);
      return FieldValue::OfText(std::string_view(reinterpret_cast<const char*>(r) + begin, end - begin));
    }
    case ValueKind::Float:
    case ValueKind::DateTime: {
      double d;
      std::memcpy(&d, r + l.slot, sizeof d);
      return FieldValue::OfReal(d);
    }
    default: {
      std::int64_t i;
      std::memcpy(&i, r + l.slot, sizeof i);
      return FieldValue::OfInteger(i);
    }
  }
}

void RecordStore::Load(int row, RecordBuffer& buffer) const {
  buffer.Reset(kinds_);
  for (int f = 0; f < static_cast<int>(kinds_.size()); ++f) buffer.Write(f, Read(row, f));
}

std::size_t RecordStore::EncodedSize(const RecordBuffer& buffer) const {
  std::size_t size = fixedSize_;
  for (std::size_t f = 0; f < kinds_.size(); ++f)
    if (kinds_[f] == ValueKind::Text && !buffer.cells_[f].isNull) size += buffer.cells_[f].text.size();
  if (size > std::numeric_limits<std::uint32_t>::max()) throw EDatabaseError("Record size exceeds the maximum of 4 GB");
  return size;
}

void RecordStore::Encode(const RecordBuffer& buffer, std::byte* row) const {
  std::memset(row, 0, (kinds_.size() + 7) / 8);
  std::uint32_t textEnd = fixedSize_;
  for (std::size_t f = 0; f < kinds_.size(); ++f) {
    const RecordBuffer::Cell& c = buffer.cells_[f];
    const Layout& l = layout_[f];
    if (c.isNull) row[f / 8] |= static_cast<std::byte>(1u << (f % 8));
    switch (kinds_[f]) {
      case ValueKind::Text:
        if (!c.isNull && !c.text.empty()) {
          std::memcpy(row + textEnd, c.text.data(), c.text.size());
          textEnd += static_cast<std::uint32_t>(c.text.size());
        }
        Store32(row + l.slot, textEnd);
        break;
      case ValueKind::Float:
      case ValueKind::DateTime: {
        double d = c.isNull ? 0 : c.real;
        std::memcpy(row + l.slot, &d, sizeof d);
        break;
      }
      default: {
        std::int64_t i = c.isNull ? 0 : c.integer;
        std::memcpy(row + l.slot, &i, sizeof i);
        break;
      }
    }
  }
}

std::byte* RecordStore::Arena::Allocate(std::size_t size) {
  if (size > freeSize) {
    if (size > kOwnBlockRow) {
      blocks.push_back(std::make_unique_for_overwrite<std::byte[]>(size));
      bytes += size;
      return blocks.back().get();
    }
    blocks.push_back(std::make_unique_for_overwrite<std::byte[]>(kBlockSize));
    bytes += kBlockSize;
    free = blocks.back().get();
    freeSize = kBlockSize;
  }
  std::byte* p = free;
  free += size;
  freeSize -= size;
  return p;
}

void RecordStore::Insert(int row, const RecordBuffer& buffer) {
  const std::size_t size = EncodedSize(buffer);
  if (rows_.size() == rows_.capacity()) rows_.reserve(rows_.empty() ? 1024 : rows_.size() * 2);
  std::byte* p = arena_.Allocate(size);
  Encode(buffer, p);
  rows_.insert(rows_.begin() + row, p);  // cannot throw: the capacity is there
}

void RecordStore::Replace(int row, const RecordBuffer& buffer) {
  std::byte*& slot = rows_[static_cast<std::size_t>(row)];
  const std::size_t oldSize = RowSize(slot);
  const std::size_t size = EncodedSize(buffer);
  if (size <= oldSize) {
    // Encoding reads only the buffer, so the old slice can be overwritten in place.
    Encode(buffer, slot);
    NoteGarbage(oldSize - size);
    return;
  }
  std::byte* p = arena_.Allocate(size);
  Encode(buffer, p);
  slot = p;
  NoteGarbage(oldSize);
}

void RecordStore::Delete(int row) {
  const std::size_t size = RowSize(rows_[static_cast<std::size_t>(row)]);
  rows_.erase(rows_.begin() + row);
  NoteGarbage(size);
}

void RecordStore::Clear() {
  rows_.clear();
  rows_.shrink_to_fit();
  arena_ = Arena();
  garbage_ = 0;
}

void RecordStore::NoteGarbage(std::size_t bytes) {
  garbage_ += bytes;
  if (garbage_ > kCompactThreshold && garbage_ * 2 > arena_.Used()) Compact();
}

// Copies the live rows into a fresh arena; on failure the store stays as it was.
void RecordStore::Compact() {
  Arena fresh;
  std::vector<std::byte*> moved(rows_.size());
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const std::size_t size = RowSize(rows_[i]);
    moved[i] = fresh.Allocate(size);
    std::memcpy(moved[i], rows_[i], size);
  }
  rows_.swap(moved);
  arena_ = std::move(fresh);
  garbage_ = 0;
}

std::size_t RecordStore::BytesReserved() const { return arena_.bytes + rows_.capacity() * sizeof(std::byte*); }

}  // namespace morvanta
