#include "morvanta/platform/core/Params.h"

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/core/SqlScanner.h"

namespace morvanta {

namespace {

bool IsNameChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'$' ||
         (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7);
}

}  // namespace

void TParam::SetAsString(AnsiString value) {
  dataType_ = ftString;
  value_ = TVariant(std::move(value));
}

void TParam::SetAsInteger(std::int64_t value) {
  dataType_ = ftInteger;
  value_ = TVariant(value);
}

void TParam::SetAsFloat(double value) {
  dataType_ = ftFloat;
  value_ = TVariant(value);
}

void TParam::SetAsDateTime(TDateTime value) {
  dataType_ = ftDateTime;
  value_ = TVariant::FromDateTime(value);
}

void TParam::SetAsBlob(AnsiString value) {
  dataType_ = ftBlob;
  value_ = TVariant(std::move(value));
}

void TParam::SetAsMemo(AnsiString value) {
  dataType_ = ftMemo;
  value_ = TVariant(std::move(value));
}

void TParam::SetValue(TVariant value) {
  if (dataType_ == ftUnknown) {
    switch (value.GetKind()) {
      case TVariant::Kind::Boolean:
        dataType_ = ftBoolean;
        break;
      case TVariant::Kind::Integer:
        dataType_ = ftInteger;
        break;
      case TVariant::Kind::Float:
        dataType_ = ftFloat;
        break;
      case TVariant::Kind::DateTime:
        dataType_ = ftDateTime;
        break;
      case TVariant::Kind::String:
        dataType_ = ftString;
        break;
      default:
        break;
    }
  }
  value_ = std::move(value);
}

void TParam::Assign(const TParam& source) {
  if (&source == this) return;
  dataType_ = source.dataType_;
  paramType_ = source.paramType_;
  size_ = source.size_;
  value_ = source.value_;
}

TParam* TParams::FindParam(std::u16string_view name) const {
  for (const auto& p : items_)
    if (SameText(std::u16string_view(p->Name()), name)) return p.get();
  return nullptr;
}

TParam* TParams::FindParam(std::string_view name) const { return FindParam(ToWide(name)); }

TParam& TParams::ParamByName(std::u16string_view name) const {
  if (TParam* p = FindParam(name)) return *p;
  throw EDatabaseError("Parameter '" + ToAnsi(name) + "' not found");
}

TParam& TParams::ParamByName(std::string_view name) const { return ParamByName(ToWide(name)); }

TParam& TParams::CreateParam(TFieldType dataType, WideString name, TParamType paramType) {
  items_.push_back(std::make_unique<TParam>(std::move(name), dataType, paramType));
  return *items_.back();
}

void TParams::Assign(const TParams& source) {
  if (&source == this) return;
  items_.clear();
  for (const auto& p : source.items_) {
    auto copy = std::make_unique<TParam>(p->Name(), p->DataType(), p->ParamType());
    copy->Assign(*p);
    items_.push_back(std::move(copy));
  }
}

void TParams::AssignValues(const TParams& source) {
  for (const auto& p : source.items_)
    if (TParam* target = FindParam(std::u16string_view(p->Name()))) target->Assign(*p);
}

WideString TParams::ParseSQL(std::u16string_view sql, bool doCreate) {
  ParsedStatement parsed = ParseParameterMarkers(sql);
  if (doCreate)
    for (WideString& name : parsed.names) CreateParam(ftUnknown, std::move(name), ptInput);
  return std::move(parsed.positional);
}

ParsedStatement ParseParameterMarkers(std::u16string_view sql) {
  ParsedStatement out;
  out.positional.reserve(sql.size());
  std::size_t i = 0;
  const std::size_t n = sql.size();
  while (i < n) {
    const SqlSpan span = SqlSpanAt(sql, i);
    const char16_t c = sql[i];
    if (span.kind != SqlSpanKind::Plain) {
      // Quoted text and comments go through as they are, however they end.
      out.positional.append(sql.substr(i, span.end - i));
      i = span.end;
    } else if (c == u':' && i + 1 < n && sql[i + 1] == u':') {
      out.positional.push_back(u':');
      i += 2;
    } else if (c == u':' && i + 1 < n && IsNameChar(sql[i + 1])) {
      std::size_t j = i + 1;
      while (j < n && IsNameChar(sql[j])) ++j;
      out.names.emplace_back(sql.substr(i + 1, j - i - 1));
      out.positional.push_back(u'?');
      i = j;
    } else {
      out.positional.push_back(c);
      ++i;
    }
  }
  return out;
}

}  // namespace morvanta
