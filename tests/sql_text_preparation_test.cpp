#include <gtest/gtest.h>

#include "morvanta/components/statement/SqlTextPreparation.h"

using namespace morvanta;

namespace {

AnsiString MacroValue(const TParams& macros, std::string_view name) { return macros.ParamByName(name).AsString(); }

std::vector<AnsiString> MacroNames(const TParams& macros) {
  std::vector<AnsiString> names;
  for (int i = 0; i < macros.Count(); ++i) names.push_back(ToAnsi(macros[i].Name()));
  return names;
}

void SetMacro(TParams& macros, std::string_view name, std::string_view value) {
  macros.ParamByName(name).SetAsString(AnsiString(value));
}

}  // namespace

// --- ScanMacros ---

TEST(ScanMacros, RegistersEachReferencedMacroOnceAsEmptyInput) {
  TParams macros;
  ScanMacros("SELECT * FROM ^T A JOIN ^T B"_a, '^', macros);
  ASSERT_EQ(macros.Count(), 1);
  EXPECT_EQ(ToAnsi(macros[0].Name()), "T");
  EXPECT_EQ(macros[0].ParamType(), ptInput);
  EXPECT_FALSE(macros[0].IsNull());
  EXPECT_EQ(macros[0].AsString(), "");
}

TEST(ScanMacros, NamesEndOnlyAtBlankOrCarriageReturn) {
  struct Case {
    const char* text;
    std::vector<AnsiString> names;
  } cases[] = {
      {"^A,^B", {"A,^B"_a, "B"_a}}, {"X ^A\tB C", {"A\tB"_a}},  {"FROM ^TAB\r\nWHERE", {"TAB"_a}},
      {"FROM ^TAB", {"TAB"_a}},     {"^A^B", {"A^B"_a, "B"_a}},
  };
  for (const Case& c : cases) {
    TParams macros;
    ScanMacros(AnsiString(c.text), '^', macros);
    EXPECT_EQ(MacroNames(macros), c.names) << c.text;
  }
}

TEST(ScanMacros, MacroCharBeforeBlankOrAtLineEndRegistersEmptyName) {
  for (const char* text : {"A ^ B", "A ^\r\nB", "A ^"}) {
    TParams macros;
    ScanMacros(AnsiString(text), '^', macros);
    EXPECT_EQ(MacroNames(macros), std::vector<AnsiString>{""_a}) << text;
  }
}

TEST(ScanMacros, LikePatternWithDefaultMacroCharRegistersTheQuote) {
  TParams macros;
  ScanMacros("SELECT * FROM T WHERE NOME LIKE 'A%'"_a, '%', macros);
  EXPECT_EQ(MacroNames(macros), std::vector<AnsiString>{"'"_a});
}

TEST(ScanMacros, ExistingMacrosKeepTheirValuesTrimmedAndAreNeverRemoved) {
  TParams macros;
  macros.CreateParam(ftString, u"tabela", ptInput).SetAsString("  clientes ");
  macros.CreateParam(ftString, u"UNUSED", ptInput).SetAsString(" x ");
  ScanMacros("SELECT * FROM ^TABELA WHERE ^NOVO"_a, '^', macros);
  EXPECT_EQ(MacroNames(macros), (std::vector<AnsiString>{"tabela"_a, "UNUSED"_a, "NOVO"_a}));
  EXPECT_EQ(MacroValue(macros, "TABELA"_a), "clientes"_a);
  EXPECT_EQ(MacroValue(macros, "UNUSED"), "x");
  EXPECT_EQ(MacroValue(macros, "NOVO"), "");
}

// --- ExpandMacroReferences ---

TEST(ExpandMacros, ReplacesEveryReferenceIgnoringCase) {
  TParams macros;
  ScanMacros("SELECT * FROM ^T A JOIN ^t B"_a, '^', macros);
  SetMacro(macros, "T", "clientes");
  EXPECT_EQ(ExpandMacroReferences("SELECT * FROM ^T A JOIN ^t B"_a, '^', macros),
            "SELECT * FROM clientes A JOIN clientes B");
}

TEST(ExpandMacros, MacrosExpandInListOrder) {
  TParams macros;
  macros.CreateParam(ftString, u"A", ptInput).SetAsString("um");
  macros.CreateParam(ftString, u"AB", ptInput).SetAsString("dois");
  EXPECT_EQ(ExpandMacroReferences("X ^AB"_a, '^', macros), "X umB");
}

TEST(ExpandMacros, EmptyNameRemovesEveryRemainingMacroChar) {
  const AnsiString text = "SELECT ^A ^ FROM ^B"_a;
  TParams macros;
  ScanMacros(AnsiString(text), '^', macros);  // registers "A", "" and "B", in that order
  SetMacro(macros, "A", "x");
  SetMacro(macros, "B", "never");
  // B's reference has lost its MacroChar by the time B's turn comes.
  EXPECT_EQ(ExpandMacroReferences(text, '^', macros), "SELECT x  FROM B");
}

TEST(ExpandMacros, LikePatternLosesPercentAndQuote) {
  const AnsiString text = "WHERE NOME LIKE 'A%'"_a;
  TParams macros;
  ScanMacros(AnsiString(text), '%', macros);
  EXPECT_EQ(ExpandMacroReferences(text, '%', macros), "WHERE NOME LIKE 'A");
}

TEST(ExpandMacros, ValueWithBlanksLosesThemAtTheNextScan) {
  TParams macros;
  ScanMacros("FROM ^T"_a, '^', macros);
  SetMacro(macros, "T", " clientes ");
  EXPECT_EQ(ExpandMacroReferences("FROM ^T"_a, '^', macros), "FROM  clientes ");
  ScanMacros("FROM ^T"_a, '^', macros);
  EXPECT_EQ(ExpandMacroReferences("FROM ^T"_a, '^', macros), "FROM clientes");
}

// --- PLAN clauses ---

TEST(PlanClause, FindsTheFirstMarkerInOrderOfPreference) {
  EXPECT_EQ(FindPlanClause("SELECT 1 PLAN (T NATURAL)"), 10);
  EXPECT_EQ(FindPlanClause("PLAN(T NATURAL)"), 1);
  EXPECT_EQ(FindPlanClause("X PLAN JOIN (A NATURAL)"), 3);
  // "PLAN (" wins although "PLAN JOIN(" comes first in the text.
  EXPECT_EQ(FindPlanClause("A PLAN JOIN(B) C PLAN (D)"), 18);
  EXPECT_EQ(FindPlanClause("plan (t natural)"), 0);
  EXPECT_EQ(FindPlanClause("PLAN SORT (T NATURAL)"), 0);
  EXPECT_EQ(FindPlanClause(""), 0);
}

TEST(PlanClause, CutsClausesOfEveryShape) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"SELECT * FROM T WHERE A = 1 PLAN (T NATURAL)", "SELECT * FROM T WHERE A = 1 "},
      {"SELECT * FROM T PLAN (T INDEX (PK_T)) ORDER BY A", "SELECT * FROM T  ORDER BY A"},
      {"SELECT * FROM T PLAN (T NATURAL) ORDER BY F(X)", "SELECT * FROM T "},
      {"SELECT * FROM T PLAN(T NATURAL) WHERE 1=1", "SELECT * FROM T  WHERE 1=1"},
      {"SELECT * FROM A, B PLAN JOIN (A NATURAL, B INDEX (IX_B))", "SELECT * FROM A, B "},
      {"SELECT * FROM A, B PLAN JOIN(A NATURAL, B INDEX (IX_B)) X", "SELECT * FROM A, B  X"},
      {"SELECT * FROM T PLAN SORT (T NATURAL)", "SELECT * FROM T PLAN SORT (T NATURAL)"},
      {"SELECT * FROM T PLAN MERGE (A, B)", "SELECT * FROM T PLAN MERGE (A, B)"},
      {"SELECT * FROM T PLAN (T NATURAL", "SELECT * FROM T PLAN (T NATURAL"},
      {"A PLAN (X) B PLAN (Y)", "A "},
      {"A PLAN (X)) B PLAN (Y)) C", "A  B  C"},
      {"A PLAN (X) B PLAN (Y", "A  B PLAN (Y"},
      {"select 1 plan (t natural)", "select 1 plan (t natural)"},
  };
  for (const Case& c : cases) EXPECT_EQ(CutPlanClauses(AnsiString(c.text)), c.expected) << c.text;
}

// --- ExtractTableName ---

TEST(ExtractTableName, NamesTheTableAfterTheOperationKeyword) {
  struct Case {
    const char* operation;
    const char* statement;
    const char* expected;
  } cases[] = {
      {"E", "delete from clientes where id = 1", "CLIENTES"},
      {"I", "INSERT INTO PEDIDO (A) VALUES (1)", "PEDIDO"},
      {"I", "INSERT INTO PEDIDO(A) VALUES (1)", "PEDIDO(A)"},
      {"A", "UPDATE\r\nfatcppedido\r\nSET A = 1", "FATCPPEDIDO"},
      {"A", "update pedido\nset a = 1", "PEDIDO"},
      {"A", "update pedido\tx set a = 1", "PEDIDO\tX"},
      {"X", "UPDATE PEDIDO SET A = 1", ""},
      {"E", "UPDATE PEDIDO SET A = 1", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ExtractTableName(AnsiString(c.operation), AnsiString(c.statement)), c.expected) << c.statement;
}

// --- RebuildParamsFromText ---

TEST(RebuildParams, ClearedTextThenNewTextGivesEntriesWithoutValues) {
  TParams params;
  params.CreateParam(ftInteger, u"a", ptInput).SetAsInteger(1);
  RebuildParamsFromText(params, u"");
  EXPECT_EQ(params.Count(), 0);
  RebuildParamsFromText(params, u"select * from t where a = :a and b = :b");
  ASSERT_EQ(params.Count(), 2);
  EXPECT_EQ(params[0].Name(), u"a");
  EXPECT_EQ(params[1].Name(), u"b");
  EXPECT_TRUE(params[0].IsNull());
  EXPECT_TRUE(params[1].IsNull());
}

TEST(RebuildParams, NameKeptInTheTextKeepsItsSettingsOnlyOnItsFirstEntry) {
  TParams params;
  RebuildParamsFromText(params, u"select * from t where a = :a and b = :b");
  params.ParamByName("a").SetAsInteger(7);
  params.ParamByName("b").SetAsString("x");

  RebuildParamsFromText(params, u"select * from t where c = :C and a = :A or a2 = :a");
  ASSERT_EQ(params.Count(), 3);
  EXPECT_EQ(params[0].Name(), u"C");
  EXPECT_TRUE(params[0].IsNull());
  EXPECT_EQ(params[1].Name(), u"A");  // the new text's spelling
  EXPECT_EQ(params[1].DataType(), ftInteger);
  EXPECT_EQ(params[1].AsInteger(), 7);
  EXPECT_EQ(params[2].Name(), u"a");
  EXPECT_TRUE(params[2].IsNull());
  EXPECT_EQ(params.FindParam("b"), nullptr);
}
