// Writes held back and sent in batches on a server connection: nothing a caller can see changes.
// Every other statement, a count of affected rows and a commit run what is held back first; a
// rollback drops it; a failing statement raises the very error its own execution gives, and
// only the statements before it take effect.

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/framework/SQLConnection.h"
#include "morvanta/platform/framework/SQLQuery.h"
#include "morvanta/platform/firebird/Session.h"
#include "tests/support/DatasetFixture.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

using testdb::TestDatabase;

namespace {

class BatchedWrites : public ::testing::Test {
 protected:
  void SetUp() override {
    FIREBIRD_SERVER_REQUIRED();
    db_ = TestDatabase::OnServer();
    db_->Execute("CREATE TABLE W (ID INTEGER NOT NULL PRIMARY KEY, TXT BLOB SUB_TYPE TEXT, N INTEGER)");
    db_->Execute("CREATE EXCEPTION E_SETE 'Sete nao entra'");
    db_->Execute("CREATE TRIGGER T_SETE FOR W BEFORE INSERT AS BEGIN IF (NEW.ID = 7) THEN EXCEPTION E_SETE; END");
    connection_ = std::make_unique<TSQLConnection>(nullptr);
    db_->Configure(*connection_);
    connection_->Open();
    insert_ = Query("INSERT INTO W (ID, TXT, N) VALUES (:ID, :TXT, :ID * 2)");
    insert_->SetBatching(WriteBatching::InTransaction);
    connection_->StartTransaction(TTransactionDesc{});
  }
  std::unique_ptr<TSQLQuery> Query(const char* sql) {
    auto query = std::make_unique<TSQLQuery>(nullptr);
    query->SetSQLConnection(connection_.get());
    query->SQL().Add(ToWide(AnsiString(sql)));
    return query;
  }
  void Insert(int id, const AnsiString& text = "texto"_a) {
    insert_->Params()[0].SetAsInteger(id);
    insert_->Params()[1].SetDataType(ftBlob);
    insert_->Params()[1].SetAsBlob(text);
    insert_->ExecSQL();
  }
  AnsiString CountSeenByTheTransaction() {
    auto count = Query("SELECT COUNT(*) FROM W");
    count->Open();
    return count->Fields(0).AsString();
  }

  std::unique_ptr<TestDatabase> db_;
  std::unique_ptr<TSQLConnection> connection_;
  std::unique_ptr<TSQLQuery> insert_;
};

}  // namespace

TEST_F(BatchedWrites, AnotherStatementSeesEveryWriteAndACommitKeepsThem) {
  for (int id = 10; id < 30; ++id) Insert(id, AnsiString(static_cast<std::size_t>(id) * 2000, 'x'));  // some > 32 KB
  EXPECT_EQ(CountSeenByTheTransaction(), "20");
  Insert(30);
  connection_->Commit(TTransactionDesc{});
  EXPECT_EQ(db_->QueryScalar("SELECT COUNT(*) || ':' || SUM(OCTET_LENGTH(TXT)) FROM W"),
            "21:" + IntToStr(2000 * (10 + 29) * 20 / 2 + 5));
}

TEST_F(BatchedWrites, ARollbackDropsWhatIsHeldBack) {
  for (int id = 10; id < 20; ++id) Insert(id);
  connection_->Rollback(TTransactionDesc{});
  EXPECT_EQ(db_->QueryScalar("SELECT COUNT(*) FROM W"), "0");
}

TEST_F(BatchedWrites, RowsAffectedCountsTheLastStatementAlone) {
  Insert(10);
  Insert(11);
  auto update = Query("UPDATE W SET N = 0 WHERE ID >= :LOW");
  update->SetBatching(WriteBatching::InTransaction);
  update->Params()[0].SetAsInteger(10);
  update->ExecSQL();
  EXPECT_EQ(update->RowsAffected(), 2);
  EXPECT_EQ(CountSeenByTheTransaction(), "2");
}

TEST_F(BatchedWrites, AFailingStatementRaisesItsOwnErrorAndOnlyTheOnesBeforeItTakeEffect) {
  // The error of the statement run by itself, in a transaction of its own.
  auto alone = Query("INSERT INTO W (ID, TXT, N) VALUES (7, 'x', 14)");
  const AnsiString expected = testdb::ErrorMessageOf([&] { alone->ExecSQL(); });
  ASSERT_NE(expected.find("Sete"), AnsiString::npos) << expected;

  for (int id = 1; id <= 6; ++id) Insert(id);
  Insert(7);  // held back: no error yet
  Insert(8);
  EXPECT_EQ(testdb::ErrorMessageOf([&] { insert_->ApplyWrites(); }), expected);
  EXPECT_EQ(CountSeenByTheTransaction(), "6");  // 1 to 6; 8 came after the failure and was dropped
  connection_->Commit(TTransactionDesc{});
  EXPECT_EQ(db_->QueryScalar("SELECT LIST(ID) FROM (SELECT ID FROM W ORDER BY ID)"), "1,2,3,4,5,6");
}

// Generator increments are not undone by a savepoint: every statement, the failing one included,
// runs once, as one at a time.
TEST_F(BatchedWrites, AFailedBatchRunsTheStatementsBeforeTheFailingOneOnce) {
  connection_->Rollback(TTransactionDesc{});
  db_->Execute("CREATE SEQUENCE G_W");
  db_->Execute("ALTER TRIGGER T_SETE POSITION 10");
  db_->Execute("CREATE TRIGGER T_NUMBER FOR W BEFORE INSERT POSITION 0 AS BEGIN NEW.N = GEN_ID(G_W, 1); END");
  connection_->StartTransaction(TTransactionDesc{});
  for (int id = 1; id <= 6; ++id) Insert(id);
  Insert(7);
  Insert(8);
  EXPECT_NE(testdb::ErrorMessageOf([&] { insert_->ApplyWrites(); }).find("Sete"), AnsiString::npos);
  connection_->Commit(TTransactionDesc{});
  EXPECT_EQ(db_->QueryScalar("SELECT LIST(N) FROM (SELECT N FROM W ORDER BY ID)"), "1,2,3,4,5,6");
  EXPECT_EQ(db_->QueryScalar("SELECT GEN_ID(G_W, 0) FROM RDB$DATABASE"), "7");  // 7 ran once
}

TEST_F(BatchedWrites, AFullBatchRaisesTheErrorFromTheNextExecSQL) {
  AnsiString message;
  int failedAt = 0;
  for (int id = 1; id <= 1000 && message.empty(); ++id) {
    try {
      Insert(id == 3 ? 7 : id + 100);
    } catch (const Exception& error) {
      message = error.Message();
      failedAt = id;
    }
  }
  EXPECT_NE(message.find("Sete"), AnsiString::npos) << message;
  EXPECT_GT(failedAt, 3);  // held back, raised by a later call of the same query
  EXPECT_EQ(CountSeenByTheTransaction(), "2");
}

// The dataset switches batching on for its ExecSQL and raises a held-back failure with the
// message its own ExecSQL gives.
TEST(BatchedWritesDataset, ApplyPendingWritesRaisesLikeExecSQL) {
  FIREBIRD_SERVER_REQUIRED();
  testdb::DatasetWorld world(true);
  world.Db().Execute("CREATE TABLE W (ID INTEGER NOT NULL PRIMARY KEY)");
  world.Db().Execute("INSERT INTO W VALUES (5)");
  TMorvantaDataset& ds = world.Dataset("dsW"_a, "INSERT INTO W (ID) VALUES (:ID)"_a);
  ds.SetIgnoreLog(true);
  const AnsiString unbatched = testdb::ErrorMessageOf([&] {
    ds.ParamByName("ID").SetAsInteger(5);
    ds.ExecSQL();
  });
  world.Transaction.Rollback();
  ds.SetBatching(WriteBatching::InTransaction);
  ds.ParamByName("ID").SetAsInteger(6);
  ds.ExecSQL();
  ds.ParamByName("ID").SetAsInteger(5);
  ds.ExecSQL();  // held back
  EXPECT_EQ(testdb::ErrorMessageOf([&] { ds.ApplyPendingWrites(); }), unbatched);
  EXPECT_EQ(world.Count("W"_a), "1");
}

namespace {

// The statements of a store program: the values written into the text as literals (an apostrophe
// doubled, an empty text, trailing blanks, a decimal that rounds, a date), a blob parameter of
// assorted lengths (some too long to travel as text), null and not.
std::vector<std::pair<AnsiString, AnsiString>> LiteralStatements(int rows) {
  static const char* kNames[] = {"O''Brien", "", "abc  ", "Jo\xe3o", "x"};
  std::vector<std::pair<AnsiString, AnsiString>> statements;
  for (int i = 1; i <= rows; ++i) {
    const AnsiString text = "INSERT INTO L (ID, NAME, AMOUNT, DIA, NOTE) VALUES ('" + IntToStr(i) + "', '" +
                            AnsiString(kNames[i % 5]) + "', '" + IntToStr(i) + ".125', '2026-12-" +
                            IntToStr(1 + i % 28) + "', :NOTE)";
    const AnsiString note = i % 9 == 0 ? AnsiString() : AnsiString(static_cast<std::size_t>(i % 40) * 1000, 'n');
    statements.emplace_back(text, note);
  }
  return statements;
}

}  // namespace

// Statements that differ only in the values written into them run as one prepared block: every
// row stored is what the statements store when they run one by one.
TEST_F(BatchedWrites, StatementsDifferingOnlyInTheirLiteralsStoreWhatTheyStoreOneByOne) {
  connection_->Rollback(TTransactionDesc{});
  db_->Execute(
      "CREATE TABLE L (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), AMOUNT NUMERIC(9,2), DIA DATE, "
      "NOTE BLOB SUB_TYPE TEXT)");
  const char* kRows =
      "SELECT LIST(ID || '|' || NAME || '|' || CHAR_LENGTH(NAME) || '|' || AMOUNT || '|' || DIA || '|' || "
      "COALESCE(OCTET_LENGTH(NOTE), -1), ';') FROM (SELECT * FROM L ORDER BY ID)";
  auto run = [&](WriteBatching batching) {
    connection_->StartTransaction(TTransactionDesc{});
    TSQLQuery statement(nullptr);
    statement.SetSQLConnection(connection_.get());
    statement.SetBatching(batching);
    for (const auto& [text, note] : LiteralStatements(300)) {
      statement.SQL().Clear();
      statement.SQL().Add(ToWide(text));
      statement.Params()[0].SetDataType(ftBlob);
      if (note.empty()) statement.Params()[0].Clear();
      else statement.Params()[0].SetAsBlob(note);
      statement.ExecSQL();
    }
    connection_->Commit(TTransactionDesc{});
    const AnsiString rows = db_->QueryScalar(kRows);
    db_->Execute("DELETE FROM L");
    return rows;
  };
  const AnsiString oneByOne = run(WriteBatching::Off);
  EXPECT_NE(oneByOne.find("5|O'Brien|7|5.13|2026-12-06|5000"), AnsiString::npos) << oneByOne.substr(0, 200);
  EXPECT_EQ(run(WriteBatching::InTransaction), oneByOne);
}

TEST_F(BatchedWrites, AFailingStatementAmongOnesDifferingInTheirLiteralsRaisesItsOwnError) {
  auto alone = Query("INSERT INTO W (ID, TXT, N) VALUES ('7', 'x', '14')");
  const AnsiString expected = testdb::ErrorMessageOf([&] { alone->ExecSQL(); });
  ASSERT_NE(expected.find("Sete"), AnsiString::npos) << expected;
  TSQLQuery statement(nullptr);
  statement.SetSQLConnection(connection_.get());
  statement.SetBatching(WriteBatching::InTransaction);
  for (int id = 1; id <= 10; ++id) {
    statement.SQL().Clear();
    statement.SQL().Add(
        ToWide("INSERT INTO W (ID, TXT, N) VALUES ('" + IntToStr(id) + "', 'x', '" + IntToStr(2 * id) + "')"));
    statement.ExecSQL();  // held back
  }
  EXPECT_EQ(testdb::ErrorMessageOf([&] { statement.ApplyWrites(); }), expected);
  connection_->Commit(TTransactionDesc{});
  EXPECT_EQ(db_->QueryScalar("SELECT LIST(ID || ':' || N) FROM (SELECT ID, N FROM W ORDER BY ID)"),
            "1:2,2:4,3:6,4:8,5:10,6:12");
}

// The statement texts batches take are read by the shared lexical rules: a leading comment, a
// line comment ended by a carriage return, a block comment with bytes from 0x80 up, a ';' and a
// '?' inside comments (neither a statement end nor a marker). Each batch stores what its
// statements store one by one, and none runs alone.
TEST_F(BatchedWrites, StatementsWithCommentsTravelInBatches) {
  const char* kTexts[] = {
      "/* leading; */ INSERT INTO W (ID, TXT, N) VALUES (:ID, 'a', 1)",
      "INSERT INTO W (ID, TXT, N) -- why?\r VALUES (:ID, 'b', 2)",
      "INSERT INTO W (ID, TXT, N) VALUES (:ID, 'c\xe9', 3) /* \xe9t\xe9? */",
  };
  const fb::DriverCounts before = connection_->Session().Counts();
  int id = 100;
  for (const char* text : kTexts) {
    auto statement = Query(text);
    statement->SetBatching(WriteBatching::InTransaction);
    for (int row = 0; row < 5; ++row) {
      statement->Params()[0].SetAsInteger(id++);
      statement->ExecSQL();
    }
    statement->ApplyWrites();
  }
  const fb::DriverCounts& after = connection_->Session().Counts();
  EXPECT_EQ(after.batchedStatements - before.batchedStatements, 15);
  EXPECT_EQ(after.WritesAlone() - before.WritesAlone(), 0);
  connection_->Commit(TTransactionDesc{});
  EXPECT_EQ(db_->QueryScalar("SELECT LIST(TXT || N) FROM (SELECT TXT, N FROM W ORDER BY ID)"),
            "a1,a1,a1,a1,a1,b2,b2,b2,b2,b2,c\xe9"
            "3,c\xe9"
            "3,c\xe9"
            "3,c\xe9"
            "3,c\xe9"
            "3");
}

namespace {

// The error `action` raises as the driver gives it: message and codes.
std::pair<AnsiString, std::vector<std::int64_t>> FirebirdErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EFirebirdError& error) {
    return {error.Message(), error.ErrorCodes()};
  }
  ADD_FAILURE() << "a Firebird error was expected";
  return {};
}

}  // namespace

// A statement failing inside a batch raises the server's error with the message and the codes
// it gives by itself: a trigger's exception (whose trace keeps the trigger's line) and a key
// violation (no trace at all).
TEST_F(BatchedWrites, AFailureInABatchCarriesTheCodesOfTheStatementAlone) {
  for (const int failing : {7, 3}) {
    SCOPED_TRACE(failing);
    const AnsiString text = "INSERT INTO W (ID, TXT, N) VALUES (" + IntToStr(failing) + ", 'x', 1)";
    if (failing == 3) db_->Execute("INSERT INTO W (ID, TXT, N) VALUES (3, 'x', 1)");
    auto alone = Query(text.c_str());
    const auto expected = FirebirdErrorOf([&] { alone->ExecSQL(); });
    for (int id = 10; id <= 15; ++id) Insert(id);
    Insert(failing);
    const auto batched = FirebirdErrorOf([&] { insert_->ApplyWrites(); });
    EXPECT_EQ(batched.first, expected.first);
    EXPECT_EQ(batched.second, expected.second);
    connection_->Rollback(TTransactionDesc{});
    connection_->StartTransaction(TTransactionDesc{});
  }
}

// Statements that read other tables take more of a request's 256 contexts than their own: a
// batch of them is still one block (each statement is compiled once, by itself), and every
// execution stores what it stores alone.
TEST_F(BatchedWrites, StatementsReadingManyTablesTravelInOneBlock) {
  struct Case {
    const char* text;
    const char* check;
    const char* expected;
  };
  const Case kCases[] = {
      {"UPDATE W SET N = (SELECT COUNT(*) FROM W A JOIN W B ON B.ID = A.ID JOIN W C ON C.ID = B.ID "
       "WHERE A.ID <= :ID) WHERE ID = :ID",
       "SELECT SUM(N) FROM W", "19900"},
      {"INSERT INTO W (ID, TXT, N) SELECT :ID + 1000, 'c', COUNT(*) FROM W A JOIN W B ON B.ID = A.ID "
       "WHERE A.ID = :ID",
       "SELECT COUNT(*) || '/' || SUM(N) FROM W WHERE ID > 1000", "200/199"},
  };
  for (int id = 1; id <= 200; ++id)
    if (id != 7) Insert(id);  // the trigger refuses 7
  insert_->ApplyWrites();
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    auto statement = Query(c.text);
    statement->SetBatching(WriteBatching::InTransaction);
    const fb::DriverCounts before = connection_->Session().Counts();
    for (int id = 1; id <= 200; ++id) {
      for (int p = 0; p < statement->Params().Count(); ++p) statement->Params()[p].SetAsInteger(id);
      statement->ExecSQL();
    }
    statement->ApplyWrites();
    const fb::DriverCounts& after = connection_->Session().Counts();
    EXPECT_EQ(after.writeBatches - before.writeBatches, 1);
    EXPECT_EQ(after.batchedStatements - before.batchedStatements, 200);
    EXPECT_EQ(after.blockRefusals - before.blockRefusals, 0);
    auto check = Query(c.check);
    check->Open();
    EXPECT_EQ(check->Fields(0).AsString(), c.expected);
  }
}
