#include <gtest/gtest.h>

#include <cmath>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/statement/Rounding.h"
#include "morvanta/components/statement/ValueBinding.h"

using namespace morvanta;

namespace {

TParam& Add(TParams& params, const char16_t* name, TFieldType type) { return params.CreateParam(type, name, ptInput); }

AnsiString Inline(std::u16string_view text, TParams& params, bool permiteApostrofo = false, char separator = '.') {
  return ToAnsi(InlineParamValues(text, params, permiteApostrofo, separator));
}

}  // namespace

// --- dates ---

TEST(DateTimeToDBText, RendersPerDatabaseKind) {
  struct Case {
    TDateTime value;
    const char* interbase;
    const char* oracle;
  } cases[] = {
      {EncodeDateTime(2007, 1, 5, 10, 7, 3, 0), "05.01.2007 10:07:03", "05-JAN-2007 10-07-03"},
      {EncodeDate(2007, 1, 5), "05.01.2007", "05-JAN-2007"},
      {EncodeDateTime(2007, 1, 5, 0, 0, 0, 450), "05.01.2007", "05-JAN-2007"},
      {EncodeDateTime(2007, 1, 5, 0, 0, 1, 0), "05.01.2007 00:00:01", "05-JAN-2007 00-00-01"},
      {0.0, "30.12.1899", "30-DEZ-1899"},
      {EncodeDate(999, 3, 4), "04.03.999", "04-MAR-999"},
      {EncodeDateTime(2024, 12, 31, 23, 59, 59, 0), "31.12.2024 23:59:59", "31-DEZ-2024 23-59-59"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DateTimeToDBText("Interbase"_a, c.value), c.interbase);
    EXPECT_EQ(DateTimeToDBText("Oracle"_a, c.value), c.oracle);
    EXPECT_EQ(DateTimeToDBText("interbase"_a, c.value), ""_a);
    EXPECT_EQ(DateTimeToDBText("Firebird"_a, c.value), ""_a);
  }
}

TEST(DateTimeToDBText, UsesTheMonthTablesForEveryMonth) {
  const char* oracle[] = {"JAN", "FEV", "MAR", "ABR", "MAI", "JUN", "JUL", "AGO", "SET", "OUT", "NOV", "DEZ"};
  const char* trace[] = {"jan", "fev", "mar", "abr", "mai", "jun", "jul", "ago", "set", "out", "nov", "dez"};
  for (int month = 1; month <= 12; ++month) {
    const TDateTime value = EncodeDate(2010, month, 9);
    EXPECT_EQ(DateTimeToDBText("Oracle"_a, value), AnsiString("09-"_a) + AnsiString(oracle[month - 1]) + "-2010"_a);
    EXPECT_EQ(DateToSQLLiteral("O"_a, value), AnsiString("'9-") + AnsiString(trace[month - 1]) + "-2010'");
    EXPECT_EQ(DateToSQLLiteral("I"_a, value), "'9." + IntToStr(month) + ".2010'");
  }
}

TEST(DateToSQLLiteral, IgnoresTheTimeAndWritesNoLeadingZeros) {
  EXPECT_EQ(DateToSQLLiteral("O"_a, EncodeDateTime(2007, 1, 5, 10, 7, 3, 0)), "'5-jan-2007'");
  EXPECT_EQ(DateToSQLLiteral(""_a, EncodeDateTime(2007, 1, 5, 10, 7, 3, 0)), "'5.1.2007'");
  EXPECT_EQ(DateToSQLLiteral("o"_a, EncodeDate(87, 11, 20)), "'20.11.87'");
  EXPECT_EQ(DateToSQLLiteral("O"_a, 0.0), "'30-dez-1899'");
}

// --- parameter types ---

TEST(ParamTypes, OracleTurnsFloatIntoFMTBcdAndSmallintIntoInteger) {
  struct Case {
    TFieldType source;
    TFieldType oracle;
  } cases[] = {{ftFloat, ftFMTBcd}, {ftSmallint, ftInteger}, {ftString, ftString},
               {ftDate, ftDate},    {ftBlob, ftBlob},        {ftCurrency, ftCurrency}};
  for (const Case& c : cases) {
    TParam source(u"S", c.source, ptInput);
    for (const char* driver : {"Oracle", "Interbase", "Other"}) {
      const TFieldType expected = AnsiString(driver) == "Oracle" ? c.oracle : c.source;
      TParam copied(u"T", ftUnknown, ptInput), fromField(u"F", ftUnknown, ptInput);
      CopyParamType(copied, source, AnsiString(driver));
      ParamTypeFromField(fromField, c.source, AnsiString(driver));
      EXPECT_EQ(copied.DataType(), expected) << driver;
      EXPECT_EQ(fromField.DataType(), expected) << driver;
    }
  }
}

TEST(ParamTypes, CopyParamTypeCopiesOnlyTheType) {
  TParam source(u"S", ftInteger, ptInput);
  source.SetAsInteger(5);
  TParam target(u"T", ftString, ptInput);
  target.SetAsString("keep");
  CopyParamType(target, source, "Interbase"_a);
  EXPECT_EQ(target.DataType(), ftInteger);
  EXPECT_EQ(target.AsString(), "keep");
}

// --- InlineParamValues ---

TEST(InlineParamValues, WritesEachTypeAsItsLiteral) {
  TParams params;
  Add(params, u"CODIGO", ftInteger).SetAsInteger(42);
  Add(params, u"VALOR", ftFloat).SetAsFloat(1234.5);
  Add(params, u"PRECO", ftCurrency).SetValue(TVariant(2.25));
  Add(params, u"NOME", ftString).SetAsString("Ana");
  Add(params, u"DATA", ftDate).SetValue(TVariant("05.01.2007"));
  EXPECT_EQ(Inline(u"UPDATE T SET V = :VALOR, P = :PRECO, N = :NOME, D = :DATA WHERE C = :CODIGO", params),
            "UPDATE T SET V = 1234.5, P = 2.25, N = 'Ana', D = '05.01.2007' WHERE C = '42'");
}

TEST(InlineParamValues, FloatWithDecimalCommaIsWrittenWithPointUnquoted) {
  TParams params;
  Add(params, u"A", ftFloat).SetAsFloat(1.5);
  Add(params, u"B", ftBCD).SetValue(TVariant("2,75"));
  EXPECT_EQ(Inline(u"X = :A + :B", params, false, ','), "X = 1.5 + 2.75");
}

TEST(InlineParamValues, NullOfAnyTypeButBlobIsTheBareKeyword) {
  for (TFieldType type : {ftString, ftInteger, ftFloat, ftDate, ftDateTime, ftMemo, ftUnknown}) {
    TParams params;
    Add(params, u"P", type);
    EXPECT_EQ(Inline(u"A = :P", params), "A = null") << type;
  }
  TParams blob;
  Add(blob, u"P", ftBlob);
  EXPECT_EQ(Inline(u"A = :P", blob), "A = :P");
}

TEST(InlineParamValues, NamesThatArePrefixesOfOneAnotherGetTheirOwnValues) {
  TParams params;
  Add(params, u"COD", ftInteger).SetAsInteger(1);
  Add(params, u"CODIGO", ftInteger).SetAsInteger(2);
  Add(params, u"CODIGO_LOJA", ftInteger).SetAsInteger(3);
  EXPECT_EQ(Inline(u":CODIGO_LOJA :COD :CODIGO", params), "'3' '1' '2'");
}

TEST(InlineParamValues, EveryReferenceTakesTheFirstEntryOfItsName) {
  TParams params;
  Add(params, u"A", ftInteger).SetAsInteger(1);
  Add(params, u"A", ftInteger).SetAsInteger(2);
  EXPECT_EQ(Inline(u":A = :A", params), "'1' = '1'");
}

TEST(InlineParamValues, WithoutPermiteApostrofoStringsLoseTheirApostrophes) {
  TParams params;
  TParam& nome = Add(params, u"NOME", ftString);
  nome.SetAsString("D'Ávila's"_a);
  TParam& again = Add(params, u"NOME", ftString);
  again.SetAsString("other");
  EXPECT_EQ(Inline(u"N = :NOME", params, false), "N = 'DÁvilas'"_a);
  EXPECT_EQ(nome.AsString(), "DÁvilas"_a);
  EXPECT_EQ(nome.DataType(), ftString);
}

TEST(InlineParamValues, ApostropheInsideAQuotedValueIsDoubled) {
  TParams params;
  TParam& nome = Add(params, u"NOME", ftString);
  nome.SetAsString("D'Ávila"_a);
  Add(params, u"OBS", ftMemo).SetAsMemo("it's ok");
  Add(params, u"INJ", ftFixedChar).SetValue(TVariant("x'); DELETE FROM T; --"));
  EXPECT_EQ(Inline(u"N = :NOME, O = :OBS, I = :INJ", params, true),
            "N = 'D''Ávila', O = 'it''s ok', I = 'x''); DELETE FROM T; --'"_a);
  EXPECT_EQ(nome.AsString(), "D'Ávila"_a);
}

TEST(InlineParamValues, FloatIsWrittenWithFifteenSignificantDigits) {
  TParams params;
  Add(params, u"A", ftFloat).SetAsFloat(0.1 + 0.2);
  Add(params, u"B", ftFloat).SetAsFloat(1.0 / 3.0);
  Add(params, u"C", ftFMTBcd).SetAsFloat(-2.5);
  Add(params, u"D", ftFloat).SetAsFloat(123456789012345678.0);
  EXPECT_EQ(Inline(u":A :B :C :D", params), "0.3 0.333333333333333 -2.5 1.23456789012346E+17");
}

TEST(InlineParamValues, DoubleQuotesBecomeBlanksAndBackquotesGoEverywhere) {
  TParams params;
  Add(params, u"NOME", ftString).SetAsString("say \"hi\" `now`");
  EXPECT_EQ(Inline(u"SELECT `A`, \"B\" FROM T WHERE N = :NOME", params),
            "SELECT A,  B  FROM T WHERE N = 'say  hi  now'");
}

TEST(InlineParamValues, BlobKeepsItsMarkerAndStaysBound) {
  TParams params;
  Add(params, u"OBS_OBSERV", ftBlob).SetAsBlob("long text");
  Add(params, u"OBS_TEMP", ftOraBlob).SetAsBlob("x");
  Add(params, u"CPE_CODIGO", ftInteger).SetAsInteger(9);
  EXPECT_EQ(
      Inline(u"UPDATE F SET OBS_OBSERV = :OBS_OBSERV, OBS_TEMP = :OBS_TEMP WHERE CPE_CODIGO = :CPE_CODIGO", params),
      "UPDATE F SET OBS_OBSERV = :OBS_OBSERV, OBS_TEMP = :OBS_TEMP WHERE CPE_CODIGO = '9'");
}

// A written value is never searched for markers again: a note mentioning another parameter's
// marker is stored as typed, while markers of the statement itself are replaced even inside its
// quoted literals.
TEST(InlineParamValues, ValuesAreNotRewrittenButEveryMarkerOfTheTextIs) {
  TParams params;
  Add(params, u"OBS", ftString).SetAsString("ver :CPE_CODIGO e :OBS");
  Add(params, u"CPE_CODIGO", ftInteger).SetAsInteger(77);
  EXPECT_EQ(Inline(u"UPDATE F SET O = :OBS, N = 'pedido :CPE_CODIGO' WHERE CPE_CODIGO = :CPE_CODIGO", params),
            "UPDATE F SET O = 'ver :CPE_CODIGO e :OBS', N = 'pedido '77'' WHERE CPE_CODIGO = '77'");
}

TEST(InlineParamValues, BlobMarkerIsNotEatenByAShorterNameItBeginsWith) {
  TParams params;
  Add(params, u"OBS_OBSERV", ftBlob).SetAsBlob("text");
  Add(params, u"OBS", ftString).SetAsString("short");
  EXPECT_EQ(Inline(u"SET OBS_OBSERV = :OBS_OBSERV, X = :OBS", params), "SET OBS_OBSERV = :OBS_OBSERV, X = 'short'");
}

TEST(InlineParamValues, NumericParameterWithTextThatIsNoNumberIsQuoted) {
  TParams params;
  Add(params, u"V", ftFloat).SetValue(TVariant("0; DELETE FROM T"));
  EXPECT_EQ(Inline(u"UPDATE T SET V = :V", params), "UPDATE T SET V = '0; DELETE FROM T'");
}

TEST(InlineParamValues, NegativeNumberAfterAMinusDoesNotStartAComment) {
  TParams params;
  Add(params, u"X", ftFloat).SetAsFloat(-5);
  Add(params, u"ID", ftInteger).SetAsInteger(1);
  EXPECT_EQ(Inline(u"UPDATE T SET A = A-:X WHERE ID = :ID", params), "UPDATE T SET A = A- -5 WHERE ID = '1'");
}

// --- rounding ---

TEST(RoundHalfUp, RoundsHalvesAwayFromZero) {
  struct Case {
    long double value;
    std::int64_t expected;
  } cases[] = {{2.5L, 3}, {-2.5L, -3}, {2.4999L, 2}, {-2.4999L, -2}, {0.5L, 1}, {0.0L, 0}, {7.0L, 7}, {-0.4L, 0}};
  for (const Case& c : cases) EXPECT_EQ(RoundHalfUp(c.value), c.expected) << static_cast<double>(c.value);
  EXPECT_THROW(RoundHalfUp(1e30L), EConvertError);
}

TEST(RoundToPrecision, RoundsTheWrittenDecimalValueHalfAwayFromZero) {
  struct Case {
    int decimals;
    double value;
    double expected;
  } cases[] = {
      {2, 0.125, 0.13},    {2, -0.125, -0.13}, {3, 2.0045, 2.005}, {2, 1.005, 1.01},
      {2, 1.004999, 1.0},  {0, 2.5, 3.0},      {0, -2.5, -3.0},    {2, 9.995, 10.0},
      {5, 0.1 + 0.2, 0.3}, {2, 0.001, 0.0},    {5, 1e20, 1e20},    {9, 1.23456789012, 1.23456789},
      {5, 3.14, 3.14},     {2, -0.004, 0.0},   {3, 1e-300, 0.0},   {1, 0.05, 0.1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(static_cast<double>(RoundToPrecision(c.decimals, c.value)), c.expected)
        << c.value << " to " << c.decimals;
}

TEST(RoundToPrecision, TenOrMoreDecimalsRaiseTheConversionError) {
  EXPECT_NO_THROW(RoundToPrecision(9, 1.5));
  try {
    RoundToPrecision(10, 1.5);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'10000000000' is not a valid integer value");
  }
  EXPECT_THROW(RoundToPrecision(255, 1.5), EConvertError);
}
