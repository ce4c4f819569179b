// The framework's connection on real Firebird databases: connecting both ways, the parameters it
// honours, the server's errors, and explicit and implicit transactions.

#include <gtest/gtest.h>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/framework/SQLConnection.h"
#include "morvanta/platform/framework/SQLQuery.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

using testdb::TestDatabase;

namespace {

std::unique_ptr<TSQLConnection> Connect(const TestDatabase& db) {
  auto connection = std::make_unique<TSQLConnection>(nullptr);
  db.Configure(*connection);
  connection->SetConnected(true);
  return connection;
}

void SetParam(TSQLConnection& connection, const char* name, const char* value) {
  TWideStringList& params = connection.Params();
  int i = params.IndexOfName(ToWide(name));
  std::vector<WideString> lines = params.Lines();
  if (i >= 0) lines[static_cast<std::size_t>(i)] = ToWide(std::string(name) + "=" + value);
  else lines.push_back(ToWide(std::string(name) + "=" + value));
  params.Clear();
  for (auto& line : lines) params.Add(line);
}

void Exec(TSQLConnection& connection, const AnsiString& sql) {
  TSQLQuery query(nullptr);
  query.SetSQLConnection(&connection);
  query.SQL().Add(ToWide(sql));
  query.ExecSQL();
}

AnsiString Scalar(TSQLConnection& connection, const AnsiString& sql) {
  TSQLQuery query(nullptr);
  query.SetSQLConnection(&connection);
  query.SQL().Add(ToWide(sql));
  query.Open();
  return query.Eof() ? AnsiString("<no row>") : query.Fields(0).AsString();
}

template <class F>
AnsiString MessageOf(F&& action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "<no error>"_a;
}

const TTransactionDesc kDesc{1234, 0, xilREADCOMMITTED, 0};

}  // namespace

// ---- Connecting

TEST(SQLConnectionConnect, EmbeddedAndThroughTheServer) {
  auto embedded = TestDatabase::Embedded();
  auto connection = Connect(*embedded);
  EXPECT_TRUE(connection->Connected());
  EXPECT_EQ(Scalar(*connection, "SELECT RDB$GET_CONTEXT('SYSTEM', 'NETWORK_PROTOCOL') FROM RDB$DATABASE"_a), "");
  connection->SetConnected(false);
  EXPECT_FALSE(connection->Connected());
  EXPECT_THROW(connection->Session(), EDatabaseError);

  FIREBIRD_SERVER_REQUIRED();
  auto remote = TestDatabase::OnServer();
  connection = Connect(*remote);
  EXPECT_EQ(Scalar(*connection, "SELECT RDB$GET_CONTEXT('SYSTEM', 'NETWORK_PROTOCOL') FROM RDB$DATABASE"_a), "TCPv4");
  EXPECT_EQ(Scalar(*connection, "SELECT CURRENT_USER FROM RDB$DATABASE"_a), testdb::kTestUser);
  connection->Close();
  EXPECT_FALSE(connection->Connected());
}

TEST(SQLConnectionConnect, PortInTheDatabaseTextReachesTheServer) {
  FIREBIRD_SERVER_REQUIRED();
  auto db = TestDatabase::OnServer();
  TSQLConnection connection(nullptr);
  db->Configure(connection);
  SetParam(connection, "Database", ("localhost/3050:" + db->Database().substr(10)).c_str());
  connection.Open();
  EXPECT_EQ(Scalar(connection, "SELECT RDB$GET_CONTEXT('SYSTEM', 'NETWORK_PROTOCOL') FROM RDB$DATABASE"_a), "TCPv4");
}

TEST(SQLConnectionConnect, DriverNamesWithoutAFirebirdDriverFail) {
  auto db = TestDatabase::Embedded();
  TSQLConnection connection(nullptr);
  db->Configure(connection);
  connection.SetDriverName(""_a);
  EXPECT_NE(MessageOf([&] { connection.Open(); }).find("no driver name"), AnsiString::npos);
  connection.SetDriverName("Oracle"_a);
  EXPECT_NE(MessageOf([&] { connection.Open(); }).find("no Oracle driver"), AnsiString::npos);
  connection.SetDriverName("Sybase"_a);
  EXPECT_THROW(connection.Open(), EDatabaseError);
  EXPECT_FALSE(connection.Connected());
  // The library names of the profiles do not matter: "Interbase" reaches Firebird.
  connection.SetDriverName("Interbase"_a);
  connection.SetLibraryName("dbexpUIBfire15.dll"_a);
  connection.SetVendorLib("gds32.dll"_a);
  connection.Open();
  EXPECT_TRUE(connection.Connected());
}

TEST(SQLConnectionConnect, ConnectionNameAndDriverNameOnAnOpenConnection) {
  auto db = TestDatabase::Embedded();
  auto connection = Connect(*db);
  connection->SetParamsLoaded(true);
  connection->SetConnectionName(""_a);  // the same name: nothing happens
  EXPECT_TRUE(connection->Connected());
  EXPECT_TRUE(connection->ParamsLoaded());
  EXPECT_THROW(connection->SetDriverName("Interbase"_a), EDatabaseError);
  EXPECT_EQ(connection->DriverName(), "Interbase");
  connection->SetConnectionName("IBConnection"_a);
  EXPECT_FALSE(connection->Connected());
  EXPECT_FALSE(connection->ParamsLoaded());
  connection->SetDriverName("Interbase"_a);  // closed: accepted
}

// ---- Errors carry the server's message

TEST(SQLConnectionErrors, MissingFileWrongPasswordAndUnreachableServer) {
  auto db = TestDatabase::Embedded();
  TSQLConnection connection(nullptr);
  db->Configure(connection);
  SetParam(connection, "Database", (db->Database() + ".missing").c_str());
  try {
    connection.Open();
    FAIL() << "a missing file must not open";
  } catch (const EFirebirdError& e) {
    EXPECT_NE(e.Message().find("I/O error"), AnsiString::npos) << e.Message();
    EXPECT_NE(e.Message().find(".missing"), AnsiString::npos) << e.Message();
  }
  EXPECT_FALSE(connection.Connected());

  SetParam(connection, "Database", ("localhost/3059:" + db->Database()).c_str());
  EXPECT_NE(MessageOf([&] { connection.Open(); }).find("Unable to complete network request"), AnsiString::npos);

  FIREBIRD_SERVER_REQUIRED();
  auto remote = TestDatabase::OnServer();
  remote->Configure(connection);
  SetParam(connection, "Password", "wrong");
  EXPECT_NE(MessageOf([&] { connection.Open(); }).find("user name and password are not defined"), AnsiString::npos);
  EXPECT_FALSE(connection.Connected());
}

// ---- Parameters

TEST(SQLConnectionParams, DialectAndRole) {
  auto db = TestDatabase::Embedded();
  auto connection = Connect(*db);
  EXPECT_EQ(Scalar(*connection, "SELECT 1/2 FROM RDB$DATABASE"_a), "0");              // dialect 3: integer division
  EXPECT_EQ(Scalar(*connection, "SELECT CURRENT_ROLE FROM RDB$DATABASE"_a), "NONE");  // "RoleName" does not exist
  connection->Close();
  SetParam(*connection, "SQLDialect", "1");
  connection->Open();
  EXPECT_EQ(Scalar(*connection, "SELECT 1/2 FROM RDB$DATABASE"_a), "0.5");
}

TEST(SQLConnectionParams, ServerCharSetIsTheConnectionCharacterSet) {
  auto db = TestDatabase::Embedded();
  db->Execute("CREATE TABLE T (V VARCHAR(20))");
  const AnsiString ofConnection =
      "SELECT TRIM(C.RDB$CHARACTER_SET_NAME) FROM MON$ATTACHMENTS A JOIN RDB$CHARACTER_SETS C "_a
      "ON C.RDB$CHARACTER_SET_ID = A.MON$CHARACTER_SET_ID WHERE A.MON$ATTACHMENT_ID = CURRENT_CONNECTION";
  for (const char* charSet : {"", "WIN1252", "UTF8"}) {
    TSQLConnection connection(nullptr);
    db->Configure(connection);
    SetParam(connection, "ServerCharSet", charSet);
    connection.Open();
    EXPECT_EQ(Scalar(connection, ofConnection), *charSet ? charSet : "NONE");
    TSQLQuery query(nullptr);
    query.SetSQLConnection(&connection);
    query.SQL().Add(u"SELECT CAST(:P AS VARCHAR(20)) FROM RDB$DATABASE");
    query.Params()[0].SetAsString("Ação ÿ"_a);
    query.Open();
    EXPECT_EQ(query.Fields(0).AsString(), "Ação ÿ"_a) << charSet;
  }
}

TEST(SQLConnectionParams, TrimCharDecidesOverTrailingBlanks) {
  auto db = TestDatabase::Embedded();
  db->Execute("CREATE TABLE T (C CHAR(6))");
  db->Execute("INSERT INTO T VALUES ('ab')");
  auto connection = Connect(*db);
  EXPECT_EQ(Scalar(*connection, "SELECT C FROM T"_a), "ab    ");
  connection->Close();
  SetParam(*connection, "Trim Char", "True");
  connection->Open();
  EXPECT_EQ(Scalar(*connection, "SELECT C FROM T"_a), "ab");
}

TEST(SQLConnectionParams, BlobSizeMinusOneReadsWholeBlobsAndKilobytesLimitThem) {
  auto db = TestDatabase::Embedded();
  db->Execute("CREATE TABLE T (M BLOB SUB_TYPE TEXT)");
  db->Execute("INSERT INTO T VALUES (LPAD('', 3000, 'x'))");
  auto connection = Connect(*db);
  EXPECT_EQ(Scalar(*connection, "SELECT M FROM T"_a).size(), 3000u);
  connection->Close();
  SetParam(*connection, "BlobSize", "1");
  connection->Open();
  EXPECT_EQ(Scalar(*connection, "SELECT M FROM T"_a).size(), 1024u);
}

TEST(SQLConnectionParams, WireCompressionRequestedCompressesAServerConnectionOnly) {
  FIREBIRD_SERVER_REQUIRED();
  const AnsiString compressed =
      "SELECT IIF(RDB$GET_CONTEXT('SYSTEM', 'WIRE_COMPRESSED') = 'TRUE', 1, 0) FROM RDB$DATABASE"_a;
  auto remote = TestDatabase::OnServer();
  TSQLConnection connection(nullptr);
  remote->Configure(connection);
  EXPECT_EQ(connection.WireCompression(), fb::WireCompression::Off);
  connection.Open();
  EXPECT_EQ(Scalar(connection, compressed), "0");
  connection.Close();
  connection.SetWireCompression(fb::WireCompression::Requested);
  connection.Open();
  EXPECT_EQ(Scalar(connection, compressed), "1");
  // The embedded engine has no wire: the setting changes nothing there.
  auto embedded = TestDatabase::Embedded();
  TSQLConnection local(nullptr);
  embedded->Configure(local);
  local.SetWireCompression(fb::WireCompression::Requested);
  local.Open();
  EXPECT_EQ(Scalar(local, compressed), "0");
}

TEST(SQLConnectionParams, WaitOnLocksFalseReportsAConflictAtOnce) {
  auto db = TestDatabase::Embedded();
  db->Execute("CREATE TABLE T (ID INTEGER, V INTEGER)");
  db->Execute("INSERT INTO T VALUES (1, 0)");
  auto writer = Connect(*db);
  writer->StartTransaction(kDesc);
  Exec(*writer, "UPDATE T SET V = 1 WHERE ID = 1"_a);

  TSQLConnection other(nullptr);
  db->Configure(other);
  SetParam(other, "WaitOnLocks", "False");
  other.Open();
  const AnsiString message = MessageOf([&] { Exec(other, "UPDATE T SET V = 2 WHERE ID = 1"_a); });
  EXPECT_NE(message.find("conflict"), AnsiString::npos) << message;
  writer->Rollback(kDesc);
}

TEST(SQLConnectionParams, RepeatableReadGivesTheExplicitTransactionASnapshot) {
  auto db = TestDatabase::Embedded();
  db->Execute("CREATE TABLE T (ID INTEGER)");
  for (const char* isolation : {"ReadCommited", "RepeatableRead"}) {
    TSQLConnection reader(nullptr);
    db->Configure(reader);
    SetParam(reader, "Interbase TransIsolation", isolation);
    reader.Open();
    reader.StartTransaction(TTransactionDesc{1, 0, xilCUSTOM, 0});  // custom: the connection's setting
    const AnsiString before = Scalar(reader, "SELECT COUNT(*) FROM T"_a);
    db->Execute("INSERT INTO T VALUES (1)");
    const AnsiString after = Scalar(reader, "SELECT COUNT(*) FROM T"_a);
    reader.Commit(kDesc);
    EXPECT_EQ(after == before, AnsiString(isolation) == "RepeatableRead") << isolation;
  }
}

TEST(SQLConnectionParams, CommitRetainKeepsCursorsOfTheTransactionReading) {
  auto db = TestDatabase::Embedded();
  db->Execute("CREATE TABLE T (ID INTEGER)");
  db->Execute("INSERT INTO T SELECT 1 FROM RDB$TYPES ROWS 3");
  for (bool retain : {false, true}) {
    TSQLConnection connection(nullptr);
    db->Configure(connection);
    SetParam(connection, "CommitRetain", retain ? "True" : "False");
    connection.Open();
    connection.StartTransaction(kDesc);
    TSQLQuery query(nullptr);
    query.SetSQLConnection(&connection);
    query.SQL().Add(u"SELECT ID FROM T");
    query.Open();
    connection.Commit(kDesc);
    EXPECT_FALSE(connection.InTransaction());
    if (retain) {
      int rows = 0;
      for (; !query.Eof(); query.Next()) ++rows;
      EXPECT_EQ(rows, 3);
    } else {
      EXPECT_THROW(query.Next(), EDatabaseError);  // its transaction is gone
    }
  }
}

// ---- Accented names

TEST(SQLConnectionText, AccentedPathAndUserName) {
  testdb::DatabaseOptions options;
  options.fileName = "Relatório de ação.fdb"_a;
  auto db = TestDatabase::Embedded(options);
  ASSERT_NE(db->Database().find("Relatório de ação.fdb"_a), AnsiString::npos);
  TSQLConnection connection(nullptr);
  db->Configure(connection);
  SetParam(connection, "User_Name", "José Conceição"_a.c_str());
  connection.Open();
  EXPECT_EQ(Scalar(connection, "SELECT CURRENT_USER FROM RDB$DATABASE"_a), "José Conceição"_a);
  connection.Close();

  FIREBIRD_SERVER_REQUIRED();
  auto remote = TestDatabase::OnServer(options);
  testdb::EnsureServerUser("José Conceição"_a, AnsiString(testdb::kTestPassword));
  remote->Configure(connection);
  SetParam(connection, "User_Name", "José Conceição"_a.c_str());
  connection.Open();
  EXPECT_EQ(Scalar(connection, "SELECT CURRENT_USER FROM RDB$DATABASE"_a), "José Conceição"_a);
  EXPECT_NE(Scalar(connection, "SELECT MON$DATABASE_NAME FROM MON$DATABASE"_a).find("Relatório de ação.fdb"_a),
            AnsiString::npos);
}

// ---- Transactions

class SQLConnectionTransactions : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) {
      FIREBIRD_SERVER_REQUIRED();
      db_ = TestDatabase::OnServer();
    } else {
      db_ = TestDatabase::Embedded();
    }
    db_->Execute("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, V VARCHAR(20))");
    connection_ = Connect(*db_);
  }
  AnsiString Count() const { return db_->QueryScalar("SELECT COUNT(*) FROM T"); }

  std::unique_ptr<TestDatabase> db_;
  std::unique_ptr<TSQLConnection> connection_;
};

TEST_P(SQLConnectionTransactions, RollbackLeavesOthersSeeingNothingAndCommitShowsTheRows) {
  connection_->StartTransaction(kDesc);
  EXPECT_TRUE(connection_->InTransaction());
  Exec(*connection_, "INSERT INTO T VALUES (1, 'a')"_a);
  Exec(*connection_, "INSERT INTO T VALUES (2, 'b')"_a);
  EXPECT_EQ(Scalar(*connection_, "SELECT COUNT(*) FROM T"_a), "2");  // its own statements see them
  EXPECT_EQ(Count(), "0");
  connection_->Rollback(kDesc);
  EXPECT_FALSE(connection_->InTransaction());
  EXPECT_EQ(Count(), "0");

  connection_->StartTransaction(kDesc);
  Exec(*connection_, "INSERT INTO T VALUES (3, 'c')"_a);
  connection_->Commit(kDesc);
  EXPECT_EQ(Count(), "1");
}

TEST_P(SQLConnectionTransactions, RefusalsLeaveTheCountAlone) {
  EXPECT_EQ(MessageOf([&] { connection_->Commit(kDesc); }), "There is no active transaction");
  EXPECT_EQ(MessageOf([&] { connection_->Rollback(kDesc); }), "There is no active transaction");
  connection_->StartTransaction(kDesc);
  EXPECT_EQ(MessageOf([&] { connection_->StartTransaction(kDesc); }), "A transaction is already active");
  EXPECT_EQ(connection_->TransactionsCount(), 1);
  connection_->Commit(kDesc);
  EXPECT_EQ(connection_->TransactionsCount(), 0);
}

TEST_P(SQLConnectionTransactions, StatementsOutsideATransactionCommitAtOnceOrNotAtAll) {
  Exec(*connection_, "INSERT INTO T VALUES (1, 'a')"_a);
  EXPECT_EQ(Count(), "1");
  // A statement that fails half-way leaves nothing behind; the connection goes on working.
  EXPECT_THROW(Exec(*connection_,
                    "INSERT INTO T SELECT 10, 'x' FROM RDB$DATABASE UNION ALL SELECT 1, 'dup' FROM RDB$DATABASE"_a),
               EFirebirdError);
  EXPECT_EQ(Count(), "1");
  Exec(*connection_, "INSERT INTO T VALUES (2, 'b')"_a);
  EXPECT_EQ(Count(), "2");
  Exec(*connection_, "CREATE TABLE U (A INTEGER)"_a);  // definitions too
  Exec(*connection_, "INSERT INTO U VALUES (1)"_a);
  EXPECT_EQ(db_->QueryScalar("SELECT COUNT(*) FROM U"), "1");
  EXPECT_FALSE(connection_->InTransaction());
}

TEST_P(SQLConnectionTransactions, ACursorOpenedBeforeTheTransactionReadsOnWhileItWrites) {
  db_->Execute("INSERT INTO T SELECT FIRST 2000 ROW_NUMBER() OVER (), 'old' FROM RDB$FIELDS A CROSS JOIN RDB$FIELDS B");
  TSQLQuery reader(nullptr);
  reader.SetSQLConnection(connection_.get());
  reader.SQL().Add(u"SELECT ID, V FROM T ORDER BY ID");
  reader.Open();
  connection_->StartTransaction(kDesc);
  Exec(*connection_, "UPDATE T SET V = 'new'"_a);  // every row, the unread ones included
  int rows = 0;
  for (; !reader.Eof(); reader.Next()) ++rows;
  EXPECT_EQ(rows, 2000);
  connection_->Commit(kDesc);
  EXPECT_EQ(db_->QueryScalar("SELECT COUNT(*) FROM T WHERE V = 'new'"), "2000");
}

TEST_P(SQLConnectionTransactions, AFailedCommitStaysOpenForTheRollback) {
  Exec(*connection_, "INSERT INTO T VALUES (1, 'same')"_a);
  Exec(*connection_, "INSERT INTO T VALUES (2, 'same')"_a);
  connection_->StartTransaction(kDesc);
  Exec(*connection_, "CREATE UNIQUE INDEX T_V ON T (V)"_a);  // built, and refused, at commit
  EXPECT_THROW(connection_->Commit(kDesc), EFirebirdError);
  EXPECT_TRUE(connection_->InTransaction());
  connection_->Rollback(kDesc);
  EXPECT_FALSE(connection_->InTransaction());
  Exec(*connection_, "INSERT INTO T VALUES (3, 'same')"_a);  // no index came of it
}

TEST_P(SQLConnectionTransactions, DisconnectingRollsBackAndClosesCursors) {
  TSQLQuery reader(nullptr);
  reader.SetSQLConnection(connection_.get());
  reader.SQL().Add(u"SELECT ID FROM RDB$DATABASE CROSS JOIN T");
  Exec(*connection_, "INSERT INTO T VALUES (1, 'a')"_a);
  reader.Open();
  connection_->StartTransaction(kDesc);
  Exec(*connection_, "INSERT INTO T VALUES (2, 'b')"_a);
  connection_->Close();
  EXPECT_FALSE(reader.Active());
  EXPECT_TRUE(reader.Eof());
  EXPECT_FALSE(connection_->InTransaction());
  EXPECT_EQ(Count(), "1");
}

INSTANTIATE_TEST_SUITE_P(EmbeddedAndServer, SQLConnectionTransactions, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Server" : "Embedded"; });

// ---- Lifetimes

TEST(SQLConnectionLifetime, QueriesAndConnectionMayGoInEitherOrder) {
  auto db = TestDatabase::Embedded();
  db->Execute("CREATE TABLE T (ID INTEGER)");
  db->Execute("INSERT INTO T VALUES (1)");
  auto connection = Connect(*db);
  auto query = std::make_unique<TSQLQuery>(nullptr);
  query->SetSQLConnection(connection.get());
  query->SQL().Add(u"SELECT ID FROM T");
  query->Open();
  connection->StartTransaction(kDesc);
  connection.reset();  // the connection goes first
  EXPECT_EQ(query->SQLConnection(), nullptr);
  EXPECT_FALSE(query->Active());
  EXPECT_THROW(query->Open(), EDatabaseError);
  query.reset();

  connection = Connect(*db);
  {
    TSQLQuery first(nullptr);
    first.SetSQLConnection(connection.get());
    first.SQL().Add(u"SELECT ID FROM T");
    first.Open();
  }  // the query goes first
  EXPECT_EQ(Scalar(*connection, "SELECT COUNT(*) FROM T"_a), "1");
}
