#pragma once
// Statement parameters: `TParam` holds one value with its data type and kind, `TParams` the list
// of a statement, one entry per parameter marker in text order.

#include <memory>
#include <vector>

#include "morvanta/platform/core/FieldTypes.h"
#include "morvanta/platform/core/Variant.h"

namespace morvanta {

class TParam {
 public:
  TParam() = default;
  TParam(WideString name, TFieldType dataType, TParamType paramType)
      : name_(std::move(name)), dataType_(dataType), paramType_(paramType) {}

  const WideString& Name() const { return name_; }
  void SetName(WideString name) { name_ = std::move(name); }
  TFieldType DataType() const { return dataType_; }
  void SetDataType(TFieldType type) { dataType_ = type; }
  TParamType ParamType() const { return paramType_; }
  void SetParamType(TParamType type) { paramType_ = type; }
  int Size() const { return size_; }
  void SetSize(int size) { size_ = size; }

  bool IsNull() const { return value_.IsNull(); }
  void Clear() { value_ = TVariant::Null(); }

  // Readers: a null value reads as the empty text, 0 or the zero date-time.
  AnsiString AsString() const { return value_.AsString(); }
  std::int64_t AsInteger() const { return value_.AsInteger(); }
  double AsFloat() const { return value_.AsFloat(); }
  TDateTime AsDateTime() const { return value_.AsDateTime(); }
  AnsiString AsBlob() const { return value_.AsString(); }
  const TVariant& Value() const { return value_; }

  // Writers set the value and the matching data type; SetValue keeps a type already set.
  void SetAsString(AnsiString value);
  void SetAsInteger(std::int64_t value);
  void SetAsFloat(double value);
  void SetAsDateTime(TDateTime value);
  void SetAsBlob(AnsiString value);
  void SetAsMemo(AnsiString value);
  // The same for an ASCII literal.
  void SetAsString(AsciiLiteral value) { SetAsString(AnsiString(value)); }
  void SetAsBlob(AsciiLiteral value) { SetAsBlob(AnsiString(value)); }
  void SetAsMemo(AsciiLiteral value) { SetAsMemo(AnsiString(value)); }
  void SetValue(TVariant value);

  // Copies value, data type, kind and size; the name stays.
  void Assign(const TParam& source);

 private:
  WideString name_;
  TFieldType dataType_ = ftUnknown;
  TParamType paramType_ = ptUnknown;
  int size_ = 0;
  TVariant value_;
};

class TParams {
 public:
  TParams() = default;
  TParams(const TParams&) = delete;
  TParams& operator=(const TParams&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  TParam& Items(int index) const { return *items_.at(static_cast<std::size_t>(index)); }
  TParam& operator[](int index) const { return Items(index); }

  // The first entry of that name, ignoring case; raises EDatabaseError when there is none.
  TParam& ParamByName(std::u16string_view name) const;
  TParam& ParamByName(std::string_view name) const;
  // The first entry of that name, ignoring case; nullptr when there is none.
  TParam* FindParam(std::u16string_view name) const;
  TParam* FindParam(std::string_view name) const;

  TParam& CreateParam(TFieldType dataType, WideString name, TParamType paramType);
  void Clear() { items_.clear(); }
  void Delete(int index) { items_.erase(items_.begin() + index); }
  // Replaces the whole list with copies of the source's entries.
  void Assign(const TParams& source);
  // Each source entry's settings go to the first entry of the same name; nothing is added.
  void AssignValues(const TParams& source);

  // Runs the parameter parser over a statement text: with doCreate the list gets one input entry
  // per marker, in text order. Returns the text with every marker replaced by '?'.
  WideString ParseSQL(std::u16string_view sql, bool doCreate);

 private:
  std::vector<std::unique_ptr<TParam>> items_;
};

// The parameter parser: a marker is a colon followed by a name, outside quoted literals ('...' and
// "...") and comments (-- to the line end, /* ... */). A doubled colon stands for one colon.
struct ParsedStatement {
  WideString positional;          // the text with every marker replaced by '?'
  std::vector<WideString> names;  // one per marker, in text order
};
ParsedStatement ParseParameterMarkers(std::u16string_view sql);

}  // namespace morvanta
