#pragma once
// Value binding per database kind: date values as the text each kind accepts, parameter types
// adjusted for Oracle, parameter values written into statement text as SQL literals, and the date
// literals of the statement trace, for a database kind (DatabaseKind.h) or a driver name that is
// resolved to one.

#include <array>
#include <string_view>

#include "morvanta/components/DatabaseKind.h"
#include "morvanta/platform/core/DateTime.h"
#include "morvanta/platform/core/FieldTypes.h"
#include "morvanta/platform/core/Params.h"
#include "morvanta/platform/core/Text.h"

namespace morvanta {

// Month abbreviations indexed by month number - 1: upper case in the text a date parameter carries
// on Oracle, lower case in the trace file's date literals.
inline constexpr std::array<std::string_view, 12> kOracleMonthAbbreviations = {
    "JAN", "FEV", "MAR", "ABR", "MAI", "JUN", "JUL", "AGO", "SET", "OUT", "NOV", "DEZ"};
inline constexpr std::array<std::string_view, 12> kTraceMonthAbbreviations = {"jan", "fev", "mar", "abr", "mai", "jun",
                                                                              "jul", "ago", "set", "out", "nov", "dez"};

// The text a date parameter carries for the database kind: "05.01.2007 10:07:03" on Interbase,
// "05-JAN-2007 10-07-03" on Oracle; the time part only when hour, minute or second is not zero
// (milliseconds are never written). Empty for any other kind. No quotes.
AnsiString DateTimeToDBText(DatabaseKind kind, TDateTime value);
AnsiString DateTimeToDBText(const AnsiString& driverName, TDateTime value);

// Gives the target the source's data type (only the type), or the field's type. On Oracle,
// ftFloat becomes ftFMTBcd and ftSmallint becomes ftInteger.
void CopyParamType(TParam& target, const TParam& source, DatabaseKind kind);
void ParamTypeFromField(TParam& target, TFieldType fieldType, DatabaseKind kind);
void CopyParamType(TParam& target, const TParam& source, const AnsiString& driverName);
void ParamTypeFromField(TParam& target, TFieldType fieldType, const AnsiString& driverName);

// The statement text with the parameter values written in as SQL literals; only the markers of
// blob parameters (ftBlob, ftOraBlob) stay, to be bound afterwards. `params` is the statement's
// parameter list, one entry per marker; every marker of a name takes the first entry's value.
// - null values are written as the keyword null;
// - ftFloat, ftCurrency, ftBCD and ftFMTBcd values are written unquoted with a decimal point (a
//   float value with 15 significant digits, its text formed with `decimalSeparator` first; a
//   text that is not a plain number is written in apostrophes instead, so that it stays a value);
// - any other value is written in apostrophes, inner apostrophes doubled;
// - without `permiteApostrofo`, a non-null ftString value loses its apostrophes, and the
//   parameter keeps the stripped value.
// Every marker of the given text is replaced, inside quoted literals too; a marker takes the
// longest parameter name it begins with, and the written values are not searched again. Finally
// backquotes are removed and double quotes become blanks, values included.
WideString InlineParamValues(std::u16string_view statementText, TParams& params, bool permiteApostrofo,
                             char decimalSeparator = '.');

// A complete, quoted date literal for the trace file: '5-jan-2007' for kind "O", '5.1.2007' for any
// other kind. The time of day is ignored.
AnsiString DateToSQLLiteral(const AnsiString& kind, TDateTime value);

}  // namespace morvanta
