#include <gtest/gtest.h>

#include "morvanta/components/MorvantaDatabase.h"
#include "tests/support/PinnedClock.h"

using namespace morvanta;

namespace {

std::vector<AnsiString> ParamLines(const TMorvantaDatabase& db) {
  std::vector<AnsiString> lines;
  for (const auto& line : db.Params().Lines()) lines.push_back(ToAnsi(line));
  return lines;
}

}  // namespace

TEST(MorvantaDatabaseProfile, InterbaseAndFirebirdShareTheInterbaseDriverAndLines) {
  for (const AnsiString& kind : {"Interbase"_a, "Firebird"_a}) {
    TMorvantaDatabase db(nullptr);
    db.ConfigureConnection(kind, "/data/loja.fdb"_a, "LOJA"_a, "vornikate"_a);
    EXPECT_EQ(db.ConnectionName(), "IBConnection");
    EXPECT_EQ(db.DriverName(), "Interbase");
    EXPECT_EQ(db.GetDriverFunc(), "getSQLDriverINTERBASE");
    EXPECT_FALSE(db.LoginPrompt());
    std::vector<AnsiString> expected = {"DriverName=Interbase"_a,
                                        "Database=/data/loja.fdb"_a,
                                        "RoleName=RoleName"_a,
                                        "User_Name=LOJA"_a,
                                        "Password=vornikate"_a,
                                        "ServerCharSet="_a,
                                        "SQLDialect=3"_a,
                                        "ErrorResourceFile="_a,
                                        "LocaleCode=0000"_a,
                                        "BlobSize=-1"_a,
                                        "CommitRetain=False"_a,
                                        "WaitOnLocks=True"_a,
                                        "Interbase TransIsolation=ReadCommited"_a,
                                        "Trim Char=False"_a};
    EXPECT_EQ(ParamLines(db), expected) << kind;
  }
  TMorvantaDatabase firebird(nullptr);
  firebird.ConfigureConnection("Firebird"_a, "x"_a, "u"_a, "p"_a);
  EXPECT_EQ(firebird.LibraryName(), "dbexpUIBfire15.dll");
  EXPECT_EQ(firebird.VendorLib(), "fbclient.dll");
  TMorvantaDatabase interbase(nullptr);
  interbase.ConfigureConnection("Interbase"_a, "x"_a, "u"_a, "p"_a);
  EXPECT_EQ(interbase.LibraryName(), "dbxint30.dll");
  EXPECT_EQ(interbase.VendorLib(), "gds32.dll");
}

TEST(MorvantaDatabaseProfile, OracleHasSixteenLinesAndNoCommitRetain) {
  TMorvantaDatabase db(nullptr);
  db.ConfigureConnection("Oracle"_a, ""_a, ""_a, ""_a);
  EXPECT_EQ(db.ConnectionName(), "OracleConnection");
  EXPECT_EQ(db.DriverName(), "Oracle");
  EXPECT_EQ(db.GetDriverFunc(), "getSQLDriverORACLE");
  EXPECT_EQ(db.LibraryName(), "dbxora30.dll");
  EXPECT_EQ(db.VendorLib(), "oci.dll");
  std::vector<AnsiString> expected = {"DriverName=Oracle"_a,
                                      "Database="_a,
                                      "RoleName=RoleName"_a,
                                      "User_Name="_a,
                                      "Password="_a,
                                      "ServerCharSet="_a,
                                      "SQLDialect=3"_a,
                                      "ErrorResourceFile="_a,
                                      "LocaleCode=0000"_a,
                                      "BlobSize=-1"_a,
                                      "OS Authentication=False"_a,
                                      "Multiple Transaction=False"_a,
                                      "WaitOnLocks=True"_a,
                                      "Decimal Separator=."_a,
                                      "Oracle TransIsolation=ReadCommited"_a,
                                      "Trim Char=False"_a};
  EXPECT_EQ(ParamLines(db), expected);
}

TEST(MorvantaDatabaseProfile, KindOutsideTheThreeEmptiesEverything) {
  TMorvantaDatabase db(nullptr);
  db.ConfigureConnection("Firebird"_a, "x"_a, "u"_a, "p"_a);
  db.ConfigureConnection("interbase"_a, "x"_a, "u"_a, "p"_a);
  EXPECT_EQ(db.ConnectionName(), "");
  EXPECT_EQ(db.DriverName(), "");
  EXPECT_EQ(db.GetDriverFunc(), "");
  EXPECT_EQ(db.LibraryName(), "");
  EXPECT_EQ(db.VendorLib(), "");
  EXPECT_EQ(db.Params().Count(), 0);
  EXPECT_FALSE(db.LoginPrompt());
}

TEST(MorvantaDatabaseProfile, ParameterTextUsesSingleCarriageReturnsAndValuesAreUnescaped) {
  TMorvantaDatabase db(nullptr);
  db.ConfigureConnection("Interbase"_a, "host:/a=b;c.fdb"_a, AnsiString(std::string_view("Jos\xE9")), "p=w\"d"_a);
  EXPECT_EQ(ToAnsi(db.Params().Values(u"Database")), "host:/a=b;c.fdb");
  EXPECT_EQ(ToAnsi(db.Params().Values(u"user_name")), "Jos\xE9");
  EXPECT_EQ(ToAnsi(db.Params().Values(u"PASSWORD")), "p=w\"d");
}

TEST(MorvantaDatabase, NewConnectionDefaults) {
  TMorvantaDatabase db(nullptr);
  EXPECT_TRUE(db.PermiteConsultar());
  EXPECT_TRUE(db.PermiteInserir());
  EXPECT_TRUE(db.PermiteAlterar());
  EXPECT_TRUE(db.PermiteExcluir());
  EXPECT_TRUE(db.PermiteMovimentar());
  EXPECT_FALSE(db.QueryLocal());
  EXPECT_FALSE(db.LoadParamsOnConnect());
  EXPECT_TRUE(db.LoginPrompt());
  EXPECT_EQ(db.DateFormat(), "");
  EXPECT_EQ(db.cLogin(), "");
}

TEST(MorvantaDatabase, IdIsTheProductOfTheTimeOfDayWithoutZeroGuard) {
  {
    PinnedClock clock(TimeOfDay(0, 30, 15, 250));
    TMorvantaDatabase db(nullptr);
    EXPECT_EQ(db.ID(), 0u);
  }
  {
    PinnedClock clock(TimeOfDay(10, 20, 30, 400));
    TMorvantaDatabase db(nullptr);
    EXPECT_EQ(db.ID(), 10u * 20u * 30u * 400u);
  }
  {
    PinnedClock clock(TimeOfDay(23, 59, 59, 999));
    TMorvantaDatabase db(nullptr);
    EXPECT_EQ(db.ID(), 23u * 59u * 59u * 999u);
  }
}

TEST(MorvantaDatabase, DatabaseNameFollowsTheParameters) {
  TMorvantaDatabase db(nullptr);
  db.SetDatabaseName("antes"_a);
  EXPECT_EQ(db.DatabaseName(), "");  // no Database entry yet
  db.SetDatabaseName("antes"_a);
  db.ConfigureConnection("Interbase"_a, "/lojas/loja7.fdb"_a, "u"_a, "p"_a);
  EXPECT_EQ(db.DatabaseName(), "/lojas/loja7.fdb");
  db.SetDatabaseName("outro"_a);  // writing does not touch the parameters
  EXPECT_EQ(ToAnsi(db.Params().Values(u"Database")), "/lojas/loja7.fdb");
}
