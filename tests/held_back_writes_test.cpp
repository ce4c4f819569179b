// Writes held back by the observation merge, through the local server, compared with the same run
// one statement at a time: a concurrent change of a row, a statement that fails once, a failure
// on the hundredth row, another dataset's statement or count meeting a held-back failure; and the
// driver's counts on stores of every shape, so that a fallback from the fast path fails a test.

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <optional>
#include <thread>

#include "bench/proxy/DelayProxy.h"
#include "morvanta/components/dataset/HeldBackWrites.h"
#include "programs/obsmerge/ObservationMerge.h"
#include "morvanta/platform/framework/SQLConnection.h"
#include "morvanta/platform/firebird/Session.h"
#include "tests/support/DatasetFixture.h"
#include "tests/support/RecordingInteraction.h"
#include "tests/support/StoreDatabase.h"

using namespace morvanta;

using testdb::TestDatabase;

namespace {

enum class Writes { OneAtATime, HeldBack };

struct MergeOutcome {
  AnsiString error;  // empty: committed
  fb::DriverCounts counts;
};

// The observation merge as the program runs it, on `database` (the path the connection is given).
MergeOutcome Merge(const TestDatabase& db, Writes writes, const AnsiString& database = AnsiString()) {
  TMorvantaDatabase connection(nullptr);
  connection.ConfigureConnection("Interbase"_a, database.empty() ? db.Database() : database, db.UserName(),
                                 db.Password());
  connection.SetConnected(true);
  TMorvantaTransaction transaction(nullptr);
  transaction.SetDatabase(&connection);
  transaction.SetID(4711);
  TMorvantaDataset select(nullptr), update(nullptr);
  update.SetDatabase(&connection);
  update.SetTransaction(&transaction);
  update.SetIgnoreLog(true);
  update.SQL().Add(ObservationUpdateStatement());
  update.ParamByName("obs_observ").SetDataType(ftBlob);
  select.SetDatabase(&connection);
  select.SQL().Add(ObservationSelectStatement());
  select.OpenQuery();
  select.First();
  MergeOutcome outcome;
  try {
    std::optional<THeldBackWrites> held;
    if (writes == Writes::HeldBack) held.emplace(update);
    while (!select.Eof()) {
      update.ParamByName("obs_observ")
          .SetAsBlob(select.FieldByName("obs_observ").AsString() + " " + select.FieldByName("obs_temp").AsString());
      update.ParamByName("lja_codigo").SetAsInteger(select.FieldByName("lja_codigo").AsInteger());
      update.ParamByName("cpe_codigo").SetAsInteger(select.FieldByName("cpe_codigo").AsInteger());
      update.ExecSQL();
      select.NextRecord();
    }
    if (held) held->Finish();
    transaction.Commit();
  } catch (const Exception& error) {
    transaction.Rollback();
    outcome.error = error.Message();
  }
  outcome.counts = connection.Session().Counts();
  return outcome;
}

// Orders 1..rows of store 1 in status "W", with notes of about 250 bytes, so that batches form.
std::unique_ptr<TestDatabase> Store(int rows, const testdb::DatabaseOptions& options = {},
                                    storedb::TempColumn temp = storedb::TempColumn::Varchar) {
  auto db = TestDatabase::OnServer(options);
  storedb::CreateStoreTables(*db, temp);
  storedb::InsertBulk(*db, 1, 1, rows, "W"_a, AnsiString(240, 'p'), "temp "_a);
  return db;
}

AnsiString Observation(const TestDatabase& db, int cpe) {
  return db.QueryScalar("SELECT obs_observ FROM fatobservpedido WHERE lja_codigo = 1 AND cpe_codigo = " +
                        std::to_string(cpe));
}

}  // namespace

// A store user changes a row the merge reaches late and commits (or rolls back) while the merge
// waits on that row's lock: the merge fails (or goes through) exactly as one statement at a time.
TEST(HeldBackWrites, AConcurrentChangeOfARowEndsTheMergeAsOneStatementAtATimeDoes) {
  FIREBIRD_SERVER_REQUIRED();
  for (const bool commit : {true, false}) {
    std::optional<storedb::Snapshot> first;
    AnsiString firstError;
    for (const Writes writes : {Writes::OneAtATime, Writes::HeldBack}) {
      SCOPED_TRACE(std::string(commit ? "committed" : "rolled back") +
                   (writes == Writes::HeldBack ? ", held back" : ", one at a time"));
      auto db = Store(300);
      auto other = db->BeginChange(
          "UPDATE fatobservpedido SET obs_observ = 'do usuario' WHERE lja_codigo = 1 AND cpe_codigo = 280");
      std::thread ender([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        if (commit) other->Commit();
        else other->Rollback();
      });
      const MergeOutcome outcome = Merge(*db, writes);
      ender.join();
      if (commit) {
        EXPECT_NE(outcome.error.find("update conflicts with concurrent update"), AnsiString::npos) << outcome.error;
        EXPECT_EQ(Observation(*db, 280), "do usuario");
        EXPECT_EQ(db->QueryScalar("SELECT COUNT(*) FROM fatobservpedido WHERE obs_temp IS NULL"), "0");
      } else {
        EXPECT_EQ(outcome.error, "");
        EXPECT_EQ(db->QueryScalar("SELECT COUNT(*) FROM fatobservpedido WHERE obs_temp IS NULL"), "300");
      }
      if (!first) {
        first = storedb::ReadSnapshot(*db);
        firstError = outcome.error;
      } else {
        EXPECT_EQ(storedb::ReadSnapshot(*db), *first);
        EXPECT_EQ(outcome.error, firstError);
      }
    }
  }
}

// Failures inside a batch: a trigger that refuses a row once (and counts its runs with a
// generator), a failure on the hundredth row whose text is over 32 KB. The run fails with the
// message one statement at a time gives, changes nothing, and no statement ran twice.
TEST(HeldBackWrites, AFailingRowFailsTheRunOnceAsOneStatementAtATimeDoes) {
  FIREBIRD_SERVER_REQUIRED();
  struct Case {
    const char* name;
    const char* trigger;
    int bigRow;  // 0: none
  };
  const Case cases[] = {
      {"refused once", "IF (NEW.cpe_codigo = 150 AND GEN_ID(g_runs, 1) = 1) THEN EXCEPTION e_row;", 0},
      {"hundredth row over 32 KB", "IF (NEW.cpe_codigo = 100 AND GEN_ID(g_runs, 1) > 0) THEN EXCEPTION e_row;", 100},
  };
  for (const Case& c : cases) {
    AnsiString firstError;
    for (const Writes writes : {Writes::OneAtATime, Writes::HeldBack}) {
      SCOPED_TRACE(std::string(c.name) + (writes == Writes::HeldBack ? ", held back" : ", one at a time"));
      auto db = Store(300);
      if (c.bigRow) {
        db->Execute("DELETE FROM fatobservpedido WHERE cpe_codigo = " + std::to_string(c.bigRow));
        storedb::InsertObservations(*db, {{1, c.bigRow, AnsiString(40000, 'g'), "grande"_a}});
      }
      db->Execute("CREATE SEQUENCE g_runs");
      db->Execute("CREATE EXCEPTION e_row 'Linha recusada'");
      db->Execute("CREATE TRIGGER t_row FOR fatobservpedido BEFORE UPDATE AS BEGIN " + std::string(c.trigger) + " END");
      const storedb::Snapshot before = storedb::ReadSnapshot(*db);
      const MergeOutcome outcome = Merge(*db, writes);
      EXPECT_NE(outcome.error.find("Linha recusada"), AnsiString::npos) << outcome.error;
      EXPECT_EQ(outcome.error.find("At block"), AnsiString::npos) << outcome.error;
      EXPECT_EQ(storedb::ReadSnapshot(*db), before);
      EXPECT_EQ(db->QueryScalar("SELECT GEN_ID(g_runs, 0) FROM RDB$DATABASE"), "1");  // the failing row ran once
      if (writes == Writes::OneAtATime) firstError = outcome.error;
      else EXPECT_EQ(outcome.error, firstError);
    }
  }
}

// A held-back write of one dataset fails when another dataset opens its select: the open raises
// the error that dataset's own ExecSQL gives, shows no box of its own, and nothing commits.
TEST(HeldBackWrites, AFailureMetByAnotherDatasetsOpenReachesItsCallerAsTheWritersError) {
  FIREBIRD_SERVER_REQUIRED();
  RecordingInteraction interaction;
  testdb::DatasetWorld world(true);
  world.Db().Execute("CREATE TABLE W (ID INTEGER NOT NULL PRIMARY KEY)");
  world.Db().Execute("INSERT INTO W VALUES (5)");
  TMorvantaDataset& writer = world.Dataset("dsW"_a, "INSERT INTO W (ID) VALUES (:ID)"_a);
  writer.SetIgnoreLog(true);
  TMorvantaDataset& reader = world.Dataset("dsR"_a, "SELECT ID FROM W"_a);
  auto write = [&](int id) {
    writer.ParamByName("ID").SetAsInteger(id);
    writer.ExecSQL();
  };
  const AnsiString alone = testdb::ErrorMessageOf([&] { write(5); });
  world.Transaction.Rollback();
  {
    THeldBackWrites held(writer);
    write(6);
    write(5);  // held back
    write(7);
  }
  EXPECT_EQ(testdb::ErrorMessageOf([&] { reader.OpenQuery(); }), alone);
  EXPECT_TRUE(interaction.Messages.empty());
  world.Transaction.Rollback();
  EXPECT_EQ(world.Db().QueryScalar("SELECT LIST(ID) FROM W"), "5");
}

// RowsAffected of a query whose update is held back, with another query's insert held after it:
// the count of the update alone, as one statement at a time gives it.
TEST(HeldBackWrites, RowsAffectedCountsTheQuerysOwnStatementWithOthersHeldAfterIt) {
  FIREBIRD_SERVER_REQUIRED();
  auto db = TestDatabase::OnServer();
  db->Execute("CREATE TABLE W (ID INTEGER NOT NULL PRIMARY KEY, N INTEGER)");
  db->Execute(
      "INSERT INTO W SELECT 1, 0 FROM RDB$DATABASE UNION ALL SELECT 2, 0 FROM RDB$DATABASE UNION ALL "
      "SELECT 3, 0 FROM RDB$DATABASE");
  TSQLConnection connection(nullptr);
  db->Configure(connection);
  connection.Open();
  for (const WriteBatching batching : {WriteBatching::Off, WriteBatching::InTransaction}) {
    connection.StartTransaction(TTransactionDesc{});
    TSQLQuery update(nullptr), insert(nullptr);
    update.SetSQLConnection(&connection);
    insert.SetSQLConnection(&connection);
    update.SQL().Add(u"UPDATE W SET N = N + 1");
    insert.SQL().Add(u"INSERT INTO W (ID, N) VALUES (4, 0)");
    update.SetPrepared(true);  // run in one call without a statement of its own, nothing counts its rows
    update.SetBatching(batching);
    insert.SetBatching(batching);
    update.ExecSQL();
    insert.ExecSQL();
    EXPECT_EQ(update.RowsAffected(), 3);
    connection.Commit(TTransactionDesc{});
    EXPECT_EQ(db->QueryScalar("SELECT COUNT(*) || ':' || SUM(N) FROM W"), "4:3");
    db->Execute("DELETE FROM W WHERE ID = 4");
    db->Execute("UPDATE W SET N = 0");
  }
}

namespace {

struct StoreShape {
  const char* name;
  AnsiString charSet;
  storedb::TempColumn temp;
  std::vector<std::size_t> noteLengths;  // of obs_observ, taken in turn
  int bigRows;                           // rows whose obs_observ is over 32 KB
};

std::unique_ptr<TestDatabase> ShapedStore(const StoreShape& shape, int rows) {
  auto db = TestDatabase::OnServer({shape.charSet});
  storedb::CreateStoreTables(*db, shape.temp);
  const int parts = static_cast<int>(shape.noteLengths.size());
  for (int p = 0; p < parts; ++p) {
    const int first = 1 + p * rows / parts, count = (p + 1) * rows / parts - p * rows / parts;
    storedb::InsertBulk(*db, 1, first, count, "W"_a, AnsiString(shape.noteLengths[static_cast<std::size_t>(p)], 'n'),
                        "obs "_a);
  }
  for (int b = 0; b < shape.bigRows; ++b) {
    const int cpe = 1 + b * rows / std::max(1, shape.bigRows);
    db->Execute("DELETE FROM fatobservpedido WHERE cpe_codigo = " + std::to_string(cpe));
    storedb::InsertObservations(*db, {{1, cpe, AnsiString(40000, 'g'), "grande"_a}});
  }
  return db;
}

}  // namespace

// Every store shape takes the fast path: the blobs of the select come in bulk, every update
// travels in a batch, none runs one at a time, and the round trips per merged row stay few.
TEST(HeldBackWrites, EveryStoreShapeTakesTheFastPath) {
  FIREBIRD_SERVER_REQUIRED();
  using storedb::TempColumn;
  const StoreShape shapes[] = {
      {"short notes", ""_a, TempColumn::Varchar, {10, 35, 60}, 0},
      {"notes of 250 bytes", ""_a, TempColumn::Varchar, {250}, 0},
      {"notes of 2 to 9 KB", ""_a, TempColumn::Varchar, {2000, 5000, 9000}, 0},
      {"mixed, a few over 32 KB", ""_a, TempColumn::Varchar, {20, 250, 4000}, 5},
      {"WIN1252", "WIN1252"_a, TempColumn::Varchar, {10, 60}, 0},
      {"ISO8859_1", "ISO8859_1"_a, TempColumn::Varchar, {10, 60}, 0},
      {"WIN1251", "WIN1251"_a, TempColumn::Varchar, {10, 60}, 0},
      {"UTF8", "UTF8"_a, TempColumn::Varchar, {10, 60}, 0},
      {"obs_temp a text blob", ""_a, TempColumn::TextBlob, {10, 60}, 0},
  };
  constexpr int kRows = 900;
  for (const StoreShape& shape : shapes) {
    SCOPED_TRACE(shape.name);
    auto db = ShapedStore(shape, kRows);
    DelayProxyOptions options;
    options.lifetime = std::chrono::seconds(120);
    DelayProxy proxy(options);
    const MergeOutcome outcome =
        Merge(*db, Writes::HeldBack, AnsiString("127.0.0.1/" + std::to_string(proxy.Port()) + ":" + db->FilePath()));
    ASSERT_EQ(outcome.error, "");
    const fb::DriverCounts& c = outcome.counts;
    const int blobsPerRow = shape.temp == TempColumn::TextBlob ? 2 : 1;
    EXPECT_EQ(c.bulkBlobs, kRows * blobsPerRow);
    EXPECT_EQ(c.BlobsAlone(), 0);
    EXPECT_EQ(c.batchedStatements, kRows);
    EXPECT_EQ(c.WritesAlone(), 0);
    EXPECT_EQ(c.blockRefusals, 0);
    EXPECT_LE(c.writeBatches, kRows / 100 + 1);
    const DelayProxyCounts link = proxy.Counts();
    std::cout << "[ shape    ] " << shape.name << ": " << double(link.turns) / kRows << " round trips, "
              << double(link.clientSends) / kRows << " sends per merged row; " << c.bulkReads << " bulk reads, "
              << c.writeBatches << " batches, " << link.turns << " turns\n";
  }
}
