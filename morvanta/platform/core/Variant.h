#pragma once
// The framework's variant: the value of a field or a parameter, of any of the framework's kinds.

#include <concepts>
#include <cstdint>
#include <variant>

#include "morvanta/platform/core/DateTime.h"
#include "morvanta/platform/core/Text.h"

namespace morvanta {

class TVariant {
 public:
  enum class Kind { Unassigned, Null, Boolean, Integer, Float, DateTime, String };

  TVariant() = default;
  static TVariant Null();
  // Only a bool: a pointer, a literal among them, never becomes a Boolean.
  template <class Bool>
  requires std::same_as<Bool, bool> TVariant(Bool value) : kind_(Kind::Boolean), value_(value) {}
  TVariant(int value);
  TVariant(std::int64_t value);
  TVariant(double value);
  TVariant(AnsiString value);
  TVariant(AsciiLiteral value);
  static TVariant FromDateTime(TDateTime value);

  Kind GetKind() const { return kind_; }
  bool IsNull() const { return kind_ == Kind::Null || kind_ == Kind::Unassigned; }
  bool IsNumeric() const { return kind_ == Kind::Integer || kind_ == Kind::Float || kind_ == Kind::Boolean; }

  // Conversions; a null converts to the empty text, 0, 0.0, false and the zero date-time.
  // A text that is not a number raises EVariantError when read as a number.
  AnsiString AsString() const;
  std::int64_t AsInteger() const;
  double AsFloat() const;
  TDateTime AsDateTime() const;
  bool AsBoolean() const;

  // The text of a string variant without a copy (empty for other kinds).
  const AnsiString& StringRef() const;

  friend bool operator==(const TVariant& a, const TVariant& b);
  friend bool operator!=(const TVariant& a, const TVariant& b) { return !(a == b); }

 private:
  Kind kind_ = Kind::Unassigned;
  std::variant<std::monostate, bool, std::int64_t, double, AnsiString> value_;
};

}  // namespace morvanta
