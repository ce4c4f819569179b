// The connection and transaction components on real databases, embedded and through the server.

#include <gtest/gtest.h>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaTransaction.h"
#include "morvanta/platform/framework/SQLQuery.h"
#include "tests/support/RecordingInteraction.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

using testdb::TestDatabase;

namespace {

std::unique_ptr<TestDatabase> MakeDatabase(bool onServer) {
  auto db = onServer ? TestDatabase::OnServer() : TestDatabase::Embedded();
  db->Execute("CREATE TABLE T (ID INTEGER)");
  return db;
}

std::unique_ptr<TMorvantaDatabase> Connect(const TestDatabase& db, const AnsiString& kind = "Interbase"_a) {
  auto connection = std::make_unique<TMorvantaDatabase>(nullptr);
  connection->ConfigureConnection(kind, db.Database(), db.UserName(), db.Password());
  connection->SetConnected(true);
  return connection;
}

void Exec(TSQLConnection& connection, const char* sql) {
  TSQLQuery query(nullptr);
  query.SetSQLConnection(&connection);
  query.SQL().Add(ToWide(sql));
  query.ExecSQL();
}

class MorvantaConnection : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) FIREBIRD_SERVER_REQUIRED();
    db_ = MakeDatabase(GetParam());
  }
  std::unique_ptr<TestDatabase> db_;
  RecordingInteraction ui_;
};

}  // namespace

TEST_P(MorvantaConnection, BothFirebirdProfilesConnect) {
  for (const AnsiString& kind : {"Interbase"_a, "Firebird"_a}) {
    auto connection = Connect(*db_, kind);
    EXPECT_TRUE(connection->Connected()) << kind;
    EXPECT_EQ(connection->DatabaseName(), db_->Database());
  }
}

TEST_P(MorvantaConnection, RollbackHidesTheRowsAndCommitShowsThem) {
  auto connection = Connect(*db_);
  TMorvantaTransaction transaction(nullptr);
  transaction.SetDatabase(connection.get());

  transaction.Start();
  EXPECT_TRUE(transaction.InTransaction());
  EXPECT_NE(transaction.ID(), 0u);
  Exec(*connection, "INSERT INTO T VALUES (1)");
  transaction.Rollback();
  EXPECT_FALSE(transaction.InTransaction());
  EXPECT_EQ(db_->QueryScalar("SELECT COUNT(*) FROM T"), "0");

  std::uint32_t number = transaction.ID();
  transaction.Start();
  EXPECT_EQ(transaction.ID(), number);  // drawn once, reused
  Exec(*connection, "INSERT INTO T VALUES (2)");
  EXPECT_EQ(db_->QueryScalar("SELECT COUNT(*) FROM T"), "0");  // another connection sees nothing yet
  transaction.Commit();
  EXPECT_EQ(db_->QueryScalar("SELECT COUNT(*) FROM T"), "1");
  EXPECT_TRUE(ui_.Messages.empty());
}

TEST_P(MorvantaConnection, CommitWithNothingOpenStartsAndCommits) {
  auto connection = Connect(*db_);
  TMorvantaTransaction transaction(nullptr);
  transaction.SetDatabase(connection.get());
  transaction.Commit();
  transaction.StartAndCommit();
  EXPECT_FALSE(connection->InTransaction());
  EXPECT_TRUE(ui_.Messages.empty());
  EXPECT_GE(ui_.ProcessedMessages, 2);  // pending messages processed after every commit
}

TEST_P(MorvantaConnection, DestroyingTheTransactionObjectRollsBack) {
  auto connection = Connect(*db_);
  {
    TMorvantaTransaction transaction(nullptr);
    transaction.SetDatabase(connection.get());
    transaction.Start();
    Exec(*connection, "INSERT INTO T VALUES (3)");
  }
  EXPECT_FALSE(connection->InTransaction());
  EXPECT_EQ(db_->QueryScalar("SELECT COUNT(*) FROM T"), "0");
}

TEST_P(MorvantaConnection, TwoTransactionObjectsShareTheConnectionsState) {
  auto connection = Connect(*db_);
  TMorvantaTransaction first(nullptr), second(nullptr);
  first.SetDatabase(connection.get());
  second.SetDatabase(connection.get());
  first.Start();
  EXPECT_TRUE(second.InTransaction());
  second.Start();  // nothing: one is open already
  second.Rollback();
  EXPECT_FALSE(first.InTransaction());
}

INSTANTIATE_TEST_SUITE_P(EmbeddedAndServer, MorvantaConnection, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Server" : "Embedded"; });

TEST(MorvantaConnectionErrors, ConnectFailuresCarryTheServersMessage) {
  auto missing = std::make_unique<TMorvantaDatabase>(nullptr);
  missing->ConfigureConnection("Firebird"_a, "/nonexistent/folder/loja.fdb"_a, "SYSDBA"_a, "x"_a);
  try {
    missing->SetConnected(true);
    FAIL() << "a missing file must not connect";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find("/nonexistent/folder/loja.fdb"), AnsiString::npos) << e.Message();
  }

  auto unreachable = std::make_unique<TMorvantaDatabase>(nullptr);
  unreachable->ConfigureConnection("Interbase"_a, "127.0.0.1/3059:/tmp/x.fdb"_a, "SYSDBA"_a, "x"_a);
  EXPECT_THROW(unreachable->SetConnected(true), EDatabaseError);

  auto oracle = std::make_unique<TMorvantaDatabase>(nullptr);
  oracle->ConfigureConnection("Oracle"_a, "/tmp/x.fdb"_a, "u"_a, "p"_a);
  try {
    oracle->SetConnected(true);
    FAIL() << "there is no Oracle driver here";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find("Oracle"), AnsiString::npos) << e.Message();
  }
}

TEST(MorvantaConnectionErrors, WrongPasswordThroughTheServer) {
  FIREBIRD_SERVER_REQUIRED();
  auto db = TestDatabase::OnServer();
  TMorvantaDatabase connection(nullptr);
  connection.ConfigureConnection("Interbase"_a, db->Database(), db->UserName(), "wrong password"_a);
  try {
    connection.SetConnected(true);
    FAIL() << "a wrong password must not connect";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(AnsiLowerCase(e.Message()).find("password"), AnsiString::npos) << e.Message();
  }
  EXPECT_FALSE(connection.Connected());
}

TEST(MorvantaConnectionText, AccentedPathAndUserName) {
  testdb::DatabaseOptions options;
  options.fileName = "lojão_çé.fdb"_a;
  auto db = TestDatabase::Embedded(options);
  TMorvantaDatabase connection(nullptr);
  connection.ConfigureConnection("Interbase"_a, db->Database(), "JOSÉ"_a, "vornikate"_a);
  connection.SetConnected(true);
  TSQLQuery query(nullptr);
  query.SetSQLConnection(&connection);
  query.SQL().Add(u"SELECT CURRENT_USER FROM RDB$DATABASE");
  query.Open();
  EXPECT_EQ(Trim(query.Fields(0).AsString()), "JOSÉ"_a);
  EXPECT_EQ(connection.DatabaseName(), db->Database());
}
