// The framework's stored procedure and update-statement holder on real Firebird databases.

#include <gtest/gtest.h>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/framework/SQLConnection.h"
#include "morvanta/platform/framework/SQLStoredProc.h"
#include "morvanta/platform/framework/UpdateSQL.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

using testdb::TestDatabase;

namespace {

class SQLStoredProcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = TestDatabase::Embedded();
    db_->Execute("CREATE GENERATOR GEN_LOG");
    db_->Execute("CREATE PROCEDURE ID_LOG RETURNS (NID INTEGER) AS BEGIN NID = GEN_ID(GEN_LOG, 1); END");
    db_->Execute(
        "CREATE PROCEDURE SOMA (A INTEGER, B NUMERIC(9,2)) RETURNS (TOTAL NUMERIC(12,2), TEXTO VARCHAR(20)) AS "
        "BEGIN TOTAL = A + B; TEXTO = 'ok'; END");
    db_->Configure(connection_);
    proc_.SetSQLConnection(&connection_);
  }

  std::unique_ptr<TestDatabase> db_;
  TSQLConnection connection_{nullptr};
  TSQLStoredProc proc_{nullptr};
};

}  // namespace

TEST_F(SQLStoredProcTest, IdLogGivesANewIdEveryRun) {
  proc_.SetStoredProcName(u"ID_LOG");
  proc_.SetSchemaName("SYSDBA"_a);  // Firebird has no schemas: ignored
  proc_.SetPrepared(true);          // opens the connection
  EXPECT_TRUE(connection_.Connected());
  ASSERT_TRUE(proc_.Prepared());
  ASSERT_EQ(proc_.Params().Count(), 1);
  EXPECT_EQ(proc_.Params()[0].Name(), u"NID");
  EXPECT_EQ(proc_.Params()[0].ParamType(), ptOutput);
  proc_.ExecProc();
  const std::int64_t first = proc_.Params().ParamByName("NID").AsInteger();
  proc_.Close();
  proc_.SetPrepared(false);
  proc_.SetPrepared(true);
  proc_.ExecProc();
  const std::int64_t second = proc_.Params().ParamByName("nid").AsInteger();
  EXPECT_NE(first, second);
  EXPECT_GT(first, 0);
}

TEST_F(SQLStoredProcTest, InputsGoInByNameAndOutputsComeOut) {
  proc_.SetStoredProcName(u"soma");
  proc_.SetPrepared(true);
  ASSERT_EQ(proc_.Params().Count(), 4);
  EXPECT_EQ(proc_.Params()[0].ParamType(), ptInput);
  EXPECT_EQ(proc_.Params()[1].Name(), u"B");
  EXPECT_EQ(proc_.Params()[2].ParamType(), ptOutput);
  proc_.Params().ParamByName("A").SetAsInteger(40);
  proc_.Params().ParamByName("B").SetAsFloat(2.25);
  proc_.ExecProc();
  EXPECT_DOUBLE_EQ(proc_.Params().ParamByName("TOTAL").AsFloat(), 42.25);
  EXPECT_EQ(proc_.Params().ParamByName("TEXTO").AsString(), "ok");
  // A fresh preparation keeps the inputs given.
  proc_.SetPrepared(false);
  proc_.SetPrepared(true);
  EXPECT_EQ(proc_.Params().ParamByName("A").AsInteger(), 40);
}

TEST_F(SQLStoredProcTest, AProcedureTheDatabaseLacksStaysUnpreparedAndFailsToRun) {
  proc_.SetStoredProcName(u"NAO_EXISTE");
  EXPECT_NO_THROW(proc_.SetPrepared(true));
  EXPECT_FALSE(proc_.Prepared());
  try {
    proc_.ExecProc();
    FAIL() << "running a missing procedure must fail";
  } catch (const EFirebirdError& e) {
    EXPECT_NE(e.Message().find("NAO_EXISTE"), AnsiString::npos) << e.Message();
  }
}

TEST_F(SQLStoredProcTest, AConnectionThatCannotOpenIsRaised) {
  connection_.Params().SetText(ToWide("Database=" + db_->Database() + ".missing"));
  proc_.SetStoredProcName(u"ID_LOG");
  EXPECT_THROW(proc_.SetPrepared(true), EFirebirdError);
  EXPECT_FALSE(proc_.Prepared());
}

TEST_F(SQLStoredProcTest, RunsInTheOpenTransaction) {
  proc_.SetStoredProcName(u"ID_LOG");
  connection_.Open();
  const TTransactionDesc desc{5, 0, xilREADCOMMITTED, 0};
  connection_.StartTransaction(desc);
  proc_.ExecProc();  // unprepared: prepares first
  EXPECT_TRUE(proc_.Prepared());
  connection_.Rollback(desc);  // generators are outside transactions: the id stays used
  EXPECT_EQ(db_->QueryScalar("SELECT GEN_ID(GEN_LOG, 0) FROM RDB$DATABASE"), "1");
}

TEST(UpdateSQL, StatementListsByUpdateKind) {
  TUpdateSQL update(nullptr);
  update.ModifySQL().Add(u"UPDATE T SET A = :A");
  update.InsertSQL().Add(u"INSERT INTO T VALUES (:A)");
  update.DeleteSQL().Add(u"DELETE FROM T");
  EXPECT_EQ(&update.SQL(ukModify), &update.ModifySQL());
  EXPECT_EQ(&update.SQL(ukInsert), &update.InsertSQL());
  EXPECT_EQ(&update.SQL(ukDelete), &update.DeleteSQL());
}
