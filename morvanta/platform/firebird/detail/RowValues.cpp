#include "morvanta/platform/firebird/detail/RowValues.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/firebird/detail/Dates.h"

namespace morvanta::fb::detail {

namespace {

template <class T>
T Load(const unsigned char* p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

double PowerOfTen(int exponent) {
  static const double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                                   1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};
  return exponent >= 0 && exponent < 20 ? kPowers[exponent] : std::pow(10.0, exponent);
}

bool IsInteger(unsigned t) { return t == SQL_SHORT || t == SQL_LONG || t == SQL_INT64; }
bool IsFloat(unsigned t) { return t == SQL_FLOAT || t == SQL_DOUBLE || t == SQL_D_FLOAT; }

AnsiString TimeText(TDateTime value) {
  DateTimeParts p = DecodeDateTime(value);
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", p.hour, p.minute, p.second);
  return AnsiString(buffer);
}

}  // namespace

AnsiString ScaledToText(std::int64_t value, int scale) {
  if (scale >= 0) return IntToStr(value);
  const bool negative = value < 0;
  // Digits of the magnitude; the unsigned negation keeps the smallest value exact.
  std::uint64_t magnitude = negative ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
  std::string digits = std::to_string(magnitude);
  const std::size_t decimals = static_cast<std::size_t>(-scale);
  if (digits.size() <= decimals) digits.insert(0, decimals + 1 - digits.size(), '0');
  std::string whole = digits.substr(0, digits.size() - decimals);
  std::string fraction = digits.substr(digits.size() - decimals);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  std::string out = negative ? "-" : "";
  out += whole;
  if (!fraction.empty()) out += "." + fraction;
  return AnsiString(std::move(out));
}

RowValues::RowValues(std::vector<Column> columns, unsigned messageLength, bool trimChar, BlobReader blobReader)
    : columns_(std::move(columns)),
      buffer_(messageLength),
      trimChar_(trimChar),
      blobReader_(std::move(blobReader)),
      caches_(columns_.size()) {}

bool RowValues::IsNull(int index) const {
  if (empty_) return true;
  const Column& c = columns_.at(static_cast<std::size_t>(index));
  return Load<short>(buffer_.data() + c.nullOffset) != 0;
}

std::int64_t RowValues::RawInteger(const Column& c) const {
  switch (c.sqlType) {
    case SQL_SHORT:
      return Load<std::int16_t>(At(c));
    case SQL_LONG:
      return Load<std::int32_t>(At(c));
    default:
      return Load<std::int64_t>(At(c));
  }
}

double RowValues::Scaled(const Column& c) const {
  const double raw = static_cast<double>(RawInteger(c));
  return c.scale < 0 ? raw / PowerOfTen(-c.scale) : raw * PowerOfTen(c.scale);
}

std::string_view RowValues::RawText(const Column& c) const {
  if (c.sqlType == SQL_VARYING) {
    auto length = Load<std::uint16_t>(At(c));
    return std::string_view(reinterpret_cast<const char*>(At(c)) + 2, length);
  }
  std::string_view text(reinterpret_cast<const char*>(At(c)), c.length);
  if (trimChar_) {
    std::size_t end = text.find_last_not_of(' ');
    text = end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
  }
  return text;
}

template <class Fill>
std::string_view RowValues::Cached(int index, Fill fill) const {
  Cache& cache = caches_[static_cast<std::size_t>(index)];
  if (cache.row != row_) {
    fill(cache.text);
    cache.row = row_;
  }
  return cache.text;
}

std::string_view RowValues::Text(int index) const {
  if (IsNull(index)) return {};
  const Column& c = columns_[static_cast<std::size_t>(index)];
  if (c.sqlType == SQL_TEXT || c.sqlType == SQL_VARYING) {
    std::string_view raw = RawText(c);
    if (!c.utf8Text) return raw;
    return Cached(index, [&](std::string& out) { out = FromSystem(raw); });
  }
  if (c.sqlType == SQL_BLOB) {
    return Cached(index, [&](std::string& out) {
      if (!blobReader_) throw EDatabaseError("Blob values cannot be read here");
      blobReader_(Load<ISC_QUAD>(At(c)), out);
      if (c.utf8Text) out = FromSystem(out);
    });
  }
  return Cached(index, [&](std::string& out) {
    switch (c.fieldType) {
      case ftBCD:
        out = ScaledToText(RawInteger(c), c.scale);
        break;
      case ftTime:
        out = TimeText(AsDateTime(index));
        break;
      default:
        out = Value(index).AsString();
        break;
    }
  });
}

std::int64_t RowValues::AsInteger(int index) const {
  if (IsNull(index)) return 0;
  const Column& c = columns_[static_cast<std::size_t>(index)];
  if (IsInteger(c.sqlType) && c.scale == 0) return RawInteger(c);
  if (IsInteger(c.sqlType) || IsFloat(c.sqlType)) return std::llround(AsFloat(index));
  return Value(index).AsInteger();
}

double RowValues::AsFloat(int index) const {
  if (IsNull(index)) return 0;
  const Column& c = columns_[static_cast<std::size_t>(index)];
  if (IsInteger(c.sqlType)) return Scaled(c);
  if (c.sqlType == SQL_FLOAT) return Load<float>(At(c));
  if (c.sqlType == SQL_DOUBLE || c.sqlType == SQL_D_FLOAT) return Load<double>(At(c));
  return Value(index).AsFloat();
}

TDateTime RowValues::AsDateTime(int index) const {
  if (IsNull(index)) return 0;
  const Column& c = columns_[static_cast<std::size_t>(index)];
  switch (c.sqlType) {
    case SQL_TYPE_DATE:
      return FromIscDate(Load<ISC_DATE>(At(c)));
    case SQL_TYPE_TIME:
      return FromIscTime(Load<ISC_TIME>(At(c)));
    case SQL_TIMESTAMP:
      return FromIscTimestamp(Load<ISC_TIMESTAMP>(At(c)));
    default:
      return Value(index).AsDateTime();
  }
}

bool RowValues::AsBoolean(int index) const {
  if (IsNull(index)) return false;
  const Column& c = columns_[static_cast<std::size_t>(index)];
  if (c.sqlType == SQL_BOOLEAN) return Load<unsigned char>(At(c)) != 0;
  return Value(index).AsBoolean();
}

TVariant RowValues::Value(int index) const {
  if (IsNull(index)) return TVariant::Null();
  const Column& c = columns_[static_cast<std::size_t>(index)];
  switch (c.sqlType) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
      return c.scale == 0 ? TVariant(RawInteger(c)) : TVariant(Scaled(c));
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      return TVariant(AsFloat(index));
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TIMESTAMP:
      return TVariant::FromDateTime(AsDateTime(index));
    case SQL_BOOLEAN:
      return TVariant(AsBoolean(index));
    case SQL_TEXT:
    case SQL_VARYING:
    case SQL_BLOB:
      return TVariant(AnsiString(Text(index)));
    default:
      return TVariant::Null();
  }
}

}  // namespace morvanta::fb::detail
