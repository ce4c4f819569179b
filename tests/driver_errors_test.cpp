// What the driver's exception keeps of a server error: the server's message as it was, and beside
// it the error codes of the status vector and the SQLSTATE, whichever way the statement ran.

#include <gtest/gtest.h>

#include <ibase.h>

#include <functional>
#include <memory>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/framework/SQLConnection.h"
#include "morvanta/platform/framework/SQLQuery.h"
#include "morvanta/platform/framework/SQLStoredProc.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

using testdb::TestDatabase;

namespace {

constexpr TTransactionDesc kDesc{1, 0, xilREADCOMMITTED, 0};

void SetParam(TSQLConnection& connection, std::u16string_view name, const WideString& value) {
  const int line = connection.Params().IndexOfName(name);
  if (line >= 0) connection.Params().Delete(line);
  connection.Params().Add(WideString(name) + u"=" + value);
}

class DriverErrors : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = TestDatabase::Embedded();
    db_->Execute("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20))");
    db_->Execute("INSERT INTO T VALUES (1, 'one')");
    connection_ = Connect();
  }
  std::unique_ptr<TSQLConnection> Connect(const WideString& waitOnLocks = u"True") const {
    auto connection = std::make_unique<TSQLConnection>(nullptr);
    db_->Configure(*connection);
    SetParam(*connection, u"WaitOnLocks", waitOnLocks);
    connection->Open();
    return connection;
  }
  // The error `action` raises; fails the test when it raises none.
  static EFirebirdError ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const EFirebirdError& e) {
      return e;
    }
    ADD_FAILURE() << "no EFirebirdError";
    return EFirebirdError("");
  }
  EFirebirdError ExecError(TSQLConnection& connection, const AnsiString& sql, bool prepared = false) const {
    TSQLQuery query(nullptr);
    query.SetSQLConnection(&connection);
    query.SQL().Add(ToWide(sql));
    if (prepared) query.SetPrepared(true);
    return ErrorOf([&] { query.ExecSQL(); });
  }

  std::unique_ptr<TestDatabase> db_;
  std::unique_ptr<TSQLConnection> connection_;
};

}  // namespace

TEST_F(DriverErrors, AUniqueKeyViolationCarriesItsCodesAndSqlStateOnEveryRoad) {
  // One call with the value in the text, the statement shared by texts with literals, and a
  // prepared statement: the same error, the same codes.
  for (const auto& [sql, prepared] : {std::pair<const char*, bool>{"INSERT INTO T (ID) VALUES (1)", false},
                                      {"INSERT INTO T (ID, NAME) VALUES (1, 'again')", false},
                                      {"INSERT INTO T (ID) VALUES (1)", true}}) {
    const EFirebirdError error = ExecError(*connection_, AnsiString(sql), prepared);
    EXPECT_EQ(error.ErrorCode(), isc_unique_key_violation) << sql;
    EXPECT_TRUE(error.HasErrorCode(isc_unique_key_violation));
    EXPECT_EQ(error.SqlState(), "23000") << sql;
    EXPECT_NE(error.Message().find("violation of PRIMARY or UNIQUE KEY constraint"), AnsiString::npos)
        << error.Message();
    EXPECT_STREQ(error.ClassName(), "EFirebirdError");
  }
}

TEST_F(DriverErrors, ASyntaxErrorIsDynamicSqlErrorWithSqlState42000) {
  const EFirebirdError error = ExecError(*connection_, "UPDATE T SET WHERE"_a);
  EXPECT_EQ(error.ErrorCode(), isc_dsql_error);
  EXPECT_EQ(error.SecondaryErrorCode(), isc_sqlerr);
  EXPECT_EQ(error.SqlState(), "42000");
  EXPECT_EQ(error.Message().rfind("Dynamic SQL Error", 0), 0u) << error.Message();

  TSQLQuery query(nullptr);
  query.SetSQLConnection(connection_.get());
  query.SQL().Add(u"SELECT * FROM NO_SUCH_TABLE");
  const EFirebirdError missing = ErrorOf([&] { query.Open(); });
  EXPECT_EQ(missing.ErrorCode(), isc_dsql_error);
  EXPECT_TRUE(missing.HasErrorCode(isc_dsql_relation_err));
  EXPECT_EQ(missing.SqlState(), "42S02");
}

TEST_F(DriverErrors, ALockConflictWithoutWaitingIsReportedWithItsCodes) {
  connection_->StartTransaction(kDesc);
  TSQLQuery writer(nullptr);
  writer.SetSQLConnection(connection_.get());
  writer.SQL().Add(u"UPDATE T SET NAME = 'mine' WHERE ID = 1");
  writer.ExecSQL();

  auto other = Connect(u"False");
  const EFirebirdError error = ExecError(*other, "UPDATE T SET NAME = 'theirs' WHERE ID = 1"_a);
  EXPECT_EQ(error.ErrorCode(), isc_deadlock);  // the engine reports an update conflict as a deadlock
  EXPECT_TRUE(error.HasErrorCode(isc_update_conflict));
  EXPECT_EQ(error.SqlState(), "40001");
  connection_->Rollback(kDesc);
}

TEST_F(DriverErrors, AProcedureCallAndAConnectionFailureKeepTheirCodes) {
  db_->Execute(
      "CREATE PROCEDURE FAIL_ON (X INTEGER) AS BEGIN "
      "INSERT INTO T (ID) VALUES (:X); END");
  TSQLStoredProc proc(nullptr);
  proc.SetSQLConnection(connection_.get());
  proc.SetStoredProcName(u"FAIL_ON");
  proc.SetPrepared(true);
  proc.Params().ParamByName(u"X").SetAsInteger(1);
  const EFirebirdError call = ErrorOf([&] { proc.ExecProc(); });
  EXPECT_EQ(call.ErrorCode(), isc_unique_key_violation);
  EXPECT_EQ(call.SqlState(), "23000");

  TSQLConnection missing(nullptr);
  db_->Configure(missing);
  SetParam(missing, u"Database", ToWide(FromSystem(db_->Folder() + "/missing.fdb")));
  const EFirebirdError attach = ErrorOf([&] { missing.Open(); });
  EXPECT_EQ(attach.ErrorCode(), isc_io_error);
  EXPECT_EQ(attach.SqlState(), "08001");
}
