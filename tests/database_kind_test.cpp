// The database kind a connection's driver name stands for, resolved when the name is written.

#include <gtest/gtest.h>

#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaDataset.h"

using namespace morvanta;

TEST(DatabaseKind, OnlyTheExactNamesInterbaseAndOracleHaveAKind) {
  EXPECT_EQ(DatabaseKindOf("Interbase"), DatabaseKind::Interbase);
  EXPECT_EQ(DatabaseKindOf("Oracle"), DatabaseKind::Oracle);
  for (const char* other : {"interbase", "ORACLE", "Firebird", "Interbase ", ""})
    EXPECT_EQ(DatabaseKindOf(other), DatabaseKind::Other) << other;
}

TEST(DatabaseKind, FollowsTheDriverNameHoweverItIsWritten) {
  TMorvantaDatabase db(nullptr);
  EXPECT_EQ(db.Kind(), DatabaseKind::Other);
  db.ConfigureConnection("Firebird"_a, "x"_a, "u"_a, "p"_a);
  EXPECT_EQ(db.Kind(), DatabaseKind::Interbase);
  db.ConfigureConnection("Oracle"_a, "x"_a, "u"_a, "p"_a);
  EXPECT_EQ(db.Kind(), DatabaseKind::Oracle);
  // Through the framework's connection, as code that only knows a TSQLConnection writes it.
  TSQLConnection& connection = db;
  connection.SetDriverName("Interbase"_a);
  EXPECT_EQ(db.Kind(), DatabaseKind::Interbase);
  EXPECT_EQ(db.DriverName(), "Interbase");
  connection.SetDriverName("interbase"_a);
  EXPECT_EQ(db.Kind(), DatabaseKind::Other);
  EXPECT_EQ(db.DriverName(), "interbase");
}

TEST(DatabaseKind, TheDatasetPreparesForItsConnectionsCurrentKind) {
  TMorvantaDatabase db(nullptr);
  TMorvantaDataset ds(nullptr);
  ds.SetDatabase(&db);
  const AnsiString text = "SELECT * FROM T PLAN (T NATURAL)"_a;
  static_cast<TSQLConnection&>(db).SetDriverName("Interbase"_a);
  EXPECT_EQ(ds.RemovePlanClause(text), text);
  db.SetDriverName("Oracle"_a);
  EXPECT_EQ(ds.RemovePlanClause(text).find("PLAN"), AnsiString::npos);
  EXPECT_EQ(ds.DateTimeToDBText(EncodeDate(2007, 1, 5)), "05-JAN-2007");
}
