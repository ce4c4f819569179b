#include "morvanta/components/statement/ValueBinding.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "morvanta/components/statement/MarkerSubstitution.h"
#include "morvanta/platform/core/SqlScanner.h"

namespace morvanta {

namespace {

AnsiString TwoDigits(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d", value);
  return AnsiString(buffer);
}

bool IsFloatFamily(TFieldType type) {
  return type == ftFloat || type == ftCurrency || type == ftBCD || type == ftFMTBcd;
}

// A plain decimal number: optional sign, digits with at most one decimal point, optional exponent.
bool IsNumericLiteral(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  bool digits = false;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, digits = true;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, digits = true;
  }
  if (!digits) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    bool exponentDigits = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, exponentDigits = true;
    if (!exponentDigits) return false;
  }
  return i == text.size();
}

// How one parameter name is written into the statement.
struct Rendering {
  WideString name;
  bool bound = false;   // a blob: its marker stays in the text
  bool number = false;  // written unquoted and may start with a minus sign
  WideString text;
};

Rendering Render(TParam& param, bool permiteApostrofo, char decimalSeparator) {
  Rendering r;
  r.name = param.Name();
  if (IsBlobType(param.DataType())) {
    r.bound = true;
    return r;
  }
  if (param.DataType() == ftString && !permiteApostrofo && !param.IsNull()) {
    AnsiString value = param.AsString();
    value.erase(std::remove(value.begin(), value.end(), '\''), value.end());
    param.SetAsString(std::move(value));
  }
  if (param.IsNull()) {
    r.text = u"null";
    return r;
  }
  if (IsFloatFamily(param.DataType())) {
    const TVariant& value = param.Value();
    AnsiString text =
        value.GetKind() == TVariant::Kind::Float ? FloatToStr(value.AsFloat(), decimalSeparator) : value.AsString();
    text = ReplaceAll(text, ",", ".");
    // A text that is no number is written as a quoted value: unquoted it would be statement text.
    r.number = IsNumericLiteral(text);
    r.text = ToWide(r.number ? text : SqlStringLiteral(text));
    return r;
  }
  r.text = ToWide(SqlStringLiteral(param.AsString()));
  return r;
}

// Distinct parameter names compare as TParams compares them: same wide length, same text up to case.
std::pair<std::size_t, AnsiString> NameKey(std::u16string_view name) {
  return {name.size(), AnsiUpperCase(ToAnsi(name))};
}

}  // namespace

AnsiString DateTimeToDBText(DatabaseKind kind, TDateTime value) {
  const DateTimeParts p = DecodeDateTime(value);
  const bool hasTime = p.hour != 0 || p.minute != 0 || p.second != 0;
  AnsiString text;
  if (kind == DatabaseKind::Oracle) {
    text = TwoDigits(p.day) + "-" + AnsiString(kOracleMonthAbbreviations[static_cast<std::size_t>(p.month - 1)]) + "-" +
           IntToStr(p.year);
    if (hasTime) text += " " + TwoDigits(p.hour) + "-" + TwoDigits(p.minute) + "-" + TwoDigits(p.second);
  } else if (kind == DatabaseKind::Interbase) {
    text = TwoDigits(p.day) + "." + TwoDigits(p.month) + "." + IntToStr(p.year);
    if (hasTime) text += " " + TwoDigits(p.hour) + ":" + TwoDigits(p.minute) + ":" + TwoDigits(p.second);
  }
  return text;
}

void ParamTypeFromField(TParam& target, TFieldType fieldType, DatabaseKind kind) {
  target.SetDataType(fieldType);
  if (kind == DatabaseKind::Oracle) {
    if (target.DataType() == ftFloat) target.SetDataType(ftFMTBcd);
    if (target.DataType() == ftSmallint) target.SetDataType(ftInteger);
  }
}

void CopyParamType(TParam& target, const TParam& source, DatabaseKind kind) {
  ParamTypeFromField(target, source.DataType(), kind);
}

AnsiString DateTimeToDBText(const AnsiString& driverName, TDateTime value) {
  return DateTimeToDBText(DatabaseKindOf(driverName), value);
}

void ParamTypeFromField(TParam& target, TFieldType fieldType, const AnsiString& driverName) {
  ParamTypeFromField(target, fieldType, DatabaseKindOf(driverName));
}

void CopyParamType(TParam& target, const TParam& source, const AnsiString& driverName) {
  CopyParamType(target, source, DatabaseKindOf(driverName));
}

WideString InlineParamValues(std::u16string_view statementText, TParams& params, bool permiteApostrofo,
                             char decimalSeparator) {
  // Each distinct name once, with its first parameter.
  std::vector<Rendering> renderings;
  std::vector<WideString> names;
  std::set<std::pair<std::size_t, AnsiString>> seen;
  for (int i = 0; i < params.Count(); ++i)
    if (seen.insert(NameKey(params[i].Name())).second) {
      renderings.push_back(Render(params[i], permiteApostrofo, decimalSeparator));
      names.push_back(params[i].Name());
    }

  WideString out = SubstituteMarkers<char16_t>(
      statementText, names,
      {.uses = MarkerSubstitutionOptions::Uses::EveryMarker,
       .emptyNames = MarkerSubstitutionOptions::EmptyNames::MatchBareColon},
      [&](std::size_t index, WideString& rendered) {
        const Rendering& r = renderings[index];
        if (r.bound) {
          rendered += u':';
          rendered += r.name;
          return;
        }
        // "A-:X" with a negative X must not become "A--5", which would start a comment.
        if (r.number && !r.text.empty() && r.text[0] == u'-' && !rendered.empty() && rendered.back() == u'-')
          rendered.push_back(u' ');
        rendered += r.text;
      });

  // Backquotes go and double quotes become blanks, all over the rendered text.
  out.erase(std::remove(out.begin(), out.end(), u'`'), out.end());
  std::replace(out.begin(), out.end(), u'"', u' ');
  return out;
}

AnsiString DateToSQLLiteral(const AnsiString& kind, TDateTime value) {
  const DateTimeParts p = DecodeDateTime(value);
  AnsiString text;
  if (kind == "O")
    text = IntToStr(p.day) + "-" + AnsiString(kTraceMonthAbbreviations[static_cast<std::size_t>(p.month - 1)]) + "-" +
           IntToStr(p.year);
  else text = IntToStr(p.day) + "." + IntToStr(p.month) + "." + IntToStr(p.year);
  return SqlStringLiteral(text);
}

}  // namespace morvanta
