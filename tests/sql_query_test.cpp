// The framework's query on real Firebird databases: parameter markers, column types and values,
// the forward-only cursor, parameter binding and blob parameters of every length.

#include <gtest/gtest.h>

#include <cmath>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/platform/framework/SQLConnection.h"
#include "morvanta/platform/framework/SQLQuery.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

using testdb::TestDatabase;

namespace {

class SQLQueryTest : public ::testing::Test {
 protected:
  void Use(std::unique_ptr<TestDatabase> db) {
    db_ = std::move(db);
    connection_ = std::make_unique<TSQLConnection>(nullptr);
    db_->Configure(*connection_);
    connection_->Open();
    query_ = std::make_unique<TSQLQuery>(nullptr);
    query_->SetSQLConnection(connection_.get());
  }
  void SetUp() override { Use(TestDatabase::Embedded()); }
  void SetText(const AnsiString& sql) {
    query_->Close();
    query_->SQL().Clear();
    query_->SQL().Add(ToWide(sql));
  }
  TSQLQuery& Open(const AnsiString& sql) {
    SetText(sql);
    query_->Open();
    return *query_;
  }

  std::unique_ptr<TestDatabase> db_;
  std::unique_ptr<TSQLConnection> connection_;
  std::unique_ptr<TSQLQuery> query_;
};

AnsiString AllBytes(std::size_t length) {
  AnsiString bytes(length, '\0');
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>(i % 256);
  return bytes;
}

}  // namespace

// ---- Statement text and markers

TEST_F(SQLQueryTest, EveryTextChangeRebuildsTheParametersInTextOrder) {
  SetText("SELECT * FROM T WHERE A = :ID AND B = :Name OR C = :id"_a);
  ASSERT_EQ(query_->Params().Count(), 3);
  EXPECT_EQ(query_->Params()[0].Name(), u"ID");
  EXPECT_EQ(query_->Params()[1].Name(), u"Name");
  EXPECT_EQ(query_->Params()[2].Name(), u"id");
  query_->SQL().Add(u"AND D = :Extra");
  EXPECT_EQ(query_->Params().Count(), 4);
  query_->SQL().Clear();
  EXPECT_EQ(query_->Params().Count(), 0);
}

TEST_F(SQLQueryTest, MarkersInLiteralsAndCommentsStayText) {
  TSQLQuery& q = Open(
      "SELECT ':not_a_marker' AS A, CAST(:real AS INTEGER) AS B /* :nor_this */ FROM RDB$DATABASE -- :nor_that\r\n"_a
      "WHERE 1 = 1");
  // Opened above with the one marker unset: null.
  ASSERT_EQ(q.Params().Count(), 1);
  EXPECT_EQ(q.Params()[0].Name(), u"real");
  EXPECT_EQ(q.FieldByName(u"A").AsString(), ":not_a_marker");
  EXPECT_TRUE(q.FieldByName(u"B").IsNull());
  SetText("SELECT CAST(:real AS VARCHAR(10)) AS B FROM RDB$DATABASE"_a);
  query_->Params()[0].SetAsString("x");
  query_->Open();
  EXPECT_EQ(query_->Fields(0).AsString(), "x");
}

TEST_F(SQLQueryTest, ANameUsedTwiceIsBoundTwice) {
  SetText("SELECT CAST(:v AS INTEGER) + CAST(:v AS INTEGER) FROM RDB$DATABASE"_a);
  ASSERT_EQ(query_->Params().Count(), 2);
  query_->Params()[0].SetAsInteger(2);
  query_->Params()[1].SetAsInteger(5);
  query_->Open();
  EXPECT_EQ(query_->Fields(0).AsInteger(), 7);
}

// ---- Column types and values

TEST_F(SQLQueryTest, ColumnTypesMapToFieldTypes) {
  db_->Execute(
      "CREATE TABLE T (S SMALLINT, I INTEGER, L BIGINT, N NUMERIC(15,2), D DECIMAL(4,1), F FLOAT, DP DOUBLE PRECISION, "
      "C CHAR(5), VC VARCHAR(30), DT DATE, TM TIME, TS TIMESTAMP, MEMO BLOB SUB_TYPE TEXT, BIN BLOB SUB_TYPE BINARY, "
      "B BOOLEAN, U8 VARCHAR(10) CHARACTER SET UTF8)");
  TSQLQuery& q = Open("SELECT * FROM T"_a);
  EXPECT_TRUE(q.Eof());
  const std::vector<std::tuple<const char16_t*, TFieldType, int>> expected = {
      {u"S", ftSmallint, 0}, {u"I", ftInteger, 0}, {u"L", ftLargeint, 0}, {u"N", ftBCD, 2},
      {u"D", ftBCD, 1},      {u"F", ftFloat, 0},   {u"DP", ftFloat, 0},   {u"C", ftFixedChar, 5},
      {u"VC", ftString, 30}, {u"DT", ftDate, 0},   {u"TM", ftTime, 0},    {u"TS", ftDateTime, 0},
      {u"MEMO", ftMemo, 0},  {u"BIN", ftBlob, 0},  {u"B", ftBoolean, 0},  {u"U8", ftString, 10}};
  ASSERT_EQ(q.FieldCount(), static_cast<int>(expected.size()));
  for (int i = 0; i < q.FieldCount(); ++i) {
    const auto& [name, type, size] = expected[static_cast<std::size_t>(i)];
    EXPECT_EQ(q.Fields(i).FieldName(), name);
    EXPECT_EQ(q.Fields(i).DataType(), type) << ToAnsi(name);
    EXPECT_EQ(q.Fields(i).Size(), size) << ToAnsi(name);
  }
}

TEST_F(SQLQueryTest, ValuesAreReadAsTheirTypesAndAsText) {
  db_->Execute(
      "CREATE TABLE T (S SMALLINT, L BIGINT, N NUMERIC(15,2), NN NUMERIC(18,4), DP DOUBLE PRECISION, C CHAR(4), "
      "VC VARCHAR(30), DT DATE, TM TIME, TS TIMESTAMP, MEMO BLOB SUB_TYPE TEXT, B BOOLEAN)");
  db_->Execute(
      "INSERT INTO T VALUES (-7, 9007199254740993, 1234.50, -0.0500, 2.5, 'ab', 'Ação ''x''', '2024-02-29', "
      "'13:45:30.250', '1999-12-31 23:59:58', 'memo text', TRUE)"_a);
  db_->Execute("INSERT INTO T VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
  TSQLQuery& q = Open("SELECT * FROM T ORDER BY S NULLS LAST"_a);
  EXPECT_EQ(q.FieldByName(u"S").AsInteger(), -7);
  EXPECT_EQ(q.FieldByName(u"L").AsInteger(), 9007199254740993LL);
  EXPECT_EQ(q.FieldByName(u"L").AsString(), "9007199254740993");
  EXPECT_DOUBLE_EQ(q.FieldByName(u"N").AsFloat(), 1234.5);
  EXPECT_DOUBLE_EQ(q.FieldByName(u"N").Value().AsFloat(), 1234.5);
  EXPECT_EQ(q.FieldByName(u"N").AsString(), "1234.5");
  EXPECT_EQ(q.FieldByName(u"NN").AsString(), "-0.05");
  EXPECT_DOUBLE_EQ(q.FieldByName(u"DP").AsFloat(), 2.5);
  EXPECT_EQ(q.FieldByName(u"C").AsString(), "ab  ");
  EXPECT_EQ(q.FieldByName(u"VC").AsStringView(), "Ação 'x'"_a);
  EXPECT_DOUBLE_EQ(q.FieldByName(u"DT").AsDateTime(), EncodeDate(2024, 2, 29));
  EXPECT_NEAR(q.FieldByName(u"TM").AsDateTime(), EncodeTime(13, 45, 30, 250), 1e-9);
  EXPECT_EQ(q.FieldByName(u"TM").AsString(), "13:45:30");
  EXPECT_NEAR(q.FieldByName(u"TS").AsDateTime(), EncodeDateTime(1999, 12, 31, 23, 59, 58, 0), 1e-9);
  EXPECT_EQ(q.FieldByName(u"TS").Value().GetKind(), TVariant::Kind::DateTime);
  EXPECT_EQ(q.FieldByName(u"MEMO").AsString(), "memo text");
  EXPECT_TRUE(q.FieldByName(u"B").AsBoolean());
  EXPECT_FALSE(q.FieldByName(u"memo").IsNull());  // names ignore case

  q.Next();
  ASSERT_FALSE(q.Eof());
  for (int i = 0; i < q.FieldCount(); ++i) {
    EXPECT_TRUE(q.Fields(i).IsNull());
    EXPECT_EQ(q.Fields(i).AsString(), "");
    EXPECT_EQ(q.Fields(i).AsInteger(), 0);
    EXPECT_TRUE(q.Fields(i).Value().IsNull());
  }
  q.Next();
  EXPECT_TRUE(q.Eof());
}

TEST_F(SQLQueryTest, TheCursorReadsForwardAndCloses) {
  db_->Execute("CREATE TABLE T (ID INTEGER)");
  db_->Execute("INSERT INTO T SELECT FIRST 300 ROW_NUMBER() OVER () FROM RDB$FIELDS A CROSS JOIN RDB$FIELDS B");
  TSQLQuery& q = Open("SELECT ID FROM T ORDER BY ID"_a);
  q.First();  // still on the first row: allowed
  std::int64_t sum = 0;
  int rows = 0;
  for (; !q.Eof(); q.Next(), ++rows) sum += q.Fields(0).AsInteger();
  EXPECT_EQ(rows, 300);
  EXPECT_EQ(sum, 300 * 301 / 2);
  EXPECT_THROW(q.First(), EDatabaseError);  // forward only
  EXPECT_THROW(q.FieldByName(u"MISSING"), EDatabaseError);
  EXPECT_EQ(q.FindField(u"MISSING"), nullptr);
  q.Close();
  EXPECT_TRUE(q.Eof());
  EXPECT_FALSE(q.Active());
  EXPECT_EQ(q.FieldCount(), 0);
  q.Open();  // again, from the start
  EXPECT_EQ(q.Fields(0).AsInteger(), 1);
}

TEST_F(SQLQueryTest, OnlyStatementsWithRowsOpen) {
  db_->Execute("CREATE TABLE T (ID INTEGER)");
  SetText("INSERT INTO T VALUES (1)"_a);
  EXPECT_THROW(query_->Open(), EDatabaseError);
  SetText("SELECT FROM"_a);
  EXPECT_THROW(query_->Open(), EFirebirdError);
  query_->SQL().Clear();
  EXPECT_THROW(query_->ExecSQL(), EFirebirdError);  // the empty statement
  EXPECT_FALSE(query_->Active());
  // A select run with ExecSQL runs and returns nothing.
  SetText("SELECT ID FROM T"_a);
  query_->ExecSQL();
  query_->ExecSQL(true);
}

// ---- Executing and binding

TEST_F(SQLQueryTest, ParametersOfEveryKindReachTheirColumns) {
  db_->Execute(
      "CREATE TABLE T (ID INTEGER, L BIGINT, N NUMERIC(15,2), DP DOUBLE PRECISION, VC VARCHAR(40), DT DATE, "
      "TS TIMESTAMP, B BOOLEAN, TXT VARCHAR(40))");
  SetText("INSERT INTO T VALUES (:ID, :L, :N, :DP, :VC, :DT, :TS, :B, :TXT)"_a);
  TParams& p = query_->Params();
  p.ParamByName("ID").SetAsInteger(1);
  p.ParamByName("L").SetAsString("12345678901");  // text for a number: the server converts it
  p.ParamByName("N").SetAsFloat(19.99);
  p.ParamByName("DP").SetValue(TVariant(0.125));
  p.ParamByName("VC").SetAsString("Coração: 'aspas' \"duplas\"\r\n"_a);
  p.ParamByName("DT").SetAsString("2023-07-14");  // a date as text
  p.ParamByName("TS").SetAsDateTime(EncodeDateTime(2020, 1, 2, 3, 4, 5, 600));
  p.ParamByName("B").SetDataType(ftBoolean);
  p.ParamByName("B").SetValue(TVariant(true));
  p.ParamByName("TXT").Clear();
  query_->ExecSQL();

  TSQLQuery& q = Open("SELECT * FROM T"_a);
  EXPECT_EQ(q.FieldByName(u"ID").AsInteger(), 1);
  EXPECT_EQ(q.FieldByName(u"L").AsInteger(), 12345678901LL);
  EXPECT_EQ(q.FieldByName(u"N").AsString(), "19.99");
  EXPECT_DOUBLE_EQ(q.FieldByName(u"DP").AsFloat(), 0.125);
  EXPECT_EQ(q.FieldByName(u"VC").AsString(), "Coração: 'aspas' \"duplas\"\r\n"_a);
  EXPECT_DOUBLE_EQ(q.FieldByName(u"DT").AsDateTime(), EncodeDate(2023, 7, 14));
  EXPECT_NEAR(q.FieldByName(u"TS").AsDateTime(), EncodeDateTime(2020, 1, 2, 3, 4, 5, 600), 1e-9);
  EXPECT_TRUE(q.FieldByName(u"B").AsBoolean());
  EXPECT_TRUE(q.FieldByName(u"TXT").IsNull());
}

TEST_F(SQLQueryTest, RepeatedExecutionsKeepCountingAndBinding) {
  db_->Execute("CREATE TABLE T (ID INTEGER, V VARCHAR(10))");
  SetText("INSERT INTO T VALUES (:ID, :V)"_a);
  for (int i = 1; i <= 5; ++i) {
    query_->Params()[0].SetAsInteger(i);
    query_->Params()[1].SetAsString(i % 2 ? AnsiString("odd") : AnsiString("even"));
    EXPECT_EQ(query_->ExecSQL(), -1);
  }
  EXPECT_EQ(query_->RowsAffected(), 1);  // runs after the first are prepared and countable
  SetText("UPDATE T SET V = 'x' WHERE ID > :ID"_a);
  query_->SetPrepared(true);
  EXPECT_TRUE(query_->Prepared());
  query_->Params()[0].SetAsInteger(2);
  query_->ExecSQL();
  EXPECT_EQ(query_->RowsAffected(), 3);
  query_->ExecSQL(true);  // run directly: no count
  EXPECT_EQ(query_->RowsAffected(), -1);
  query_->SQL().Add(u"AND 1 = 1");  // a text change leaves the prepared state
  EXPECT_FALSE(query_->Prepared());
  EXPECT_EQ(db_->QueryScalar("SELECT LIST(V, ',') FROM (SELECT V FROM T ORDER BY ID)"), "odd,even,x,x,x");
}

// ---- Blob parameters

class SQLQueryBlobs : public SQLQueryTest, public ::testing::WithParamInterface<std::tuple<bool, const char*>> {
 protected:
  void SetUp() override {
    const auto& [server, charSet] = GetParam();
    testdb::DatabaseOptions options;
    options.charSet = AnsiString(charSet);
    if (server) {
      FIREBIRD_SERVER_REQUIRED();
      Use(TestDatabase::OnServer(options));
    } else {
      Use(TestDatabase::Embedded(options));
    }
    db_->Execute("CREATE TABLE T (ID INTEGER, TXT BLOB SUB_TYPE TEXT, BIN BLOB SUB_TYPE BINARY)");
  }
  AnsiString RoundTrip(const AnsiString& column, const AnsiString& value, TFieldType type) {
    SetText("DELETE FROM T"_a);
    query_->ExecSQL(true);
    SetText("INSERT INTO T (ID, " + column + ") VALUES (1, :V)");
    query_->Params()[0].SetDataType(type);
    query_->Params()[0].SetValue(TVariant(value));
    query_->ExecSQL();
    TSQLQuery& q = Open("SELECT " + column + " FROM T");
    return AnsiString(q.Fields(0).AsStringView());
  }
};

TEST_P(SQLQueryBlobs, EveryByteAndEveryLengthReachesTheColumn) {
  const bool utf8 = std::string(std::get<1>(GetParam())) == "UTF8";
  for (std::size_t length :
       {std::size_t(0), std::size_t(255), std::size_t(32765), std::size_t(32766), std::size_t(100 * 1024)}) {
    const AnsiString bytes = AllBytes(length);
    EXPECT_EQ(RoundTrip("BIN"_a, bytes, ftBlob), bytes) << length;
    // A UTF-8 text column takes only UTF-8 text: give it that, in and out unchanged.
    AnsiString text = utf8 ? AnsiString(ToSystem(AnsiString(length / 2, 'x') + "ção"_a)) : bytes;
    EXPECT_EQ(RoundTrip("TXT"_a, text, ftBlob), text) << length;
    EXPECT_EQ(RoundTrip("TXT"_a, text, ftMemo), text) << length;
  }
}

TEST_P(SQLQueryBlobs, LongBlobsInsideAndOutsideATransaction) {
  const AnsiString big = AllBytes(300 * 1024);
  const TTransactionDesc desc{7, 0, xilREADCOMMITTED, 0};
  connection_->StartTransaction(desc);
  EXPECT_EQ(RoundTrip("BIN"_a, big, ftBlob), big);
  connection_->Rollback(desc);
  EXPECT_EQ(db_->QueryScalar("SELECT COUNT(*) FROM T"), "0");
  EXPECT_EQ(RoundTrip("BIN"_a, big, ftOraBlob), big);
  EXPECT_EQ(db_->QueryScalar("SELECT OCTET_LENGTH(BIN) FROM T"), "307200");
}

INSTANTIATE_TEST_SUITE_P(Databases, SQLQueryBlobs,
                         ::testing::Combine(::testing::Values(false, true), ::testing::Values("", "UTF8")),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param) ? "Server" : "Embedded") +
                                  (std::string(std::get<1>(info.param)).empty() ? "None" : "Utf8");
                         });
