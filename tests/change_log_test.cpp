// The change log on real Firebird databases: when it writes, what its header and detail rows hold,
// that it never disturbs the write it records, and how its commit meets the application's
// transaction on a connection of its own and on the application's connection.

#include <gtest/gtest.h>

#include "morvanta/components/FieldTypeName.h"
#include "morvanta/components/MorvantaStoredProc.h"
#include "tests/support/ChangeLogSchema.h"
#include "tests/support/DatasetFixture.h"
#include "tests/support/RecordingInteraction.h"

using namespace morvanta;

using testdb::DatasetWorld;

namespace {

// A store database with the change log's objects, table P with five columns, and a log transaction
// with Tag 7 on a connection of its own.
class LogWorld {
 public:
  explicit LogWorld(bool ownLogConnection = true) {
    testdb::CreateChangeLogSchema(world.Db());
    world.Db().Execute(
        "CREATE TABLE P (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(700), MOMENTO TIMESTAMP, VALOR DOUBLE "
        "PRECISION, OBS VARCHAR(40))");
    world.Connection.SetcLogin("joao"_a);
    logConnection.ConfigureConnection("Interbase"_a, world.Db().Database(), world.Db().UserName(),
                                      world.Db().Password());
    logConnection.SetConnected(true);
    logTransaction.SetDatabase(ownLogConnection ? &logConnection : &world.Connection);
    logTransaction.SetID(4712);
    logTransaction.SetTag(7);
    world.Transaction.SetTransactionLOG(&logTransaction);
    form.SetName("frmLog");
  }

  // A dataset without a select, its fields named in mixed case, writing table P.
  TMorvantaDataset& RowDataset(const AnsiString& name = "qryP"_a) {
    TMorvantaDataset& ds = world.Dataset(name, AnsiString(), &form);
    ds.FieldDefs().Add(u"id", ftInteger);
    ds.FieldDefs().Add(u"Nome", ftString, 700);
    ds.FieldDefs().Add(u"MOMENTO", ftTimeStamp);
    ds.FieldDefs().Add(u"valor", ftFloat);
    ds.FieldDefs().Add(u"OBS", ftString, 40);
    ds.CreateDataSet();
    ds.InsertSQL().SetText("INSERT INTO P (ID, NOME, MOMENTO, VALOR, OBS) VALUES (:ID, :NOME, :MOMENTO, :VALOR, :OBS)");
    ds.ModifySQL().SetText("UPDATE P SET NOME = :NOME, OBS = :OBS WHERE ID = :ID");
    return ds;
  }

  void Post(TMorvantaDataset& ds, int id, const AnsiString& nome) {
    ds.Append();
    ds.FieldByName("ID").SetAsInteger(id);
    ds.FieldByName("NOME").SetAsString(nome);
    ds.Post();
  }

  AnsiString Headers() const {
    return world.Db().QueryScalar(
        "SELECT LIST(CTL_ID || ':' || DBA_CODIGO || ':' || CTL_TABLE || ':' || CTL_USUARIO || ':' || CTL_TPOPER || "
        "':' || CTL_FORM || '.' || CTL_QUERY, ',') FROM (SELECT * FROM CONTROLLOG ORDER BY CTL_ID)");
  }
  AnsiString Details(int ctlId) const {
    return world.Db().QueryScalar(
        "SELECT LIST(CLD_ID || ':' || CLD_FIELDNAME || ':' || CLD_FIELDTYPE || ':' || COALESCE(CLD_FIELDVALUE, "
        "'<null>'), ',') FROM (SELECT * FROM CONTROLLOGDET WHERE CTL_ID = " +
        IntToStr(ctlId) + " ORDER BY CLD_ID)");
  }

  DatasetWorld world;
  TMorvantaDatabase logConnection{nullptr};
  TMorvantaTransaction logTransaction{nullptr};
  TComponent form{nullptr};  // frees its datasets, and their log objects, first
};

}  // namespace

TEST(ChangeLog, APostedRowLeavesAHeaderAndOneDetailPerFieldWithTheIdOfTheSecondIdRun) {
  LogWorld log;
  TMorvantaDataset& ds = log.RowDataset();
  ds.Append();
  ds.FieldByName("ID").SetAsInteger(1);
  ds.FieldByName("NOME").SetAsString(AnsiString(600, 'n'));
  ds.FieldByName("MOMENTO").SetAsDateTime(EncodeDate(2007, 1, 5) + EncodeTime(10, 7, 3, 0));
  ds.FieldByName("OBS").SetAsString("it's \"x\"");
  ds.Post();
  // ID_LOG ran twice: ids 1 and 2, the change is 2.
  EXPECT_EQ(log.Headers(), "2:7:P:joao:I:frmLog.qryP");
  EXPECT_EQ(log.Details(2), "0:ID:INTEGER:1,1:NOME:STRING:" + AnsiString(500, 'n') +
                                ",2:MOMENTO:TIMESTAMP:05/01/2007 10:07:03,3:VALOR:FLOAT:,4:OBS:STRING:its  x ");
  EXPECT_EQ(log.world.Count("CONTROLLOG"_a, "CTL_DATAHORA > CURRENT_TIMESTAMP - 1"_a), "1");
  TMorvantaStoredProc* proc = ds.LogIdProc;
  TMorvantaDataset* header = ds.LogHeader;
  TMorvantaDataset* detail = ds.LogDetail;
  ds.Edit();
  ds.FieldByName("OBS").SetAsString("editado");
  ds.Post();
  EXPECT_EQ(log.Headers(), "2:7:P:joao:I:frmLog.qryP,4:7:P:joao:A:frmLog.qryP");
  EXPECT_EQ(log.world.Count("CONTROLLOGDET"_a, "CTL_ID = 4"_a), "5");
  // Created once, then reused.
  EXPECT_EQ(ds.LogIdProc, proc);
  EXPECT_EQ(ds.LogHeader, header);
  EXPECT_EQ(ds.LogDetail, detail);
  EXPECT_TRUE(header->IsControleLog());
  EXPECT_EQ(header->Owner(), &ds);
}

TEST(ChangeLog, NothingIsWrittenOrCreatedUnlessLoggingIsActive) {
  struct Case {
    const char* what;
    std::function<void(LogWorld&, TMorvantaDataset&)> setUp;
  };
  const std::vector<Case> cases = {
      {"no log transaction", [](LogWorld& l, TMorvantaDataset&) { l.world.Transaction.SetTransactionLOG(nullptr); }},
      {"Tag 0", [](LogWorld& l, TMorvantaDataset&) { l.logTransaction.SetTag(0); }},
      {"negative Tag", [](LogWorld& l, TMorvantaDataset&) { l.logTransaction.SetTag(-3); }},
      {"log connection closed", [](LogWorld& l, TMorvantaDataset&) { l.logConnection.SetConnected(false); }},
      {"IgnoreLog", [](LogWorld&, TMorvantaDataset& ds) { ds.SetIgnoreLog(true); }},
  };
  for (const Case& c : cases) {
    LogWorld log;
    TMorvantaDataset& ds = log.RowDataset();
    c.setUp(log, ds);
    log.Post(ds, 1, "um"_a);
    EXPECT_EQ(log.world.Count("CONTROLLOG"_a), "0") << c.what;
    EXPECT_EQ(ds.LogIdProc, nullptr) << c.what;
    EXPECT_EQ(ds.LogHeader, nullptr) << c.what;
    log.world.Transaction.Commit();
    EXPECT_EQ(log.world.Count("P"_a), "1") << c.what;
  }
  // The log's own INSERTs need the log connection's insert permission; refused, nothing is logged.
  LogWorld log;
  RecordingInteraction boxes;
  TMorvantaDataset& ds = log.RowDataset();
  log.logConnection.SetPermiteInserir(false);
  log.Post(ds, 1, "um"_a);
  EXPECT_EQ(log.world.Count("CONTROLLOG"_a), "0");
  EXPECT_TRUE(boxes.Messages.empty());
  EXPECT_FALSE(ds.RowChanged);
}

TEST(ChangeLog, AnExecutedStatementIsLoggedWithItsParameters) {
  LogWorld log;
  log.world.Db().Execute("INSERT INTO P (ID, NOME) VALUES (1, 'um')");
  TMorvantaDataset& ds =
      log.world.Dataset("qryUpd"_a, "update P set NOME = :nome, VALOR = :VALOR where ID = :ID"_a, &log.form);
  ds.ParamByName("nome").SetAsString("novo");
  ds.ParamByName("ID").SetAsInteger(1);  // VALOR stays without a type or a value
  ds.ExecSQL();
  EXPECT_EQ(log.Headers(), "2:7:P:joao:A:frmLog.qryUpd");
  EXPECT_EQ(log.Details(2), "0:NOME:STRING:novo,1:VALOR:UNKNOWN:,2:ID:INTEGER:1");
}

TEST(ChangeLog, ADeletionIsLoggedOnlyWhileAPostsWriteIsIncomplete) {
  LogWorld log;
  TMorvantaDataset& ds = log.RowDataset();
  log.Post(ds, 1, "um"_a);
  ds.DeleteSQL().SetText("DELETE FROM P WHERE ID = :ID");
  ds.DeleteRow();  // after a completed post: RowChanged is clear
  EXPECT_EQ(log.world.Count("CONTROLLOG"_a, "CTL_TPOPER = 'E'"_a), "0");
  ds.SetIgnorarErro(true);
  log.world.Connection.SetPermiteInserir(false);
  EXPECT_THROW(log.Post(ds, 2, "dois"_a), Exception);
  log.world.Connection.SetPermiteInserir(true);
  ds.DeleteRow();
  EXPECT_EQ(log.world.Db().QueryScalar("SELECT LIST(CTL_TPOPER, ',') FROM (SELECT * FROM CONTROLLOG ORDER BY CTL_ID)"),
            "I,E");
  EXPECT_EQ(log.world.Count("CONTROLLOGDET"_a, "CTL_ID = 4 AND CLD_FIELDNAME = 'ID' AND CLD_FIELDVALUE = '2'"_a), "1");
}

TEST(ChangeLog, AFailingDetailRowEndsTheLogQuietlyAndTheWriteSucceeds) {
  LogWorld log;
  log.world.Db().Execute("CREATE EXCEPTION E_LOG 'detalhe recusado'");
  log.world.Db().Execute(
      "CREATE TRIGGER CONTROLLOGDET_BI FOR CONTROLLOGDET BEFORE INSERT AS BEGIN IF (NEW.CLD_ID = 2) THEN EXCEPTION "
      "E_LOG; END");
  RecordingInteraction boxes;
  TMorvantaDataset& ds = log.RowDataset();
  int afterPost = 0;
  ds.AfterPost = [&](TDataSet&) { ++afterPost; };
  EXPECT_NO_THROW(log.Post(ds, 1, "um"_a));
  EXPECT_EQ(afterPost, 1);
  EXPECT_FALSE(ds.RowChanged);
  EXPECT_TRUE(boxes.Messages.empty());
  log.world.Transaction.Commit();
  EXPECT_EQ(log.world.Count("P"_a), "1");
  // On a connection of its own each log INSERT commits as it runs: the header and the two rows
  // before the failing one remain.
  EXPECT_EQ(log.world.Count("CONTROLLOG"_a), "1");
  EXPECT_EQ(log.world.Count("CONTROLLOGDET"_a), "2");
}

// The log on a connection of its own commits apart from the application: rolling the write back
// leaves its log rows.
TEST(ChangeLog, OnItsOwnConnectionTheLogCommitsApartFromTheApplication) {
  LogWorld log(true);
  TMorvantaDataset& ds = log.RowDataset();
  log.Post(ds, 1, "um"_a);
  EXPECT_TRUE(log.world.Transaction.InTransaction());  // the application's write is still open
  log.world.Transaction.Rollback();
  EXPECT_EQ(log.world.Count("P"_a), "0");
  EXPECT_EQ(log.world.Count("CONTROLLOG"_a), "1");
}

// On the application's connection there is one transaction: the log's commit commits the
// application's write with its log rows, and a later rollback undoes neither.
TEST(ChangeLog, OnTheApplicationsConnectionTheLogCommitsTheApplicationsTransaction) {
  LogWorld log(false);
  TMorvantaDataset& ds = log.RowDataset();
  log.Post(ds, 1, "um"_a);
  EXPECT_FALSE(log.world.Transaction.InTransaction());
  log.world.Transaction.Rollback();
  EXPECT_EQ(log.world.Count("P"_a), "1");
  EXPECT_EQ(log.world.Count("CONTROLLOG"_a), "1");
  EXPECT_EQ(log.world.Count("CONTROLLOGDET"_a), "5");
}

TEST(ChangeLog, FieldTypeNamesFollowTheFrameworksCodes) {
  const std::vector<const char*> names = {
      "UNKNOWN",    "STRING",    "SMALLINT",  "INTEGER",    "WORD",      "BOOLEAN",     "FLOAT",   "CURRENCY",
      "BCD",        "DATE",      "TIME",      "DATETIME",   "BYTES",     "VARBYTES",    "AUTOINC", "BLOB",
      "MEMO",       "GRAPHIC",   "FMTMEMO",   "PARADOXOLE", "DBASEOLE",  "TYPEDBINARY", "CURSOR",  "FIXEDCHAR",
      "WIDESTRING", "LARGEINT",  "ADT",       "ARRAY",      "REFERENCE", "DATASET",     "ORABLOB", "ORACLOB",
      "VARIANT",    "INTERFACE", "IDISPATCH", "GUID",       "TIMESTAMP", "FMTBCD"};
  for (int code = 0; code < static_cast<int>(names.size()); ++code) EXPECT_EQ(FieldTypeName(code), names[code]);
  EXPECT_EQ(FieldTypeName(ftTimeStamp), "TIMESTAMP");
  EXPECT_EQ(FieldTypeName(ftFMTBcd), "FMTBCD");
  for (int code : {-1, 38, 39, 40, 41, 1000}) EXPECT_EQ(FieldTypeName(code), "UNKNOWN") << code;
}
