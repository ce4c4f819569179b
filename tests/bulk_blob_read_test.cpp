// Blobs of a window of rows read in a few round trips over a server connection: every byte of
// every length comes back as stored, in single-byte and UTF-8 databases, for a dataset as for a
// bare query, with nulls; and the reads really cost a few round trips (counted by the loopback
// delay proxy).

#include <gtest/gtest.h>

#include <memory>

#include "bench/proxy/DelayProxy.h"
#include "morvanta/components/MorvantaDataset.h"
#include "morvanta/platform/framework/SQLConnection.h"
#include "morvanta/platform/framework/SQLQuery.h"
#include "tests/support/DatasetFixture.h"
#include "tests/support/TestDatabase.h"

using namespace morvanta;

using testdb::DatabaseOptions;
using testdb::TestDatabase;

namespace {

// Lengths around every boundary of the bulk read (its pieces of 16000 bytes, the longest string,
// a segment) up to 200 KB.
const std::vector<std::size_t> kLengths = {0,     1,     2,     255,   256,   15988, 15989, 15999,  16000,
                                           16001, 31999, 32000, 32765, 32766, 65535, 65536, 100000, 204800};

AnsiString AllBytes(std::size_t length, std::size_t seed) {
  AnsiString bytes(length, '\0');
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((i + seed) % 256);
  return bytes;
}

// Well-formed UTF-8 of about `length` bytes: one-, two-, three- and four-byte characters.
std::string Utf8Text(std::size_t length) {
  static const char* kPieces[] = {"a", "\xC3\xA7", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\x01", "~"};
  std::string text;
  for (std::size_t i = 0; text.size() < length; ++i) text += kPieces[i % 6];
  return text;
}

void RedirectThroughProxy(TSQLConnection& connection, const TestDatabase& db, int port) {
  TWideStringList& params = connection.Params();
  params.Delete(params.IndexOfName(u"Database"));
  params.Add(u"Database=" + ToWide("127.0.0.1/" + IntToStr(port) + ":" + FromSystem(db.FilePath())));
}

class BulkBlobRead : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    FIREBIRD_SERVER_REQUIRED();
    DatabaseOptions options;
    options.charSet = AnsiString(GetParam());
    db_ = TestDatabase::OnServer(options);
    db_->Execute("CREATE TABLE B (ID INTEGER NOT NULL PRIMARY KEY, M BLOB SUB_TYPE TEXT, X BLOB SUB_TYPE BINARY)");
    connection_ = std::make_unique<TSQLConnection>(nullptr);
    db_->Configure(*connection_);
  }
  bool Utf8() const { return std::string(GetParam()) == "UTF8"; }
  AnsiString Memo(std::size_t length, std::size_t seed) const {
    return Utf8() ? AnsiString(Utf8Text(length)) : AllBytes(length, seed);
  }
  // Row i: memo and binary of the i-th length; every seventh memo and every fifth binary null.
  void Insert(int rows) {
    connection_->Open();
    TSQLQuery insert(nullptr);
    insert.SetSQLConnection(connection_.get());
    insert.SQL().Add(u"INSERT INTO B (ID, M, X) VALUES (:ID, :M, :X)");
    connection_->StartTransaction(TTransactionDesc{});
    for (int i = 0; i < rows; ++i) {
      const std::size_t length = kLengths[static_cast<std::size_t>(i) % kLengths.size()];
      insert.Params()[0].SetAsInteger(i);
      insert.Params()[1].SetDataType(ftBlob);
      insert.Params()[2].SetDataType(ftBlob);
      if (i % 7 == 3) insert.Params()[1].Clear();
      else insert.Params()[1].SetAsBlob(Memo(length, static_cast<std::size_t>(i)));
      if (i % 5 == 4) insert.Params()[2].Clear();
      else insert.Params()[2].SetAsBlob(AllBytes(length, static_cast<std::size_t>(i) * 3));
      insert.ExecSQL();
    }
    connection_->Commit(TTransactionDesc{});
  }
  void ExpectRows(TSQLQuery& query, int rows) {
    int i = 0;
    for (; !query.Eof(); query.Next(), ++i) {
      const std::size_t length = kLengths[static_cast<std::size_t>(i) % kLengths.size()];
      ASSERT_EQ(query.Fields(0).AsInteger(), i);
      EXPECT_EQ(query.Fields(1).IsNull(), i % 7 == 3) << "row " << i;
      if (i % 7 != 3) {
        EXPECT_TRUE(query.Fields(1).AsString() == Memo(length, static_cast<std::size_t>(i))) << "row " << i;
      }
      EXPECT_EQ(query.Fields(2).IsNull(), i % 5 == 4) << "row " << i;
      if (i % 5 != 4) {
        EXPECT_TRUE(query.Fields(2).AsString() == AllBytes(length, static_cast<std::size_t>(i) * 3)) << "row " << i;
      }
    }
    EXPECT_EQ(i, rows);
  }

  std::unique_ptr<TestDatabase> db_;
  std::unique_ptr<TSQLConnection> connection_;
};

INSTANTIATE_TEST_SUITE_P(CharacterSets, BulkBlobRead, ::testing::Values("WIN1252", "UTF8"));

}  // namespace

TEST_P(BulkBlobRead, EveryLengthAndByteComesBackAsStoredInWindowsOfRowsAndOneByOne) {
  const int rows = 2 * static_cast<int>(kLengths.size()) + 5;
  Insert(rows);
  for (int readAhead : {1, 7, 1000}) {
    TSQLQuery query(nullptr);
    query.SetSQLConnection(connection_.get());
    query.SetReadAhead(readAhead);
    query.SQL().Add(u"SELECT ID, M, X FROM B ORDER BY ID");
    query.Open();
    SCOPED_TRACE(readAhead);
    ExpectRows(query, rows);
  }
}

TEST_P(BulkBlobRead, AWindowOfRowsCostsFarFewerRoundTripsThanBlobsReadOneByOne) {
  Insert(300);
  DelayProxyOptions options;
  options.lifetime = std::chrono::seconds(120);
  DelayProxy proxy(options);
  RedirectThroughProxy(*connection_, *db_, proxy.Port());
  connection_->Close();
  connection_->Open();
  auto turnsToRead = [&](int readAhead) {
    const std::int64_t before = proxy.Counts().turns;
    TSQLQuery query(nullptr);
    query.SetSQLConnection(connection_.get());
    query.SetReadAhead(readAhead);
    query.SQL().Add(u"SELECT ID, M, X FROM B ORDER BY ID");
    query.Open();
    ExpectRows(query, 300);
    return proxy.Counts().turns - before;
  };
  const std::int64_t oneByOne = turnsToRead(1);
  const std::int64_t bulk = turnsToRead(300);
  EXPECT_LT(bulk * 3, oneByOne) << bulk << " against " << oneByOne;
}

// The blobs of a window rarely fill its last batch: that batch is read in bulk too, not one blob
// at a time (72 blobs here: at least 72 round trips).
TEST(BulkBlobReadBatches, ABatchThatIsNotFullIsReadInBulkToo) {
  FIREBIRD_SERVER_REQUIRED();
  auto db = TestDatabase::OnServer();
  db->Execute("CREATE TABLE N (ID INTEGER, M BLOB SUB_TYPE TEXT)");
  db->Execute(
      "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 200) DO BEGIN "
      "INSERT INTO N VALUES (:I, 'nota ' || :I); I = I + 1; END END");
  DelayProxyOptions options;
  options.lifetime = std::chrono::seconds(120);
  DelayProxy proxy(options);
  TSQLConnection connection(nullptr);
  db->Configure(connection);
  RedirectThroughProxy(connection, *db, proxy.Port());
  connection.Open();
  const std::int64_t before = proxy.Counts().turns;
  TSQLQuery query(nullptr);
  query.SetSQLConnection(&connection);
  query.SetReadAhead(1000);
  query.SQL().Add(u"SELECT ID, M FROM N ORDER BY ID");
  query.Open();
  int i = 0;
  for (; !query.Eof(); query.Next(), ++i) EXPECT_TRUE(query.Fields(1).AsString() == "nota " + IntToStr(i));
  EXPECT_EQ(i, 200);
  EXPECT_LT(proxy.Counts().turns - before, 30);
}

// A dataset of the component layer (not the merge's) reads a memo and a binary blob column with
// nulls across packets through the bulk read.
TEST(BulkBlobReadDataset, MemoAndBinaryColumnsWithNullsArriveWholeAcrossPackets) {
  FIREBIRD_SERVER_REQUIRED();
  testdb::DatasetWorld world(true);
  world.Db().Execute("CREATE TABLE D (ID INTEGER, NOTA BLOB SUB_TYPE TEXT, FOTO BLOB SUB_TYPE BINARY)");
  world.Db().Execute(
      "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= 45) DO BEGIN "
      "INSERT INTO D VALUES (:I, IIF(MOD(:I, 4) = 0, NULL, 'nota ' || :I || ' ' || LPAD('', :I * 700, 'y')), "
      "IIF(MOD(:I, 3) = 0, NULL, CAST(LPAD('', :I * 700, ASCII_CHAR(MOD(:I, 256))) AS BLOB SUB_TYPE BINARY))); "
      "I = I + 1; END END");
  TMorvantaDataset& ds = world.Dataset("dsNotas"_a, "SELECT * FROM D ORDER BY ID"_a);
  ds.SetPacoteRegistros(10);
  ds.OpenQuery();
  int id = 0;
  for (ds.First(); !ds.Eof(); ds.NextRecord()) {
    ++id;
    ASSERT_EQ(ds.FieldByName("ID").AsInteger(), id);
    TField& nota = ds.FieldByName("NOTA");
    TField& foto = ds.FieldByName("FOTO");
    EXPECT_EQ(nota.IsNull(), id % 4 == 0) << id;
    if (id % 4 != 0) {
      EXPECT_TRUE(nota.AsString() == "nota " + IntToStr(id) + " " + AnsiString(static_cast<std::size_t>(id) * 700, 'y'))
          << id;
    }
    EXPECT_EQ(foto.IsNull(), id % 3 == 0) << id;
    if (id % 3 != 0) {
      EXPECT_TRUE(foto.AsString() == AnsiString(static_cast<std::size_t>(id) * 700, static_cast<char>(id))) << id;
    }
  }
  EXPECT_EQ(id, 45);
}
