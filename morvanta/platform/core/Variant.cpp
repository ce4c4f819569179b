#include "morvanta/platform/core/Variant.h"

#include <cmath>
#include <cstdio>

#include "morvanta/platform/core/Exceptions.h"

namespace morvanta {

TVariant TVariant::Null() {
  TVariant v;
  v.kind_ = Kind::Null;
  return v;
}

TVariant::TVariant(int value) : kind_(Kind::Integer), value_(static_cast<std::int64_t>(value)) {}
TVariant::TVariant(std::int64_t value) : kind_(Kind::Integer), value_(value) {}
TVariant::TVariant(double value) : kind_(Kind::Float), value_(value) {}
TVariant::TVariant(AnsiString value) : kind_(Kind::String), value_(std::move(value)) {}
TVariant::TVariant(AsciiLiteral value) : kind_(Kind::String), value_(AnsiString(value)) {}

TVariant TVariant::FromDateTime(TDateTime value) {
  TVariant v(value);
  v.kind_ = Kind::DateTime;
  return v;
}

const AnsiString& TVariant::StringRef() const {
  static const AnsiString kEmpty;
  if (kind_ == Kind::String) return std::get<AnsiString>(value_);
  return kEmpty;
}

AnsiString TVariant::AsString() const {
  switch (kind_) {
    case Kind::Unassigned:
    case Kind::Null:
      return AnsiString();
    case Kind::Boolean:
      return AnsiString(std::get<bool>(value_) ? "True" : "False");
    case Kind::Integer:
      return IntToStr(std::get<std::int64_t>(value_));
    case Kind::Float:
      return FloatToStr(std::get<double>(value_));
    case Kind::DateTime: {
      DateTimeParts p = DecodeDateTime(std::get<double>(value_));
      char buffer[48];
      if (p.hour || p.minute || p.second)
        std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d %02d:%02d:%02d", p.day, p.month, p.year, p.hour, p.minute,
                      p.second);
      else std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d", p.day, p.month, p.year);
      return AnsiString(buffer);
    }
    case Kind::String:
      return std::get<AnsiString>(value_);
  }
  return AnsiString();
}

std::int64_t TVariant::AsInteger() const {
  switch (kind_) {
    case Kind::Unassigned:
    case Kind::Null:
      return 0;
    case Kind::Boolean:
      return std::get<bool>(value_) ? -1 : 0;
    case Kind::Integer:
      return std::get<std::int64_t>(value_);
    case Kind::Float:
    case Kind::DateTime:
      return std::llround(std::get<double>(value_));
    case Kind::String: {
      std::int64_t v = 0;
      if (TryStrToInt(std::get<AnsiString>(value_), v)) return v;
      double d = 0;
      if (TryStrToFloat(std::get<AnsiString>(value_), d)) return std::llround(d);
      throw EVariantError("Could not convert variant of type (String) into type (Integer)");
    }
  }
  return 0;
}

double TVariant::AsFloat() const {
  switch (kind_) {
    case Kind::Unassigned:
    case Kind::Null:
      return 0;
    case Kind::Boolean:
      return std::get<bool>(value_) ? -1 : 0;
    case Kind::Integer:
      return static_cast<double>(std::get<std::int64_t>(value_));
    case Kind::Float:
    case Kind::DateTime:
      return std::get<double>(value_);
    case Kind::String: {
      double d = 0;
      if (TryStrToFloat(std::get<AnsiString>(value_), d)) return d;
      throw EVariantError("Could not convert variant of type (String) into type (Double)");
    }
  }
  return 0;
}

TDateTime TVariant::AsDateTime() const {
  if (kind_ == Kind::String) {
    throw EVariantError("Could not convert variant of type (String) into type (Date)");
  }
  return AsFloat();
}

bool TVariant::AsBoolean() const {
  switch (kind_) {
    case Kind::Unassigned:
    case Kind::Null:
      return false;
    case Kind::Boolean:
      return std::get<bool>(value_);
    case Kind::String: {
      const AnsiString& s = std::get<AnsiString>(value_);
      if (SameText(s, "True")) return true;
      if (SameText(s, "False")) return false;
      return AsFloat() != 0;
    }
    default:
      return AsFloat() != 0;
  }
}

bool operator==(const TVariant& a, const TVariant& b) {
  if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull();
  if (a.kind_ == TVariant::Kind::String && b.kind_ == TVariant::Kind::String)
    return std::get<AnsiString>(a.value_) == std::get<AnsiString>(b.value_);
  if (a.kind_ == TVariant::Kind::String || b.kind_ == TVariant::Kind::String) {
    // A text compared with a number is compared as a number when it reads as one.
    const TVariant& text = a.kind_ == TVariant::Kind::String ? a : b;
    const TVariant& other = a.kind_ == TVariant::Kind::String ? b : a;
    double d = 0;
    if (TryStrToFloat(text.StringRef(), d)) return d == other.AsFloat();
    return text.StringRef() == other.AsString();
  }
  return a.AsFloat() == b.AsFloat();
}

}  // namespace morvanta
