// TFieldDefs and TField: field definitions, and a column of the current record with its
// conversions between the field's type and the ones it is read or written as.

#include <cmath>
#include <cstdio>

#include "morvanta/platform/framework/DataSet.h"
#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/framework/Runtime.h"

namespace morvanta {

namespace {

bool IsBlank(std::string_view text) { return Trim(text).empty(); }

AnsiString Quoted(std::string_view text) {
  AnsiString quoted;
  quoted.reserve(text.size() + 2);
  quoted.push_back('\'');
  quoted.AppendBytes(text);
  quoted.push_back('\'');
  return quoted;
}

// Reads a number with the locale's decimal separator, or with a point.
bool ParseFloat(std::string_view text, double& value) {
  const char separator = DecimalSeparator();
  if (TryStrToFloat(text, value, separator)) return true;
  return separator != '.' && TryStrToFloat(text, value, '.');
}

std::int64_t RoundToInteger(double value, std::string_view what) {
  if (!std::isfinite(value) || value >= 9.2233720368547758e18 || value < -9.2233720368547758e18)
    throw EConvertError(Quoted(what) + " is not a valid integer value");
  return std::llround(value);
}

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// Reads up to `maxDigits` digits; false when there is none.
bool ReadNumber(std::string_view text, std::size_t& pos, int maxDigits, int& value, int& digits) {
  value = 0;
  digits = 0;
  while (pos < text.size() && digits < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos] - '0');
    ++pos;
    ++digits;
  }
  return digits > 0;
}

bool ParseTime(std::string_view text, std::size_t& pos, TDateTime& time) {
  int h = 0, m = 0, s = 0, ms = 0, digits = 0;
  if (!ReadNumber(text, pos, 2, h, digits) || pos >= text.size() || text[pos] != ':') return false;
  ++pos;
  if (!ReadNumber(text, pos, 2, m, digits)) return false;
  if (pos < text.size() && text[pos] == ':') {
    ++pos;
    if (!ReadNumber(text, pos, 2, s, digits)) return false;
    if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
      ++pos;
      if (!ReadNumber(text, pos, 3, ms, digits)) return false;
      while (digits++ < 3) ms *= 10;
    }
  }
  if (h > 23 || m > 59 || s > 59) return false;
  time = EncodeTime(h, m, s, ms);
  return true;
}

// Dates as the platform writes them (day/month/year) or as ISO text (year-month-day), with an
// optional time; a time alone is a time of day zero.
bool ParseDateTime(std::string_view input, TDateTime& value) {
  AnsiString trimmed = Trim(input);
  std::string_view text = trimmed;
  std::size_t pos = 0;
  TDateTime time = 0;
  const std::size_t firstSeparator = text.find_first_not_of("0123456789");
  if (firstSeparator != std::string_view::npos && text[firstSeparator] == ':') {
    if (!ParseTime(text, pos, time) || pos != text.size()) return false;
    value = time;
    return true;
  }
  int a = 0, b = 0, c = 0, da = 0, db = 0, dc = 0;
  if (!ReadNumber(text, pos, 4, a, da) || pos >= text.size()) return false;
  const char separator = text[pos];
  if (separator != '/' && separator != '-' && separator != '.') return false;
  ++pos;
  if (!ReadNumber(text, pos, 2, b, db) || pos >= text.size() || text[pos] != separator) return false;
  ++pos;
  if (!ReadNumber(text, pos, 4, c, dc)) return false;
  int year, month = b, day;
  if (da == 4) {
    year = a;
    day = c;
  } else {
    day = a;
    year = c;
    if (dc <= 2) year += year < 50 ? 2000 : 1900;
  }
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
  if (pos < text.size()) {
    if (text[pos] != ' ' && text[pos] != 'T') return false;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == 'T')) ++pos;
    if (!ParseTime(text, pos, time) || pos != text.size()) return false;
  }
  value = EncodeDate(year, month, day);
  value = value >= 0 ? value + time : value - time;
  return true;
}

bool ParseBoolean(std::string_view input, bool& value) {
  AnsiString text = Trim(input);
  if (SameText(text, "True") || SameText(text, "T") || text == "1") value = true;
  else if (SameText(text, "False") || SameText(text, "F") || text == "0") value = false;
  else return false;
  return true;
}

AnsiString DateTimeText(TFieldType type, TDateTime value) {
  DateTimeParts p = DecodeDateTime(value);
  char buffer[48];
  if (type == ftTime) std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", p.hour, p.minute, p.second);
  else if (type == ftDate) std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d", p.day, p.month, p.year);
  else return TVariant::FromDateTime(value).AsString();
  return AnsiString(buffer);
}

}  // namespace

// ---- TFieldDefs ----

TFieldDef& TFieldDefs::AddFieldDef() {
  items_.push_back(std::make_unique<TFieldDef>());
  return *items_.back();
}

void TFieldDefs::Add(WideString name, TFieldType type, int size, bool required) {
  TFieldDef& def = AddFieldDef();
  def.SetName(std::move(name));
  def.SetDataType(type);
  def.SetSize(size);
  def.SetRequired(required);
}

// ---- TField: reading ----

TField::TField(TDataSet& dataSet, int index, WideString name, TFieldType type, int size)
    : dataSet_(dataSet),
      index_(index),
      name_(std::move(name)),
      dataType_(type),
      kind_(ValueKindOf(type)),
      size_(size) {}

bool TField::IsNull() const { return dataSet_.ReadField(index_, false).isNull; }

std::string_view TField::AsStringView() const {
  return kind_ == ValueKind::Text ? dataSet_.ReadField(index_, false).text : std::string_view();
}

AnsiString TField::AsString() const { return TextOf(dataSet_.ReadField(index_, false)); }

AnsiString TField::TextOf(const FieldValue& v) const {
  if (v.isNull) return AnsiString();
  switch (kind_) {
    case ValueKind::Text:
      return AnsiString(v.text);
    case ValueKind::Integer:
      return IntToStr(v.integer);
    case ValueKind::Float:
      return FloatToStr(v.real, DecimalSeparator());
    case ValueKind::DateTime:
      return DateTimeText(dataType_, v.real);
    case ValueKind::Boolean:
      return AnsiString(v.integer ? "True" : "False");
  }
  return AnsiString();
}

std::int64_t TField::AsInteger() const {
  const FieldValue v = dataSet_.ReadField(index_, false);
  if (v.isNull) return 0;
  switch (kind_) {
    case ValueKind::Text: {
      std::int64_t i = 0;
      if (!TryStrToInt(v.text, i)) throw EConvertError(Quoted(v.text) + " is not a valid integer value");
      return i;
    }
    case ValueKind::Float:
    case ValueKind::DateTime:
      return RoundToInteger(v.real, FloatToStr(v.real));
    default:
      return v.integer;
  }
}

double TField::AsFloat() const {
  const FieldValue v = dataSet_.ReadField(index_, false);
  if (v.isNull) return 0;
  switch (kind_) {
    case ValueKind::Text: {
      double d = 0;
      if (!ParseFloat(v.text, d)) throw EConvertError(Quoted(v.text) + " is not a valid floating point value");
      return d;
    }
    case ValueKind::Float:
    case ValueKind::DateTime:
      return v.real;
    default:
      return static_cast<double>(v.integer);
  }
}

TDateTime TField::AsDateTime() const {
  const FieldValue v = dataSet_.ReadField(index_, false);
  if (v.isNull) return 0;
  switch (kind_) {
    case ValueKind::Text: {
      TDateTime d = 0;
      if (!ParseDateTime(v.text, d)) throw EConvertError(Quoted(v.text) + " is not a valid date and time");
      return d;
    }
    case ValueKind::Float:
    case ValueKind::DateTime:
      return v.real;
    default:
      return static_cast<double>(v.integer);
  }
}

bool TField::AsBoolean() const {
  const FieldValue v = dataSet_.ReadField(index_, false);
  if (v.isNull) return false;
  switch (kind_) {
    case ValueKind::Text: {
      bool b = false;
      if (!ParseBoolean(v.text, b)) throw EConvertError(Quoted(v.text) + " is not a valid boolean value");
      return b;
    }
    case ValueKind::Float:
    case ValueKind::DateTime:
      return v.real != 0;
    default:
      return v.integer != 0;
  }
}

TVariant TField::ToVariant(const FieldValue& v) const {
  if (v.isNull) return TVariant::Null();
  switch (kind_) {
    case ValueKind::Text:
      return TVariant(AnsiString(v.text));
    case ValueKind::Integer:
      return TVariant(v.integer);
    case ValueKind::Float:
      return TVariant(v.real);
    case ValueKind::DateTime:
      return TVariant::FromDateTime(v.real);
    case ValueKind::Boolean:
      return TVariant(v.integer != 0);
  }
  return TVariant::Null();
}

TVariant TField::Value() const { return ToVariant(dataSet_.ReadField(index_, false)); }
TVariant TField::OldValue() const { return ToVariant(dataSet_.ReadField(index_, true)); }
TVariant TField::NewValue() const { return Value(); }

// ---- TField: writing ----

void TField::Write(const FieldValue& value) { dataSet_.SetFieldData(index_, value); }

void TField::Clear() { Write(FieldValue::Null()); }

void TField::SetAsStringBytes(std::string_view value) {
  if (kind_ == ValueKind::Text) return Write(FieldValue::OfText(value));
  if (IsBlank(value)) return Write(FieldValue::Null());
  switch (kind_) {
    case ValueKind::Integer: {
      std::int64_t i = 0;
      if (!TryStrToInt(value, i)) throw EConvertError(Quoted(value) + " is not a valid integer value");
      return Write(FieldValue::OfInteger(i));
    }
    case ValueKind::Float: {
      double d = 0;
      if (!ParseFloat(value, d)) throw EConvertError(Quoted(value) + " is not a valid floating point value");
      return Write(FieldValue::OfReal(d));
    }
    case ValueKind::DateTime: {
      TDateTime d = 0;
      if (!ParseDateTime(value, d)) throw EConvertError(Quoted(value) + " is not a valid date and time");
      return Write(FieldValue::OfReal(d));
    }
    default: {
      bool b = false;
      if (!ParseBoolean(value, b)) throw EConvertError(Quoted(value) + " is not a valid boolean value");
      return Write(FieldValue::OfInteger(b ? 1 : 0));
    }
  }
}

void TField::SetAsInteger(std::int64_t value) {
  switch (kind_) {
    case ValueKind::Text: {
      const AnsiString text = IntToStr(value);
      return Write(FieldValue::OfText(text));
    }
    case ValueKind::Float:
    case ValueKind::DateTime:
      return Write(FieldValue::OfReal(static_cast<double>(value)));
    case ValueKind::Boolean:
      return Write(FieldValue::OfInteger(value != 0 ? 1 : 0));
    default:
      return Write(FieldValue::OfInteger(value));
  }
}

void TField::SetAsFloat(double value) {
  switch (kind_) {
    case ValueKind::Text: {
      const AnsiString text = FloatToStr(value, DecimalSeparator());
      return Write(FieldValue::OfText(text));
    }
    case ValueKind::Integer:
      return Write(FieldValue::OfInteger(RoundToInteger(value, FloatToStr(value))));
    case ValueKind::Boolean:
      return Write(FieldValue::OfInteger(value != 0 ? 1 : 0));
    default:
      return Write(FieldValue::OfReal(value));
  }
}

void TField::SetAsDateTime(TDateTime value) {
  switch (kind_) {
    case ValueKind::Text: {
      const AnsiString text = DateTimeText(dataType_, value);
      return Write(FieldValue::OfText(text));
    }
    case ValueKind::Integer:
      return Write(FieldValue::OfInteger(RoundToInteger(value, FloatToStr(value))));
    case ValueKind::Boolean:
      return Write(FieldValue::OfInteger(value != 0 ? 1 : 0));
    default:
      return Write(FieldValue::OfReal(value));
  }
}

void TField::SetAsBoolean(bool value) {
  switch (kind_) {
    case ValueKind::Text:
      return Write(FieldValue::OfText(value ? "True" : "False"));
    case ValueKind::Float:
    case ValueKind::DateTime:
      return Write(FieldValue::OfReal(value ? 1 : 0));
    default:
      return Write(FieldValue::OfInteger(value ? 1 : 0));
  }
}

void TField::SetValue(const TVariant& value) {
  switch (value.GetKind()) {
    case TVariant::Kind::Unassigned:
    case TVariant::Kind::Null:
      return Clear();
    case TVariant::Kind::Boolean:
      return SetAsBoolean(value.AsBoolean());
    case TVariant::Kind::Integer:
      return SetAsInteger(value.AsInteger());
    case TVariant::Kind::Float:
      return SetAsFloat(value.AsFloat());
    case TVariant::Kind::DateTime:
      return SetAsDateTime(value.AsDateTime());
    case TVariant::Kind::String:
      return SetAsString(value.StringRef());
  }
}

}  // namespace morvanta
