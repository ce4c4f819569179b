#include "morvanta/platform/firebird/detail/InputMessage.h"

#include <algorithm>
#include <cstring>

#include "morvanta/platform/firebird/detail/Blob.h"
#include "morvanta/platform/firebird/detail/Dates.h"

namespace morvanta::fb::detail {

namespace {

// CS_NONE: bytes pass unchanged; CS_dynamic: the connection's character set.
constexpr unsigned kCharSetNone = 0;
constexpr unsigned kCharSetDynamic = 127;

bool IsTextType(TFieldType t) {
  switch (t) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftFixedWideChar:
    case ftMemo:
    case ftFmtMemo:
    case ftWideMemo:
    case ftOraClob:
    case ftGuid:
      return true;
    default:
      return false;
  }
}

bool IsBinaryType(TFieldType t) {
  switch (t) {
    case ftBlob:
    case ftOraBlob:
    case ftGraphic:
    case ftTypedBinary:
    case ftBytes:
    case ftVarBytes:
    case ftParadoxOle:
    case ftDBaseOle:
      return true;
    default:
      return false;
  }
}

bool IsIntegerType(TFieldType t) {
  return t == ftSmallint || t == ftInteger || t == ftLargeint || t == ftWord || t == ftAutoInc;
}
bool IsFloatType(TFieldType t) { return t == ftFloat || t == ftCurrency || t == ftBCD || t == ftFMTBcd; }
bool IsDateType(TFieldType t) {
  return t == ftDate || t == ftTime || t == ftDateTime || t == ftTimeStamp || t == ftOraTimeStamp;
}

}  // namespace

unsigned TextSlotLength(std::size_t length) {
  std::size_t slot = 64;
  while (slot < length) slot *= 2;
  return static_cast<unsigned>(std::min(slot, kMaxInlineBlob));
}

std::vector<const TParam*> ValuesOf(const TParams& params) {
  std::vector<const TParam*> values;
  values.reserve(static_cast<std::size_t>(params.Count()));
  for (int i = 0; i < params.Count(); ++i) values.push_back(&params[i]);
  return values;
}

void InputMessage::Build(const std::vector<const TParam*>& params, Firebird::IAttachment* attachment,
                         Firebird::ITransaction* transaction, bool utf8Text, bool hasCharSet) {
  const Target target{attachment, transaction, utf8Text, hasCharSet ? kCharSetDynamic : kCharSetNone};
  converted_.clear();
  converted_.reserve(2 * params.size());  // no reallocation: views into it stay valid
  values_.assign(params.size(), Encoded{});
  slots_.assign(params.size(), Slot{});
  for (std::size_t i = 0; i < params.size(); ++i) Encode(*params[i], target, values_[i], slots_[i]);
  if (slots_ != layout_ || (!metadata_ && !slots_.empty())) Layout(slots_);
  Fill();
  converted_.clear();
}

InputMessage::Kind InputMessage::KindOfVariant(const TVariant& v) {
  switch (v.GetKind()) {
    case TVariant::Kind::Boolean:
      return Kind::Boolean;
    case TVariant::Kind::Integer:
      return Kind::Integer;
    case TVariant::Kind::Float:
      return Kind::Float;
    case TVariant::Kind::DateTime:
      return Kind::Timestamp;
    case TVariant::Kind::String:
      return Kind::Text;
    default:
      return Kind::Null;
  }
}

InputMessage::Kind InputMessage::KindOf(const TParam& p) {
  const TVariant& v = p.Value();
  if (v.IsNull()) return Kind::Null;
  const TFieldType t = p.DataType();
  const bool isString = v.GetKind() == TVariant::Kind::String;
  if (IsTextType(t) || IsBinaryType(t)) return Kind::Text;
  // A number or a date given as text goes as text; the server converts it.
  if (IsIntegerType(t)) return isString ? Kind::Text : Kind::Integer;
  if (IsFloatType(t)) return isString ? Kind::Text : Kind::Float;
  if (IsDateType(t)) return isString ? Kind::Text : Kind::Timestamp;
  if (t == ftBoolean) return Kind::Boolean;
  return KindOfVariant(v);
}

void InputMessage::Encode(const TParam& p, const Target& target, Encoded& e, Slot& s) {
  e.kind = KindOf(p);
  switch (e.kind) {
    case Kind::Null:
      s = {SQL_VARYING, 1, target.textCharSet};
      break;
    case Kind::Text:
      EncodeText(p, target, e, s);
      break;
    case Kind::Integer:
      e.integer = p.Value().AsInteger();
      s = {SQL_INT64, sizeof(std::int64_t), 0};
      break;
    case Kind::Float:
      e.number = p.Value().AsFloat();
      s = {SQL_DOUBLE, sizeof(double), 0};
      break;
    case Kind::Timestamp:
      e.timestamp = ToIscTimestamp(p.Value().AsDateTime());
      s = {SQL_TIMESTAMP, sizeof(ISC_TIMESTAMP), 0};
      break;
    case Kind::Boolean:
      e.boolean = p.Value().AsBoolean();
      s = {SQL_BOOLEAN, 1, 0};
      break;
    case Kind::BlobId:
      break;
  }
}

void InputMessage::EncodeText(const TParam& p, const Target& target, Encoded& e, Slot& s) {
  e.text = p.Value().StringRef();
  if (p.Value().GetKind() != TVariant::Kind::String) {
    converted_.push_back(p.Value().AsString());
    e.text = converted_.back();
  }
  if (target.utf8Text && !IsBinaryType(p.DataType())) {
    converted_.push_back(ToSystem(e.text));
    e.text = converted_.back();
  }
  if (e.text.size() > kMaxInlineBlob) {
    e.kind = Kind::BlobId;
    e.blob = WriteBlob(target.attachment, target.transaction, e.text);
    s = {SQL_BLOB, sizeof(ISC_QUAD), 0};
  } else {
    s = {SQL_VARYING, TextSlotLength(e.text.size()), target.textCharSet};
  }
}

void InputMessage::Fill() {
  for (std::size_t i = 0; i < values_.size(); ++i) {
    const Encoded& e = values_[i];
    unsigned char* at = buffer_.data() + offsets_[i];
    const short null = e.kind == Kind::Null ? -1 : 0;
    std::memcpy(buffer_.data() + nullOffsets_[i], &null, sizeof null);
    switch (e.kind) {
      case Kind::Null:
        break;
      case Kind::Text: {
        const auto length = static_cast<std::uint16_t>(e.text.size());
        std::memcpy(at, &length, sizeof length);
        if (length) std::memcpy(at + sizeof length, e.text.data(), length);
        break;
      }
      case Kind::Integer:
        std::memcpy(at, &e.integer, sizeof e.integer);
        break;
      case Kind::Float:
        std::memcpy(at, &e.number, sizeof e.number);
        break;
      case Kind::Timestamp:
        std::memcpy(at, &e.timestamp, sizeof e.timestamp);
        break;
      case Kind::Boolean:
        *at = e.boolean ? 1 : 0;
        break;
      case Kind::BlobId:
        std::memcpy(at, &e.blob, sizeof e.blob);
        break;
    }
  }
}

void InputMessage::Layout(const std::vector<Slot>& slots) {
  layout_ = slots;
  metadata_.Reset();
  offsets_.clear();
  nullOffsets_.clear();
  buffer_.clear();
  if (slots.empty()) return;
  Status status;
  MetadataBuilderRef builder(Master()->getMetadataBuilder(&status, static_cast<unsigned>(slots.size())));
  for (unsigned i = 0; i < slots.size(); ++i) {
    builder->setType(&status, i, slots[i].type | 1u);  // nullable: the message carries null flags
    builder->setLength(&status, i, slots[i].length);
    builder->setScale(&status, i, 0);
    if (slots[i].type == SQL_VARYING) builder->setCharSet(&status, i, slots[i].charSet);
    else builder->setSubType(&status, i, 0);
  }
  metadata_ = MetadataRef(builder->getMetadata(&status));
  for (unsigned i = 0; i < slots.size(); ++i) {
    offsets_.push_back(metadata_->getOffset(&status, i));
    nullOffsets_.push_back(metadata_->getNullOffset(&status, i));
  }
  buffer_.assign(metadata_->getMessageLength(&status), 0);
}

}  // namespace morvanta::fb::detail
